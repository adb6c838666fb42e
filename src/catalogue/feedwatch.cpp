#include "feedwatch.h"

#include <QFileInfo>

#include "catalogue/feedlock.h"

namespace catalogue {
namespace {

// Long enough to gather a save's events (temporary file, rename), short enough to show a change
// within a second.
constexpr int kGatherMs = 200;

}  // namespace

FeedWatch::FeedWatch(QString path, std::function<void()> mayHaveChanged)
    : path_(std::move(path)), mayHaveChanged_(std::move(mayHaveChanged)) {
  settle_.setSingleShot(true);
  settle_.setInterval(kGatherMs);
  again_.setSingleShot(true);
  const auto gather = [this] {
    if (!settle_.isActive()) settle_.start();
  };
  QObject::connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, gather);
  QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, gather);
  QObject::connect(&settle_, &QTimer::timeout, &settle_, [this] {
    watchFile();
    mayHaveChanged_();
  });
  QObject::connect(&again_, &QTimer::timeout, &again_, [this] { mayHaveChanged_(); });
  QStringList folders{QFileInfo(path_).absolutePath(), lockedFolderOf(path_)};
  folders.removeDuplicates();
  for (const QString& folder : folders)
    if (QFileInfo(folder).isDir()) watcher_.addPath(folder);
  watchFile();
}

void FeedWatch::reportAgainIn(int ms) { again_.start(ms); }

// A replaced file is a new file: the watch of the old one ended with it.
void FeedWatch::watchFile() {
  if (!watcher_.files().contains(path_) && QFileInfo::exists(path_)) watcher_.addPath(path_);
}

}  // namespace catalogue
