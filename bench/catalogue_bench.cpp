// Load and save times and peak memory of TV catalogues of 1 000, 10 000 and 100 000 stations.
// Every run is a fresh child process that loads the catalogue and saves it back, as the program
// does at start and after an edit, so that its heap and its peak memory are those of one run. The
// load is set against reading the same file from the page cache, in the same run (target for
// 100 000 stations: at most 60 times that read).
//   bench_catalogue [--runs N] [--keep FOLDER] [SIZE...]
// --keep leaves the generated catalogues there (TV-<SIZE>.FEED), for comparing the files that two
// builds write. A catalogue folder as an update leaves it, for bench/startup.sh:
//   bench_catalogue --make-folder FOLDER [TV RADIO]   (default 7000 TV channels, 40000 radio stations)
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>

#include "bench/tvstations.h"
#include "catalogue/feedfile.h"

using namespace catalogue;

namespace {

// Regions of ours in the mix an update brings: many stations from a few countries.
constexpr qint32 kRegionMix[] = {1, 49, 48, 33, 44, 39, 34, 7, 31, 30, 420, 421, 43, 41, 61, 52, 54, 36, 40, 90, 380, 91};

// Stations as an update files them: by region, and by name within a region.
template <class Station>
std::vector<Station> updatedStations(int count, const char* prefix) {
  std::vector<std::vector<Station>> byRegion(std::size(kRegionMix));
  for (int i = 0; i < count; ++i) {
    // Half of the stations in the first region, a quarter in the next, and so on.
    std::size_t slot = 0;
    for (int rest = i; rest % 2 == 1 && slot + 1 < byRegion.size(); rest /= 2) ++slot;
    Station s;
    s.Name = QStringLiteral("%1 Zażółć %2").arg(QLatin1String(prefix)).arg(byRegion[slot].size(), 6, 10, QLatin1Char('0'));
    s.Www = QStringLiteral("www.station-%1.example.com").arg(i);
    s.StreamUrl = QStringLiteral("http://stream%1.example.com:8000/live.mp3").arg(i);
    s.RegionId = kRegionMix[slot];
    s.QualityBps = 128000;
    s.PlayerKind = 8;
    s.Categories = static_cast<quint8>(i % 64);
    if constexpr (std::is_same_v<Station, TvStation>) s.Live = true;
    byRegion[slot].push_back(std::move(s));
  }
  std::sort(byRegion.begin(), byRegion.end(), [](const auto& a, const auto& b) {
    return !a.empty() && (b.empty() || a.front().RegionId < b.front().RegionId);
  });
  std::vector<Station> stations;
  for (auto& region : byRegion) std::move(region.begin(), region.end(), std::back_inserter(stations));
  return stations;
}

int makeFolder(const QString& folder, int tv, int radio) {
  if (!QDir().mkpath(folder)) return 1;
  const bool ok = saveTvFeed(QDir(folder).filePath(kTvFeedName), updatedStations<TvStation>(tv, "Telewizja")).ok &&
                  saveRadioFeed(QDir(folder).filePath(kRadioFeedName), updatedStations<RadioStation>(radio, "Radio")).ok;
  if (ok) std::printf("%s: %d TV channels, %d radio stations\n", qPrintable(folder), tv, radio);
  return ok ? 0 : 1;
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

// The whole file through one reused buffer, as a plain read from the page cache goes.
RunResult pageCacheRead(const QString& path) {
  RunResult result;
  QElapsedTimer timer;
  timer.start();
  const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return result;
  static char buffer[64 * 1024];
  ssize_t read = 0;
  while ((read = ::read(fd, buffer, sizeof buffer)) > 0) {
  }
  close(fd);
  result.loadMs = timer.nsecsElapsed() / 1e6;
  result.ok = read == 0;
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
  if (arguments.value(0) == QLatin1String("--make-folder") && arguments.size() >= 2)
    return makeFolder(arguments[1], arguments.value(2, QStringLiteral("7000")).toInt(),
                      arguments.value(3, QStringLiteral("40000")).toInt());
  int runs = 7;
  QString keep;
  while (arguments.size() >= 2 && (arguments[0] == QLatin1String("--runs") || arguments[0] == QLatin1String("--keep"))) {
    if (arguments[0] == QLatin1String("--runs")) runs = std::max(1, arguments[1].toInt());
    else keep = arguments[1];
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
  std::printf("%9s  %23s  %23s  %15s\n", "", "load", "save", "page-cache read");
  std::printf("%9s  %7s %7s %7s  %7s %7s %7s  %7s %7s  %8s  %12s  %s\n", "stations", "best", "median", "cpu", "best",
              "median", "cpu", "best", "median", "file MiB", "peak RSS MiB", "load/read (best, median)");
  int failures = 0;
  for (int count : sizes) {
    const RunResult generated = inChild([&] { return RunResult{0, 0, 0, 0, 0, saveTvFeed(path, benchdata::makeTvStations(count)).ok}; });
    std::vector<double> loadMs, saveMs, loadCpuMs, saveCpuMs, readMs;
    long peakKiB = 0;
    for (int run = 0; run < runs && generated.ok; ++run) {
      const RunResult read = inChild([&] { return pageCacheRead(path); });
      const RunResult result = inChild([&] { return loadAndSave(path, count); });
      if (!result.ok || !read.ok) break;
      readMs.push_back(read.loadMs);
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
    const Timing read = summarise(readMs);
    std::printf("%9d  %7.1f %7.1f %7.1f  %7.1f %7.1f %7.1f  %7.2f %7.2f  %8.1f  %12.1f  %5.0fx %5.0fx\n", count,
                load.best, load.median, summarise(loadCpuMs).median, save.best, save.median,
                summarise(saveCpuMs).median, read.best, read.median, QFileInfo(path).size() / 1048576.0,
                peakKiB / 1024.0, load.best / read.best, load.median / read.median);
    std::fflush(stdout);
    if (!keep.isEmpty() && !QFile::copy(path, QDir(keep).filePath(QStringLiteral("TV-%1.FEED").arg(count)))) {
      std::fprintf(stderr, "cannot keep the catalogue in %s\n", qPrintable(keep));
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
