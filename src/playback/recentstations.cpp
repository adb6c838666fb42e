#include "recentstations.h"

namespace playback {

void pushRecentName(RecentNames& names, const QString& name, const QCollator& collator) {
  if (collator.compare(names[0], name) == 0) return;
  names[2] = names[1];
  names[1] = names[0];
  names[0] = name;
}

}  // namespace playback
