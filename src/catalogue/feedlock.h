#pragma once

#include <QString>
#include <chrono>

#include "platform/descriptor.h"

namespace catalogue {

// Held while a catalogue file is checked and written, so that two programs that both take it can
// never check the same old file and then both write: an advisory lock (flock) on the folder that
// holds the file, a link's target's folder for a link. One lock serves both catalogues of a
// folder, and it goes with the process, however that ends. Where the file system keeps no locks
// (some network shares), the work goes on without one.
class FeedLock {
 public:
  // Waits up to `patience` while another process holds the lock.
  explicit FeedLock(const QString& path, std::chrono::milliseconds patience = std::chrono::seconds(10));

  // False when another process held the lock all that time; error() then says so, for the user.
  bool ok() const { return error_.isEmpty(); }
  const QString& error() const { return error_; }

 private:
  platform::Descriptor folder_;
  QString error_;
};

// The folder whose lock guards the catalogue at `path`.
QString lockedFolderOf(const QString& path);

}  // namespace catalogue
