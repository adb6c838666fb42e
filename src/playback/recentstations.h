#pragma once

#include <QCollator>
#include <QString>
#include <array>

namespace playback {

// The captions of a panel's three recent-station labels, newest first.
using RecentNames = std::array<QString, 3>;

// Puts name at place 1 unless place 1 already holds it (by the station-name collator); the others move
// down one place and the old third name drops out. Only place 1 is looked at, so a name from
// place 2 or 3 appears twice afterwards.
void pushRecentName(RecentNames& names, const QString& name, const QCollator& collator);

}  // namespace playback
