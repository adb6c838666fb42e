// Empties a trash of 10,000 items twice: once with every item free to go, once with one item held
// open by this process, so that every other description is removed one by one. Prints both times
// and the difference. The home, the XDG folders and the machine root point into a scratch folder
// under the current folder; run it on a tmpfs of its own:
//   mkdir -p bench-scratch
//   unshare -m sh -c 'mount -t tmpfs -o size=1g none bench-scratch && cd bench-scratch && ../bench/bench_trash'
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "platform/trash.h"

namespace {

constexpr int kItems = 10000;
constexpr int kRounds = 3;

bool makeTrash(const QString& trash) {
  if (!QDir().mkpath(trash + "/files") || !QDir().mkpath(trash + "/info")) return false;
  for (int item = 0; item < kItems; ++item) {
    const QByteArray name = "item" + QByteArray::number(item) + ".odt";
    QFile file(trash + "/files/" + name), info(trash + "/info/" + name + ".trashinfo");
    if (!file.open(QIODevice::WriteOnly) || !info.open(QIODevice::WriteOnly)) return false;
    file.write("x");
    info.write("[Trash Info]\nPath=/home/user/" + name + "\nDeletionDate=2026-12-09T12:00:00\n");
  }
  return true;
}

double secondsToEmpty() {
  QElapsedTimer timer;
  timer.start();
  platform::emptyTrash();
  return timer.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QTemporaryDir scratch(QDir::currentPath() + QStringLiteral("/trash-bench-XXXXXX"));
  if (!scratch.isValid()) return 1;
  const QString home = scratch.filePath("home");
  qputenv("HOME", QFile::encodeName(home));
  qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/.local/share"));
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
  qputenv("SIECIOWNIK_MACHINE_ROOT", QFile::encodeName(scratch.filePath("root")));
  QDir().mkpath(scratch.filePath("root"));
  const QString trash = home + "/.local/share/Trash";
  std::vector<double> free, oneStays;
  for (int round = 0; round < kRounds; ++round) {
    if (!makeTrash(trash)) return 1;
    free.push_back(secondsToEmpty());
    if (!makeTrash(trash)) return 1;
    const int held = ::open(QFile::encodeName(trash + "/files/item5000.odt").constData(), O_RDONLY | O_CLOEXEC);
    oneStays.push_back(secondsToEmpty());
    const int left = QDir(trash + "/info").entryList(QDir::Files).size();
    ::close(held);
    if (left != 1) {
      std::fprintf(stderr, "%d descriptions left, expected 1\n", left);
      return 1;
    }
    QDir(trash).removeRecursively();
    std::printf("round %d: all go %.3f s, one stays %.3f s\n", round + 1, free.back(), oneStays.back());
  }
  std::sort(free.begin(), free.end());
  std::sort(oneStays.begin(), oneStays.end());
  std::printf("median of %d rounds, %d items: all go %.3f s, one stays %.3f s, %.3f s more (target under 1 s)\n",
              kRounds, kItems, free[kRounds / 2], oneStays[kRounds / 2], oneStays[kRounds / 2] - free[kRounds / 2]);
  return 0;
}
