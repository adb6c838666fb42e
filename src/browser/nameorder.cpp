#include "nameorder.h"

#include <QLocale>

namespace browser {

QCollator stationNameCollator() {
  QLocale locale = QLocale::system();
  if (locale.language() == QLocale::C) locale = QLocale(QLocale::Polish, QLocale::Poland);
  QCollator collator(locale);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  return collator;
}

NameClasses::NameClasses() : collator_(stationNameCollator()) {}

int NameClasses::classOf(const QString& text) {
  const auto known = byText_.constFind(text);
  if (known != byText_.cend()) return *known;
  const int next = static_cast<int>(byKey_.size());
  const int id = byKey_.try_emplace(collator_.sortKey(text), next).first->second;
  byText_.insert(text, id);
  return id;
}

}  // namespace browser
