// sieciownik-feed: reads and writes the program's scrambled catalogue files for catalogue authors,
// with the very same reader and writer as the program.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "feedcommands.h"
#include "playlistcommands.h"
#include "toolcommand.h"

namespace {

using feedtool::ToolCommand;
using feedtool::ToolStreams;

// One row per subcommand.
const ToolCommand kCommands[] = {
    {"decode", "--tv|--radio FILE", "print every station the program would load, one JSON object a line",
     feedtool::runDecode},
    {"encode", "--tv|--radio [--json|--text] INPUT OUTPUT",
     "write a scrambled catalogue from JSON lines or the readable text form", feedtool::runEncode},
    {"check", "--tv|--radio FILE", "list every line the program would drop, and why (exit status 1 if any)",
     feedtool::runCheck},
    {"import", "--tv|--radio --from m3u|pls|xspf|radio-browser|iptv-org FILE... OUTPUT",
     "write a catalogue from playlists or saved directory responses (iptv-org: channels and streams)",
     feedtool::runImport},
    {"export", "--tv|--radio --to m3u|pls|xspf FILE [--favourites]",
     "print a catalogue, or only its favourites, as a playlist", feedtool::runExport},
};

void printHelp(QTextStream& out) {
  out << "Usage: sieciownik-feed COMMAND [ARGUMENTS]\n"
         "Reads and writes the catalogue files TV.FEED (--tv) and RADIO.FEED (--radio).\n\nCommands:\n";
  for (const ToolCommand& command : kCommands)
    out << "  " << command.name << " " << command.arguments << "\n      " << command.summary << "\n";
  out << "\nJSON lines: one object a line with the keys Name, Www, ScheduleWww (TV only), StreamUrl,\n"
         "RegionId, QualityBps, PlayerKind, Categories and Live (TV only); texts in UTF-8.\n"
         "Readable text form: UTF-8 lines with the file's own columns separated by TABs, \"-\" for an\n"
         "empty value, blank lines and lines beginning with ';' ignored. TV columns: Name, Www,\n"
         "ScheduleWww, PlayerKind, RegionId, Categories, Live (1 live, 2 not), QualityBps, StreamUrl.\n"
         "Radio columns: Name, Www, PlayerKind, RegionId, Categories, QualityBps, StreamUrl.\n"
         "encode takes JSON lines when the first line that is not blank or a comment begins with '{'.\n"
         "\nExit status: 0 success, 1 lines dropped (check), 2 error.\n";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  ToolStreams io{out, err};
  QStringList arguments = QCoreApplication::arguments().mid(1);

  if (arguments.isEmpty()) {
    printHelp(err);
    return feedtool::kExitFailure;
  }
  const QString name = arguments.takeFirst();
  if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
    printHelp(out);
    return feedtool::kExitOk;
  }
  for (const ToolCommand& command : kCommands) {
    if (name != QLatin1String(command.name)) continue;
    if (arguments.contains(QLatin1String("--help"))) {
      out << "Usage: sieciownik-feed " << command.name << " " << command.arguments << "\n" << command.summary << "\n";
      return feedtool::kExitOk;
    }
    return command.run(arguments, io);
  }
  err << "error: unknown command " << name << " (see sieciownik-feed --help)\n";
  return feedtool::kExitFailure;
}
