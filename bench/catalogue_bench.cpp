// Load and save times and peak memory of TV catalogues of 1 000, 10 000 and 100 000 stations.
// Every run is a fresh child process that loads the catalogue and saves it back, as the program
// does at start and after an edit, so that its heap and its peak memory are those of one run.
//   bench_catalogue [--runs N] [SIZE...]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "catalogue/feedfile.h"

using namespace catalogue;

namespace {

// Stations that look like the shipped ones: Polish letters, addresses of typical length.
TvStations makeStations(int count) {
  TvStations stations;
  stations.reserve(count);
  for (int i = 0; i < count; ++i) {
    TvStation s;
    s.Name = QStringLiteral("Telewizja Łódź Zażółć %1").arg(i);
    s.Www = QStringLiteral("www.telewizja-%1.example.pl").arg(i);
    s.ScheduleWww = QStringLiteral("www.telewizja-%1.example.pl/program-tv").arg(i);
    s.StreamUrl = QStringLiteral("https://cdn%1.example.pl/hls/live/%2/master.m3u8").arg(i % 7).arg(i);
    s.RegionId = i % 3 == 0 ? 48 : 49;
    s.QualityBps = 128000 * (1 + i % 16);
    s.PlayerKind = 8;
    s.Categories = static_cast<quint8>(i % 64);
    s.Live = i % 5 != 0;
    stations.push_back(std::move(s));
  }
  return stations;
}

struct RunResult {
  double loadMs = 0;
  double saveMs = 0;
  double loadCpuMs = 0;  // processor time of this process alone, which other work on the machine
  double saveCpuMs = 0;  // does not inflate
  long peakKiB = 0;
  bool ok = false;
};

// Runs `work` in a child process and hands back what it wrote into the shared pipe.
template <typename Work>
RunResult inChild(Work work) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    RunResult result = work();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    result.peakKiB = usage.ru_maxrss;
    const bool written = write(fds[1], &result, sizeof result) == sizeof result;
    _exit(written ? 0 : 1);
  }
  close(fds[1]);
  RunResult result;
  const bool read = ::read(fds[0], &result, sizeof result) == sizeof result;
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  return result;
}

double cpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

RunResult loadAndSave(const QString& path, int count) {
  RunResult result;
  TvStations stations;
  QElapsedTimer timer;
  timer.start();
  double cpu = cpuMs();
  const LoadResult loaded = loadTvFeed(path, stations);
  result.loadMs = timer.nsecsElapsed() / 1e6;
  result.loadCpuMs = cpuMs() - cpu;
  if (loaded.status != LoadResult::Loaded || int(stations.size()) != count) return result;
  timer.restart();
  cpu = cpuMs();
  const SaveResult saved = saveTvFeed(path, stations);
  result.saveMs = timer.nsecsElapsed() / 1e6;
  result.saveCpuMs = cpuMs() - cpu;
  result.ok = saved.ok;
  return result;
}

// The fastest run shows what the code costs; the median what a busy machine makes of it.
struct Timing {
  double best;
  double median;
};
Timing summarise(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return {values.front(), values[values.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QStringList arguments = QCoreApplication::arguments().mid(1);
  int runs = 7;
  if (arguments.size() >= 2 && arguments[0] == QLatin1String("--runs")) {
    runs = std::max(1, arguments[1].toInt());
    arguments = arguments.mid(2);
  }
  std::vector<int> sizes;
  for (const QString& argument : arguments) sizes.push_back(argument.toInt());
  if (sizes.empty()) sizes = {1000, 10000, 100000};

  QTemporaryDir scratch(QDir::currentPath() + QStringLiteral("/bench-catalogue-XXXXXX"));
  if (!scratch.isValid()) {
    std::fprintf(stderr, "cannot create a scratch folder in %s\n", qPrintable(QDir::currentPath()));
    return 1;
  }
  const QString path = scratch.filePath(QStringLiteral("TV.FEED"));
  std::printf("TV catalogue, %d runs each: best and median wall time and median processor time in ms;\n"
              "peak resident memory of a run\n", runs);
  std::printf("%9s  %23s  %23s\n", "", "load", "save");
  std::printf("%9s  %7s %7s %7s  %7s %7s %7s  %8s  %12s\n", "stations", "best", "median", "cpu", "best", "median", "cpu",
              "file MiB", "peak RSS MiB");
  int failures = 0;
  for (int count : sizes) {
    const RunResult generated = inChild([&] { return RunResult{0, 0, 0, 0, 0, saveTvFeed(path, makeStations(count)).ok}; });
    std::vector<double> loadMs, saveMs, loadCpuMs, saveCpuMs;
    long peakKiB = 0;
    for (int run = 0; run < runs && generated.ok; ++run) {
      const RunResult result = inChild([&] { return loadAndSave(path, count); });
      if (!result.ok) break;
      loadMs.push_back(result.loadMs);
      saveMs.push_back(result.saveMs);
      loadCpuMs.push_back(result.loadCpuMs);
      saveCpuMs.push_back(result.saveCpuMs);
      peakKiB = std::max(peakKiB, result.peakKiB);
    }
    if (int(loadMs.size()) != runs) {
      std::fprintf(stderr, "%d stations: the measurement failed\n", count);
      ++failures;
      continue;
    }
    const Timing load = summarise(loadMs);
    const Timing save = summarise(saveMs);
    std::printf("%9d  %7.1f %7.1f %7.1f  %7.1f %7.1f %7.1f  %8.1f  %12.1f\n", count, load.best, load.median,
                summarise(loadCpuMs).median, save.best, save.median, summarise(saveCpuMs).median,
                QFileInfo(path).size() / 1048576.0, peakKiB / 1024.0);
    std::fflush(stdout);
  }
  return failures == 0 ? 0 : 1;
}
