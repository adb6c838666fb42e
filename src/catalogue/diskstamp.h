#pragma once

#include <QString>
#include <QtGlobal>
#include <ctime>
#include <sys/types.h>

namespace catalogue {

// What the file system says of a catalogue file: which file it is, how long, and when it last
// changed in any way. Another program's rename, copy or write changes at least one of these, as
// long as it happens in a later tick of the file system's clock than the last change.
struct DiskStamp {
  bool exists = false;
  bool regular = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec changed{};  // status change time: moves with every write, rename, chmod and restore
  friend bool operator==(const DiskStamp& a, const DiskStamp& b) {
    return a.exists == b.exists && a.regular == b.regular && a.device == b.device && a.inode == b.inode &&
           a.size == b.size && a.changed.tv_sec == b.changed.tv_sec && a.changed.tv_nsec == b.changed.tv_nsec;
  }
};

// The file a path names now, following links as the reader and the writer do.
DiskStamp stampOf(const QString& path);

// The wall clock, on the scale of change times.
timespec wallClock();

// How long after the change time of `stamp` the file system's clock is sure to have moved on, so
// that a later change of the file shows in its change time: a few milliseconds where change times
// have sub-millisecond digits, two seconds on file systems that keep whole or even seconds.
qint64 settleNanoseconds(const DiskStamp& stamp);

// Nanoseconds from `at` until a file whose stamp was seen at `at` is known to show any later
// change in its stamp; 0 when it already is. A missing file shows its creation at once.
qint64 nanosecondsUntilSettled(const DiskStamp& stamp, const timespec& at);

}  // namespace catalogue
