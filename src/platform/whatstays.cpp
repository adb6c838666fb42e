#include "whatstays.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/descriptor.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// However quick a look, the next one before an entry waits at least this long, and at least as
// long as forty looks take: the looks then cost at most a fortieth of the step.
constexpr auto kShortestPause = std::chrono::milliseconds(250);
constexpr int kWorkPerLook = 40;
constexpr auto kLongestPause = std::chrono::seconds(1);

// A file is stamped with the time it changed, taken from the fine clock or from the coarse one
// (which lags behind by up to a tick). Everything stamped before now is stamped earlier than now;
// waiting until the coarse clock has caught up with now makes everything stamped from then on
// stamped at or after it.
timespec stepBeginning() {
  timespec now{}, coarse{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  ::clock_gettime(CLOCK_REALTIME_COARSE, &coarse);
  for (int waited = 0; waited < 200 && (coarse.tv_sec < now.tv_sec || (coarse.tv_sec == now.tv_sec && coarse.tv_nsec < now.tv_nsec)); ++waited) {
    const timespec pause{0, 250'000};
    ::nanosleep(&pause, nullptr);
    ::clock_gettime(CLOCK_REALTIME_COARSE, &coarse);
  }
  return now;
}

}  // namespace

WhatStays::WhatStays()
    : began_(stepBeginning()),
      user_(::geteuid()),
      mounts_(MountTable::ofThisProcess()),
      kept_(KeptFolders::ofThisSession(mounts_)),
      tmpfiles_(TmpfilesExclusions::ofThisMachine()) {
  look();
}

void WhatStays::look() {
  const Clock::time_point start = Clock::now();
  inUse_ = FilesInUse::scan(mounts_);
  ++generation_;
  lastLook_ = Clock::now();
  lookTook_ = lastLook_ - start;
}

void WhatStays::refreshBeforeEntry() {
  const Clock::duration pause = std::max<Clock::duration>(kShortestPause, lookTook_ * kWorkPerLook);
  if (Clock::now() - lastLook_ >= std::min<Clock::duration>(pause, kLongestPause)) look();
}

void WhatStays::refreshIfOld() {
  if (Clock::now() - lastLook_ >= kLongestPause) look();
}

std::unordered_set<std::string> WhatStays::namedEntries(int startFd, const std::string& startPath,
                                                       std::uint64_t mountId, bool& everything) const {
  std::unordered_set<std::string> names = tmpfiles_.holdersIn(startFd, startPath, mountId, everything);
  const std::string prefix = startPath == "/" ? startPath : startPath + '/';
  for (const std::string& path : inUse_.namedPaths()) {
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) continue;
    names.insert(path.substr(prefix.size(), path.find('/', prefix.size()) - prefix.size()));
  }
  return names;
}

bool socketAnswers(int folderFd, const char* name) {
  // Reached through the folder's descriptor, which keeps the address short and sure.
  const std::string path = "/proc/self/fd/" + std::to_string(folderFd) + '/' + name;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return true;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  for (const int type : {SOCK_STREAM, SOCK_SEQPACKET, SOCK_DGRAM}) {
    Descriptor probe(::socket(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!probe.valid()) return true;
    if (::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
    if (errno == EPROTOTYPE) continue;  // served, but with sockets of another type
    return errno != ECONNREFUSED && errno != ENOENT;
  }
  return true;
}

}  // namespace platform
