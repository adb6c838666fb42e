#include "feedguard.h"

#include <QDir>
#include <QFile>
#include <QHashFunctions>

#include "catalogue/feedlock.h"

namespace catalogue {
namespace {

LoadResult loadFeed(const QString& path, TvStations& into, const LoadOptions& options) {
  return loadTvFeed(path, into, options);
}
LoadResult loadFeed(const QString& path, RadioStations& into, const LoadOptions& options) {
  return loadRadioFeed(path, into, options);
}
SaveResult saveFeed(const QString& path, const TvStations& stations) { return saveTvFeed(path, stations); }
SaveResult saveFeed(const QString& path, const RadioStations& stations) { return saveRadioFeed(path, stations); }

// A file that is replaced again and again is taken as it was at the last attempt; the next look
// finds it changed.
constexpr int kReadAttempts = 5;

// What the file's bytes are, in a few bytes: a hash of them, read from the page cache without a
// copy. Another program does not aim at its collisions.
std::optional<std::size_t> digestOf(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const qint64 size = file.size();
  if (size == 0) return qHashBits(nullptr, 0);
  const uchar* bytes = file.map(0, size);
  if (bytes == nullptr) {
    const QByteArray read = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    return qHashBits(read.constData(), std::size_t(read.size()));
  }
  const std::size_t digest = qHashBits(bytes, std::size_t(size));
  file.unmap(const_cast<uchar*>(bytes));
  return digest;
}

}  // namespace

template <class Station>
FeedGuard<Station>::FeedGuard(QString path, FeedReadThrough readThrough)
    : path_(std::move(path)), readThrough_(std::move(readThrough)) {}

template <class Station>
void FeedGuard<Station>::remember(const DiskStamp& stamp, const timespec& at) {
  known_ = stamp;
  settled_ = nanosecondsUntilSettled(stamp, at) == 0;
  // Bytes that cannot be read, or that belong to a later file, leave nothing to compare with: the
  // next look finds the file changed.
  unsettledDigest_ = settled_ ? std::nullopt : digestOf(path_);
}

template <class Station>
LoadResult FeedGuard<Station>::load(std::vector<Station>& into) {
  LoadOptions options;
  options.readThrough = readThrough_;
  const std::size_t kept = into.size();
  LoadResult result;
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    into.resize(kept);
    const timespec readAt = wallClock();
    const DiskStamp before = stampOf(path_);
    result = loadFeed(path_, into, options);
    remember(before, readAt);
    if (stampOf(path_) == before) break;
  }
  unreadable_ = result.status == LoadResult::NotOpened && known_.exists && known_.regular;
  return result;
}

template <class Station>
bool FeedGuard<Station>::changedOnDisk() {
  if (!(stampOf(path_) == known_)) return true;
  if (settled_) return false;
  // Changed within the tick of the last change: only the bytes tell.
  const timespec readAt = wallClock();
  const std::optional<std::size_t> digest = digestOf(path_);
  if (!digest || !unsettledDigest_ || *digest != *unsettledDigest_ || !(stampOf(path_) == known_)) return true;
  settled_ = nanosecondsUntilSettled(known_, readAt) == 0;
  return false;
}

template <class Station>
std::optional<LoadResult> FeedGuard<Station>::refresh(std::vector<Station>& stations) {
  if (!changedOnDisk()) return std::nullopt;
  std::vector<Station> onDisk;
  const LoadResult result = load(onDisk);
  if (result.status == LoadResult::NotOpened && !known_.exists) return std::nullopt;
  stations = std::move(onDisk);
  return result;
}

template <class Station>
int FeedGuard<Station>::msUntilStampTells() const {
  if (settled_) return -1;
  return int(nanosecondsUntilSettled(known_, wallClock()) / 1'000'000) + 1;
}

template <class Station>
typename FeedGuard<Station>::Rebase FeedGuard<Station>::rebase(std::vector<Station>& stations) {
  Rebase rebase;
  if (const std::optional<LoadResult> reread = refresh(stations)) {
    rebase.reread = true;
    rebase.load = *reread;
    if (reread->status == LoadResult::ReadError)
      rebase.refusal = reread->error + QStringLiteral("\nZmiana nie została zapisana.");
  }
  if (unreadable_ && rebase.refusal.isEmpty())
    rebase.refusal = QStringLiteral(
                         "Nie można odczytać pliku „%1”, dlatego nie można zmienić jego listy stacji: zapis "
                         "usunąłby z pliku stacje, których program nie zna.")
                         .arg(QDir::toNativeSeparators(path_));
  return rebase;
}

template <class Station>
void FeedGuard<Station>::written() {
  const timespec writtenAt = wallClock();
  remember(stampOf(path_), writtenAt);
  unreadable_ = false;
}

template <class Station>
typename FeedGuard<Station>::Commit FeedGuard<Station>::commit(std::vector<Station>& stations,
                                                               const StationChange<Station>& change,
                                                               const QCollator& names) {
  Commit result;
  const FeedLock lock(path_);
  if (!lock.ok()) {
    result.status = Commit::Failed;
    result.message = lock.error();
    return result;
  }
  const Rebase rebased = rebase(stations);
  result.reread = rebased.reread;
  result.load = rebased.load;
  if (!rebased.refusal.isEmpty()) {
    result.status = Commit::Refused;
    result.message = rebased.refusal;
    return result;
  }
  if (std::optional<QString> conflict = applyChange(stations, change, names, path_)) {
    result.status = Commit::Refused;
    result.message = *conflict;
    return result;
  }
  // Nothing to add to what another program left.
  if (change.kind == StationChange<Station>::Nothing && rebased.reread) return result;
  const SaveResult saved = saveFeed(path_, stations);
  if (!saved.ok) {
    result.status = Commit::Failed;
    result.message = saved.error;
    return result;
  }
  written();
  return result;
}

template <class Station>
GuardedRead<Station> readGuarded(QString path) {
  GuardedRead<Station> read{FeedGuard<Station>(std::move(path)), {}, {}};
  read.result = read.guard.load(read.stations);
  return read;
}

template class FeedGuard<TvStation>;
template class FeedGuard<RadioStation>;
template GuardedRead<TvStation> readGuarded(QString);
template GuardedRead<RadioStation> readGuarded(QString);

}  // namespace catalogue
