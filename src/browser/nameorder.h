#pragma once

#include <QCollator>
#include <QCollatorSortKey>
#include <QHash>
#include <QString>
#include <map>

#include "catalogue/stationnames.h"

namespace browser {

using catalogue::stationNameCollator;

// Sorts texts into groups of texts that the station-name comparison finds equal, and remembers
// each text's group, so that a list refresh looks names up by hash instead of comparing them.
class NameClasses {
 public:
  NameClasses();
  // The group of `text`; equal ids for exactly the texts the collator finds equal.
  int classOf(const QString& text);
  const QCollator& collator() const { return collator_; }

 private:
  struct KeyLess {
    bool operator()(const QCollatorSortKey& a, const QCollatorSortKey& b) const { return a.compare(b) < 0; }
  };
  QCollator collator_;
  QHash<QString, int> byText_;
  std::map<QCollatorSortKey, int, KeyLess> byKey_;
};

}  // namespace browser
