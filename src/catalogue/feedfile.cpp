#include "feedfile.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>

#include "catalogue/feedbuffer.h"
#include "catalogue/feedcolumns.h"
#include "catalogue/filereplace.h"
#include "platform/texttrim.h"

namespace catalogue {
namespace {

template <typename Station>
LoadResult loadFeed(QIODevice& device, std::vector<Station>& into, const LoadOptions& options) {
  FeedReader reader(device);
  QByteArrayView line;
  for (;;) {
    switch (reader.readLine(line)) {
      case FeedReader::End:
        return {LoadResult::Loaded, {}};
      case FeedReader::Error:
        return {LoadResult::ReadError, reader.errorString()};
      case FeedReader::Line:
        break;
    }
    line = platform::trimControls(line);
    if (line.isEmpty() || line.front() == ';') continue;
    Station record;
    if (std::optional<DroppedLine> dropped = parseFeedLine(line, record)) {
      if (options.onDroppedLine) {
        dropped->lineNumber = reader.lineNumber();
        options.onDroppedLine(*dropped);
      }
      continue;
    }
    into.push_back(std::move(record));
  }
}

// Only an existing regular file is opened: a folder, a pipe or a device is not a catalogue.
bool openFeed(QFile& file) {
  struct stat info {};
  if (::stat(QFile::encodeName(file.fileName()).constData(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return file.open(QIODevice::ReadOnly | QIODevice::ExistingOnly | QIODevice::Unbuffered);
}

template <typename Station>
LoadResult loadFeedFile(const QString& path, std::vector<Station>& into, const LoadOptions& options) {
  QFile file(path);
  if (!openFeed(file)) return {LoadResult::NotOpened, {}};
  // Room for as many records as the file could hold lines of a plausible shortest length, so a
  // large catalogue is not copied again and again as the array grows. Room never written to costs
  // address space only.
  constexpr qint64 kShortLine = 48;
  into.reserve(into.size() + static_cast<std::size_t>(file.size() / kShortLine));
  std::unique_ptr<QIODevice> through = options.readThrough ? options.readThrough(path, file) : nullptr;
  LoadResult result = loadFeed(through ? *through : file, into, options);
  if (result.status == LoadResult::ReadError)
    result.error = QStringLiteral("Błąd odczytu pliku „%1”: %2").arg(QDir::toNativeSeparators(path), result.error);
  result.writable = canReplaceFile(path);
  return result;
}

template <typename Station>
SaveResult saveFeed(const QString& path, const std::vector<Station>& stations) {
  return replaceFile(path, [&stations](int fd) {
    FeedWriter writer(fd);
    QByteArray line;
    line.reserve(1024);
    for (const Station& station : stations) {
      line.resize(0);
      appendFeedLine(station, line);
      writer.write(line);
    }
    return writer.finish();
  });
}

}  // namespace

LoadResult loadTvFeed(const QString& path, TvStations& into, const LoadOptions& options) {
  return loadFeedFile(path, into, options);
}

LoadResult loadRadioFeed(const QString& path, RadioStations& into, const LoadOptions& options) {
  return loadFeedFile(path, into, options);
}

LoadResult loadTvFeed(QIODevice& device, TvStations& into, const LoadOptions& options) {
  return loadFeed(device, into, options);
}

LoadResult loadRadioFeed(QIODevice& device, RadioStations& into, const LoadOptions& options) {
  return loadFeed(device, into, options);
}

SaveResult saveTvFeed(const QString& path, const TvStations& stations) { return saveFeed(path, stations); }

SaveResult saveRadioFeed(const QString& path, const RadioStations& stations) { return saveFeed(path, stations); }

}  // namespace catalogue
