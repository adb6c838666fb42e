#pragma once

#include <QString>

namespace benchdata {

// Writes an IPTV playlist of `entries` channels as such lists are published (extended M3U, UTF-8,
// about 130 bytes an entry: a tvg-id, a country for some, a group that is a country name or a
// genre, a title, a stream address). The same playlist every time. False when it cannot be written.
bool writeIptvPlaylist(const QString& path, int entries);

}  // namespace benchdata
