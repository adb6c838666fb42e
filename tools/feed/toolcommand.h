#pragma once

#include <QStringList>
#include <QTextStream>
#include <optional>

namespace feedtool {

// Exit statuses shared by every command.
enum ExitStatus {
  kExitOk = 0,
  kExitLinesDropped = 1,  // check: the program would leave lines out
  kExitFailure = 2,       // bad usage, a file that cannot be read or written, invalid input
};

struct ToolStreams {
  QTextStream& out;
  QTextStream& err;
};

// One subcommand: its name, its arguments and a one-line summary for --help, and what runs it with
// the arguments that follow the name.
struct ToolCommand {
  const char* name;
  const char* arguments;
  const char* summary;
  int (*run)(const QStringList& arguments, ToolStreams& io);
};

enum class CatalogueKind { Tv, Radio };

// The arguments most commands take: --tv or --radio, some of the optional flags allowed, and an
// exact number of file names. Nothing, with the reason written to io.err, when they are wrong.
struct CatalogueArguments {
  CatalogueKind kind = CatalogueKind::Tv;
  QStringList files;
  QStringList flags;
  QString value;  // of the value option, when the command has one
};
std::optional<CatalogueArguments> parseCatalogueArguments(const QStringList& arguments, qsizetype fileCount,
                                                          const QStringList& allowedFlags, ToolStreams& io);

// An option that takes one of a few values as its next argument ("--from m3u").
struct ValueOption {
  QString name;
  QStringList values;
};
// --tv or --radio, the allowed flags, the value option when one is given, and any file names: the
// shared part of every command's arguments. The counts of files are the caller's to check.
std::optional<CatalogueArguments> parseCatalogueOptions(const QStringList& arguments, const QStringList& allowedFlags,
                                                        const ValueOption* valueOption, ToolStreams& io);

}  // namespace feedtool
