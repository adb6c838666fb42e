#include "diskstamp.h"

#include <QFile>
#include <algorithm>
#include <sys/stat.h>

namespace catalogue {
namespace {

constexpr qint64 kNanosecondsPerSecond = 1'000'000'000;

qint64 nanoseconds(const timespec& time) { return qint64(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec; }

}  // namespace

DiskStamp stampOf(const QString& path) {
  struct stat info {};
  DiskStamp stamp;
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return stamp;
  stamp.exists = true;
  stamp.regular = S_ISREG(info.st_mode);
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.changed = info.st_ctim;
  return stamp;
}

timespec wallClock() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

qint64 settleNanoseconds(const DiskStamp& stamp) {
  // The kernel stamps files from a clock that moves in ticks of up to 10 ms; file systems that
  // keep no sub-millisecond digits (FAT, ext3, many network shares) round to one or two seconds.
  const bool fineGrained = stamp.changed.tv_nsec % 1'000'000 != 0;
  return fineGrained ? 50'000'000 : 2 * kNanosecondsPerSecond;
}

qint64 nanosecondsUntilSettled(const DiskStamp& stamp, const timespec& at) {
  if (!stamp.exists) return 0;
  return std::max<qint64>(0, nanoseconds(stamp.changed) + settleNanoseconds(stamp) - nanoseconds(at));
}

}  // namespace catalogue
