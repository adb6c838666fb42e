#include "stationorder.h"

#include <QLocale>
#include <functional>
#include <set>

namespace catalogue::sources {

QCollator stationNameCollator() {
  QLocale locale = QLocale::system();
  if (locale.language() == QLocale::C) locale = QLocale(QLocale::Polish, QLocale::Poland);
  QCollator collator(locale);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  return collator;
}

void makeNamesDistinct(std::vector<QString*>& names, const QCollator& collator) {
  using NameSet = std::set<QString, std::function<bool(const QString&, const QString&)>>;
  const auto less = [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; };
  // Every name of the region, so that a suffixed name never takes one that comes later.
  NameSet taken(less);
  for (const QString* name : names) taken.insert(*name);
  NameSet given(less);
  for (QString* name : names) {
    if (given.count(*name) != 0) {
      QString candidate;
      for (int number = 2;; ++number) {
        candidate = *name + QStringLiteral(" (%1)").arg(number);
        if (taken.count(candidate) == 0) break;
      }
      *name = candidate;
      taken.insert(candidate);
    }
    given.insert(*name);
  }
}

}  // namespace catalogue::sources
