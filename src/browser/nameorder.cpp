#include "nameorder.h"


namespace browser {

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
