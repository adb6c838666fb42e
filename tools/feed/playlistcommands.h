#pragma once

#include "toolcommand.h"

namespace feedtool {

// import --tv|--radio --from m3u|pls|xspf|radio-browser|iptv-org FILE... OUTPUT: a scrambled
// catalogue from playlists or from saved responses of the two public directories, mapped as the
// program's update maps them.
int runImport(const QStringList& arguments, ToolStreams& io);

// export --tv|--radio --to m3u|pls|xspf FILE [--favourites]: a catalogue, or only its favourites,
// as a playlist on standard output.
int runExport(const QStringList& arguments, ToolStreams& io);

}  // namespace feedtool
