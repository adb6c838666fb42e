// Empties a tree of 100,000 files in 1,000 folders with the cleaner's safe deletion and removes an
// identical tree with `rm -rf`, in the same run, and prints both times. The trees are made in a
// scratch folder under the current folder and nothing outside it is touched. On a shared disk the
// times mostly measure the disk; for the cost of the walk itself run it on a tmpfs of its own:
//   mkdir -p bench-scratch
//   unshare -m sh -c 'mount -t tmpfs -o size=2g none bench-scratch && cd bench-scratch && ../bench/bench_emptyfolder'
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/safedelete.h"

namespace {

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr int kRounds = 3;

bool makeTree(const QString& root) {
  if (!QDir().mkpath(root)) return false;
  const int rootFd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY);
  if (rootFd < 0) return false;
  bool ok = true;
  for (int folder = 0; folder < kFolders && ok; ++folder) {
    // Ten folders of a hundred sub-folders each, so that the walk goes more than one level down.
    const std::string group = "g" + std::to_string(folder / 100);
    ::mkdirat(rootFd, group.c_str(), 0700);
    const std::string name = group + "/d" + std::to_string(folder);
    ok = ::mkdirat(rootFd, name.c_str(), 0700) == 0;
    const int dirFd = ::openat(rootFd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ok = ok && dirFd >= 0;
    for (int file = 0; file < kFilesPerFolder && ok; ++file) {
      const std::string fileName = "f" + std::to_string(file) + ".tmp";
      const int fd = ::openat(dirFd, fileName.c_str(), O_CREAT | O_WRONLY | O_EXCL, 0600);
      ok = fd >= 0 && ::write(fd, "x", 1) == 1;
      if (fd >= 0) ::close(fd);
    }
    if (dirFd >= 0) ::close(dirFd);
  }
  ::close(rootFd);
  ::sync();
  return ok;
}

double secondsOf(const std::function<void()>& work) {
  QElapsedTimer timer;
  timer.start();
  work();
  return timer.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QTemporaryDir scratch(QDir::currentPath() + QStringLiteral("/emptyfolder-bench-XXXXXX"));
  if (!scratch.isValid()) {
    std::fprintf(stderr, "cannot make a scratch folder under %s\n", qPrintable(QDir::currentPath()));
    return 1;
  }
  std::vector<double> ours, rm;
  for (int round = 0; round < kRounds; ++round) {
    const QString a = scratch.filePath(QStringLiteral("a%1").arg(round));
    const QString b = scratch.filePath(QStringLiteral("b%1").arg(round));
    if (!makeTree(a) || !makeTree(b)) {
      std::fprintf(stderr, "cannot build the trees\n");
      return 1;
    }
    const auto runOurs = [&] { ours.push_back(secondsOf([&] { platform::emptyFolderSafely(a); })); };
    const auto runRm = [&] {
      rm.push_back(secondsOf([&] { QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), b}); }));
    };
    // Alternate who goes first, so that neither always finds the caches warmer.
    if (round % 2 == 0) {
      runOurs();
      runRm();
    } else {
      runRm();
      runOurs();
    }
    if (!QDir(a).isEmpty() || QFileInfo::exists(b)) {
      std::fprintf(stderr, "a tree was not removed completely\n");
      return 1;
    }
    std::printf("round %d: EmptyFolder %.3f s, rm -rf %.3f s\n", round + 1, ours.back(), rm.back());
  }
  std::sort(ours.begin(), ours.end());
  std::sort(rm.begin(), rm.end());
  const double ratio = ours[kRounds / 2] / rm[kRounds / 2];
  std::printf("median of %d rounds, %d files in %d folders: EmptyFolder %.3f s, rm -rf %.3f s, ratio %.2f "
              "(target at most 1.40)\n",
              kRounds, kFolders * kFilesPerFolder, kFolders, ours[kRounds / 2], rm[kRounds / 2], ratio);
  return 0;
}
