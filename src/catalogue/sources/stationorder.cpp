#include "stationorder.h"

#include <set>

namespace catalogue::sources {

bool makeNamesDistinct(std::vector<QString*>& names, const QCollator& collator) {
  struct KeyLess {
    bool operator()(const QCollatorSortKey& a, const QCollatorSortKey& b) const { return a.compare(b) < 0; }
  };
  using KeySet = std::set<QCollatorSortKey, KeyLess>;
  // Every name of the region, so that a suffixed name never takes one that comes later.
  KeySet taken;
  std::vector<QCollatorSortKey> keys;
  keys.reserve(names.size());
  for (const QString* name : names) {
    keys.push_back(collator.sortKey(*name));
    taken.insert(keys.back());
  }
  if (taken.size() == names.size()) return false;
  KeySet given;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (given.count(keys[i]) != 0) {
      for (int number = 2;; ++number) {
        const QString candidate = *names[i] + QStringLiteral(" (%1)").arg(number);
        QCollatorSortKey key = collator.sortKey(candidate);
        if (taken.count(key) == 0) {
          *names[i] = candidate;
          keys[i] = key;
          taken.insert(std::move(key));
          break;
        }
      }
    }
    given.insert(keys[i]);
  }
  return true;
}

}  // namespace catalogue::sources
