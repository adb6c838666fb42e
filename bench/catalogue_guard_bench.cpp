// What the checks against other programs cost the program's load and save of a TV catalogue of
// 1 000, 10 000 and 100 000 stations: the plain reader and writer against the program's own path
// (the file's stamp, the folder lock, the look before the write), measured in one run.
//   bench_catalogue_guard [--runs N] [SIZE...]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>

#include "bench/tvstations.h"
#include "catalogue/diskstamp.h"
#include "catalogue/feedfile.h"
#include "catalogue/feedguard.h"
#include "catalogue/stationnames.h"

using namespace catalogue;

namespace {

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

template <typename Work>
double timed(Work work) {
  QElapsedTimer timer;
  timer.start();
  work();
  return timer.nsecsElapsed() / 1e6;
}

// The program starts on a catalogue written some time before, and it looks at the file a fraction
// of a second after it wrote it (the file watch), from when on the stamp alone tells a change; a
// user's next change comes later still. So does each measured load and save here.
void waitUntilTheStampTells(const QString& path, FeedGuard<TvStation>& guard) {
  QThread::msleep(static_cast<unsigned long>(nanosecondsUntilSettled(stampOf(path), wallClock()) / 1'000'000 + 1));
  while (guard.msUntilStampTells() >= 0) {
    QThread::msleep(static_cast<unsigned long>(guard.msUntilStampTells()));
    guard.changedOnDisk();
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QStringList arguments = QCoreApplication::arguments().mid(1);
  int runs = 9;
  if (arguments.size() >= 2 && arguments[0] == QLatin1String("--runs")) {
    runs = std::max(1, arguments[1].toInt());
    arguments = arguments.mid(2);
  }
  std::vector<int> sizes;
  for (const QString& argument : arguments) sizes.push_back(argument.toInt());
  if (sizes.empty()) sizes = {1000, 10000, 100000};

  QTemporaryDir scratch(QDir::currentPath() + QStringLiteral("/bench-guard-XXXXXX"));
  if (!scratch.isValid()) return 1;
  const QString path = scratch.filePath(QStringLiteral("TV.FEED"));
  const QCollator names = stationNameCollator();
  std::printf("TV catalogue, median of %d runs in ms, plain and through the program's checks\n", runs);
  std::printf("%9s  %8s %8s %6s  %8s %8s %6s\n", "stations", "load", "guarded", "ratio", "save", "guarded", "ratio");
  for (int count : sizes) {
    const TvStations stations = benchdata::makeTvStations(count);
    if (!saveTvFeed(path, stations).ok) return 1;
    std::vector<double> load, guardedLoad, save, guardedSave;
    for (int run = 0; run < runs; ++run) {
      // Each run measures both ways, one after the other, in turns first.
      const auto plainWay = [&] {
        FeedGuard<TvStation> guard(path);  // only for the wait
        TvStations plain;
        waitUntilTheStampTells(path, guard);
        load.push_back(timed([&] { loadTvFeed(path, plain); }));
        waitUntilTheStampTells(path, guard);
        save.push_back(timed([&] { saveTvFeed(path, plain); }));
      };
      const auto guardedWay = [&] {
        FeedGuard<TvStation> guard(path);
        TvStations guarded;
        waitUntilTheStampTells(path, guard);
        guardedLoad.push_back(timed([&] { guard.load(guarded); }));
        waitUntilTheStampTells(path, guard);
        // A cancelled editor: the whole catalogue is written again, as after any change.
        guardedSave.push_back(timed([&] { guard.commit(guarded, StationChange<TvStation>::nothing(), names); }));
      };
      if (run % 2 == 0) {
        plainWay();
        guardedWay();
      } else {
        guardedWay();
        plainWay();
      }
    }
    std::printf("%9d  %8.1f %8.1f %6.2f  %8.1f %8.1f %6.2f\n", count, median(load), median(guardedLoad),
                median(guardedLoad) / median(load), median(save), median(guardedSave),
                median(guardedSave) / median(save));
    std::fflush(stdout);
  }
  return 0;
}
