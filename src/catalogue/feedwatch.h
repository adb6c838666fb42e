#pragma once

#include <QFileSystemWatcher>
#include <QString>
#include <QTimer>
#include <functional>

namespace catalogue {

// Says, a fraction of a second after it happens, that a catalogue file may have changed on disk.
// It watches the file and the folders that hold it and its link's target: other programs replace
// the file by renaming a new one over it, which the watch on the old file does not see. Bursts of
// events are reported once; what changed is for the caller to find out.
class FeedWatch {
 public:
  FeedWatch(QString path, std::function<void()> mayHaveChanged);
  // Reports once more after `ms`, whether or not anything happens meanwhile.
  void reportAgainIn(int ms);

 private:
  void watchFile();

  QString path_;
  std::function<void()> mayHaveChanged_;
  QFileSystemWatcher watcher_;
  QTimer settle_;  // gathers a burst of events into one report
  QTimer again_;
};

}  // namespace catalogue
