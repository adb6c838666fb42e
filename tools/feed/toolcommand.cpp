#include "toolcommand.h"

namespace feedtool {

std::optional<CatalogueArguments> parseCatalogueOptions(const QStringList& arguments, const QStringList& allowedFlags,
                                                        const ValueOption* valueOption, ToolStreams& io) {
  CatalogueArguments parsed;
  int kinds = 0;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--tv") || argument == QLatin1String("--radio")) {
      parsed.kind = argument == QLatin1String("--tv") ? CatalogueKind::Tv : CatalogueKind::Radio;
      ++kinds;
    } else if (valueOption != nullptr && argument == valueOption->name) {
      if (++i == arguments.size() || !valueOption->values.contains(arguments[i])) {
        io.err << "error: " << valueOption->name << " takes one of " << valueOption->values.join(QLatin1Char('|'))
               << "\n";
        return std::nullopt;
      }
      parsed.value = arguments[i];
    } else if (allowedFlags.contains(argument)) {
      parsed.flags << argument;
    } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
      io.err << "error: unknown option " << argument << "\n";
      return std::nullopt;
    } else {
      parsed.files << argument;
    }
  }
  if (kinds != 1) {
    io.err << "error: give exactly one of --tv and --radio\n";
    return std::nullopt;
  }
  return parsed;
}

std::optional<CatalogueArguments> parseCatalogueArguments(const QStringList& arguments, qsizetype fileCount,
                                                          const QStringList& allowedFlags, ToolStreams& io) {
  std::optional<CatalogueArguments> parsed = parseCatalogueOptions(arguments, allowedFlags, nullptr, io);
  if (!parsed) return std::nullopt;
  if (parsed->files.size() != fileCount) {
    io.err << "error: expected " << fileCount << (fileCount == 1 ? " file name" : " file names") << ", got "
           << parsed->files.size() << "\n";
    return std::nullopt;
  }
  return parsed;
}

}  // namespace feedtool
