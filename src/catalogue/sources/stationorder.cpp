#include "stationorder.h"

#include <QCollatorSortKey>
#include <algorithm>
#include <iterator>
#include <set>
#include <span>
#include <thread>

namespace catalogue::sources {

namespace {

std::vector<QCollatorSortKey> sortKeys(std::span<QString* const> names, const QCollator& collator) {
  std::vector<QCollatorSortKey> keys;
  keys.reserve(names.size());
  for (const QString* name : names) keys.push_back(collator.sortKey(*name));
  return keys;
}

// One sort key per name, far cheaper than comparing the names over and over. A large playlist's
// keys are made on two threads, each with a collator of its own.
std::vector<QCollatorSortKey> sortKeys(const std::vector<QString*>& names, const QCollator& collator) {
  constexpr std::size_t kWorthASecondThread = 20'000;
  if (names.size() < kWorthASecondThread || std::thread::hardware_concurrency() < 2) return sortKeys(std::span(names), collator);
  const std::span<QString* const> all(names);
  const std::span<QString* const> firstHalf = all.first(all.size() / 2);
  std::vector<QCollatorSortKey> firstKeys;
  {
    std::jthread helper([&] {
      QCollator own(collator.locale());
      own.setCaseSensitivity(collator.caseSensitivity());
      own.setNumericMode(collator.numericMode());
      own.setIgnorePunctuation(collator.ignorePunctuation());
      firstKeys = sortKeys(firstHalf, own);
    });
    std::vector<QCollatorSortKey> secondKeys = sortKeys(all.subspan(firstHalf.size()), collator);
    helper.join();
    std::move(secondKeys.begin(), secondKeys.end(), std::back_inserter(firstKeys));
  }
  return firstKeys;
}

}  // namespace

bool makeNamesDistinct(std::vector<QString*>& names, const QCollator& collator) {
  std::vector<QCollatorSortKey> keys = sortKeys(names, collator);
  const auto less = [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b) < 0; };
  // Most regions have no two equal names: sorted keys show it without building a set.
  {
    std::vector<const QCollatorSortKey*> sorted;
    sorted.reserve(keys.size());
    for (const QCollatorSortKey& key : keys) sorted.push_back(&key);
    std::sort(sorted.begin(), sorted.end(), [&](const auto* a, const auto* b) { return less(*a, *b); });
    const auto equal = std::adjacent_find(sorted.begin(), sorted.end(),
                                          [](const auto* a, const auto* b) { return a->compare(*b) == 0; });
    if (equal == sorted.end()) return false;
  }
  using KeySet = std::set<QCollatorSortKey, decltype(less)>;
  // Every name of the region, so that a suffixed name never takes one that comes later.
  KeySet taken(keys.begin(), keys.end(), less);
  KeySet given(less);
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
