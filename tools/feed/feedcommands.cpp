#include "feedcommands.h"

#include <QFile>
#include <QFileInfo>

#include "catalogue/feedfile.h"
#include "catalogue/feedlock.h"
#include "stationjson.h"
#include "textform.h"

namespace feedtool {
namespace {

using catalogue::DroppedLine;
using catalogue::LoadOptions;
using catalogue::LoadResult;
using catalogue::RadioStation;
using catalogue::TvStation;

LoadResult load(const QString& path, std::vector<TvStation>& into, const LoadOptions& options) {
  return catalogue::loadTvFeed(path, into, options);
}
LoadResult load(const QString& path, std::vector<RadioStation>& into, const LoadOptions& options) {
  return catalogue::loadRadioFeed(path, into, options);
}
catalogue::SaveResult save(const QString& path, const std::vector<TvStation>& stations) {
  return catalogue::saveTvFeed(path, stations);
}
catalogue::SaveResult save(const QString& path, const std::vector<RadioStation>& stations) {
  return catalogue::saveRadioFeed(path, stations);
}

QString whyNotOpened(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return QStringLiteral("no such file");
  if (info.isDir()) return QStringLiteral("it is a folder");
  if (!info.isFile()) return QStringLiteral("not a regular file");
  return QStringLiteral("permission denied");
}

// Loads the way the program does. False, with the reason
// written out, when the file could not be read to its end.
template <typename Station>
bool loadForReading(const QString& path, std::vector<Station>& stations, ToolStreams& io,
                    std::function<void(const DroppedLine&)> onDroppedLine = {}) {
  LoadOptions options;
  options.onDroppedLine = std::move(onDroppedLine);
  const LoadResult result = load(path, stations, options);
  switch (result.status) {
    case LoadResult::Loaded:
      return true;
    case LoadResult::NotOpened:
      io.err << "error: cannot open " << path << ": " << whyNotOpened(path) << "\n";
      return false;
    case LoadResult::ReadError:
      io.err << "error: " << result.error << "\n";
      return false;
  }
  return false;
}

template <typename Station>
int decode(const QString& path, ToolStreams& io) {
  std::vector<Station> stations;
  const bool complete = loadForReading(path, stations, io);
  for (const Station& station : stations) io.out << toJsonLine(station) << "\n";
  return complete ? kExitOk : kExitFailure;
}

template <typename Station>
int encode(const QString& inputPath, const QString& outputPath, InputForm form, ToolStreams& io) {
  QFile input(inputPath);
  if (!input.open(QIODevice::ReadOnly)) {
    io.err << "error: cannot read " << inputPath << ": " << input.errorString() << "\n";
    return kExitFailure;
  }
  std::vector<InputProblem> problems;
  const std::vector<Station> stations = readStations<Station>(input.readAll(), form, problems);
  if (input.error() != QFileDevice::NoError) {
    io.err << "error: cannot read " << inputPath << ": " << input.errorString() << "\n";
    return kExitFailure;
  }
  for (const InputProblem& problem : problems)
    io.err << inputPath << ":" << problem.lineNumber << ": " << problem.message << "\n";
  if (!problems.empty()) {
    io.err << "error: " << problems.size() << (problems.size() == 1 ? " line" : " lines") << " not valid; "
           << outputPath << " not written\n";
    return kExitFailure;
  }
  // A running program checks and writes its catalogue under this lock: it then finds the new file
  // and shows it, instead of writing its own list over it.
  const catalogue::FeedLock lock(outputPath);
  if (!lock.ok()) {
    io.err << "error: " << lock.error() << "\n";
    return kExitFailure;
  }
  const catalogue::SaveResult saved = save(outputPath, stations);
  if (!saved.ok) {
    io.err << "error: " << saved.error << "\n";
    return kExitFailure;
  }
  return kExitOk;
}

template <typename Station>
int check(const QString& path, ToolStreams& io) {
  std::vector<Station> stations;
  qint64 droppedLines = 0;
  const bool complete = loadForReading(path, stations, io, [&](const DroppedLine& dropped) {
    ++droppedLines;
    io.out << path << ":" << dropped.lineNumber << ": dropped: " << describeDroppedLine(dropped) << "\n";
  });
  if (!complete) return kExitFailure;
  io.out << stations.size() << " stations loaded, " << droppedLines << " lines dropped\n";
  return droppedLines > 0 ? kExitLinesDropped : kExitOk;
}

}  // namespace

int runDecode(const QStringList& arguments, ToolStreams& io) {
  const auto parsed = parseCatalogueArguments(arguments, 1, {}, io);
  if (!parsed) return kExitFailure;
  return parsed->kind == CatalogueKind::Tv ? decode<TvStation>(parsed->files[0], io)
                                           : decode<RadioStation>(parsed->files[0], io);
}

int runEncode(const QStringList& arguments, ToolStreams& io) {
  const auto parsed = parseCatalogueArguments(arguments, 2, {QStringLiteral("--json"), QStringLiteral("--text")}, io);
  if (!parsed) return kExitFailure;
  if (parsed->flags.size() > 1) {
    io.err << "error: give at most one of --json and --text\n";
    return kExitFailure;
  }
  InputForm form = InputForm::Detect;
  if (!parsed->flags.isEmpty())
    form = parsed->flags[0] == QLatin1String("--json") ? InputForm::JsonLines : InputForm::Text;
  const QString& input = parsed->files[0];
  const QString& output = parsed->files[1];
  return parsed->kind == CatalogueKind::Tv ? encode<TvStation>(input, output, form, io)
                                           : encode<RadioStation>(input, output, form, io);
}

int runCheck(const QStringList& arguments, ToolStreams& io) {
  const auto parsed = parseCatalogueArguments(arguments, 1, {}, io);
  if (!parsed) return kExitFailure;
  return parsed->kind == CatalogueKind::Tv ? check<TvStation>(parsed->files[0], io)
                                           : check<RadioStation>(parsed->files[0], io);
}

}  // namespace feedtool
