// The program's start: from the moment it was launched to the main window's first paint, the
// memory resident then, and the memory once the banner has loaded from a page on 127.0.0.1.
// Run through bench/startup.sh, which serves the banner page, points SIECIOWNIK_BANNER_URL at it,
// starts this program under a virtual display and passes the launch time.
//   bench_startup LAUNCH_NS
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

#include "app/program.h"
#include "tests/support/processtree.h"

namespace {

qint64 nowNs() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Resident kilobytes of one process.
qint64 residentKb(const QString& pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
  return 0;
}

// This process and every process it started (the web engine's helpers), added up.
qint64 treeResidentKb() {
  qint64 total = residentKb(QStringLiteral("self"));
  for (const QByteArray& pid : testsupport::descendantsOf(QByteArray::number(getpid())))
    total += residentKb(QString::fromLatin1(pid));
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_startup LAUNCH_NS\n");
    return 2;
  }
  const qint64 launched = QByteArray(argv[1]).toLongLong();
  app::ProgramProbes probes;
  qint64 paintMs = -1;
  probes.firstPaint = [&] {
    paintMs = (nowNs() - launched) / 1000000;
    std::printf("start to first paint: %lld ms\n", static_cast<long long>(paintMs));
    std::printf("resident at first paint: %lld kB (with helper processes %lld kB)\n",
                static_cast<long long>(residentKb(QStringLiteral("self"))), static_cast<long long>(treeResidentKb()));
    // Never wait for ever on a banner that does not come.
    QTimer::singleShot(30000, qApp, [] {
      std::printf("the banner did not load within 30 s\n");
      QCoreApplication::exit(1);
    });
  };
  probes.bannerLoaded = [&] {
    std::printf("start to banner loaded: %lld ms\n", static_cast<long long>((nowNs() - launched) / 1000000));
    std::printf("resident after the banner loaded: %lld kB (with helper processes %lld kB)\n",
                static_cast<long long>(residentKb(QStringLiteral("self"))), static_cast<long long>(treeResidentKb()));
    std::fflush(stdout);
    QCoreApplication::quit();
  };
  return app::runProgram(1, argv, probes);
}
