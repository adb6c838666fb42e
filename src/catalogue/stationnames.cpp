#include "stationnames.h"

#include <QLocale>

namespace catalogue {

QCollator stationNameCollator() {
  QLocale locale = QLocale::system();
  if (locale.language() == QLocale::C) locale = QLocale(QLocale::Polish, QLocale::Poland);
  QCollator collator(locale);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  return collator;
}

}  // namespace catalogue
