// "Aktualizuj" on a directory answer of the real directory's size: 60,000 radio stations (about
// 64 MB of JSON) and a TV directory of 35,000 channels with 12,000 streams, served on 127.0.0.1.
// Prints, for every round, the time to fetch and to map the lists, the program's peak memory in
// that round and what it keeps afterwards (the server is a process of its own), and the longest
// time the user-interface thread went without handling its events (target: never over 50 ms).
// The mapping is set against Python's json.loads of the same answers, in the same run (target: at
// most half its time). Then the catalogue tool imports an IPTV playlist of --playlist entries
// (0: none), timed with its peak memory, per entry against the mapping (target: no slower).
//   bench_update_mapping [--stations N] [--rounds N] [--playlist N] [--keep]
// --keep leaves the answers, the playlist and the catalogue imported from it in the scratch folder
// (its name is printed), for comparing what two builds make of them.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <unistd.h>

#include "app/update/catalogueupdate.h"
#include "bench/iptvplaylist.h"
#include "tests/update/testserver.h"

namespace {

// Countries with regions of ours and without, in the mix the directory has (many from a few).
const char* const kCountries[] = {"US", "DE", "PL", "FR", "GB", "IT", "ES", "RU", "GR", "NL", "BR", "CA", "AT",
                                  "CH", "AU", "MX", "AR", "CZ", "SK", "UA", "RO", "HU", "TR", "IN", "XK", "ZZ"};
const char* const kCodecs[] = {"MP3", "AAC", "AAC+", "OGG", "FLAC", "UNKNOWN"};

// One station object as the directory writes it, all its fields included.
QByteArray radioStation(int number, QRandomGenerator& random) {
  const QByteArray n = QByteArray::number(number);
  const char* country = kCountries[std::min<quint32>(random.bounded(40u), 25u)];
  const QByteArray uuid = QByteArray::number(random.generate64(), 16).rightJustified(16, '0');
  return "{\"changeuuid\":\"" + uuid + "-c\",\"stationuuid\":\"" + uuid + "-s\",\"serveruuid\":null,"
         "\"name\":\"Radio Przykładowe " + n + " – Muzyka i wiadomości\","
         "\"url\":\"http://stream" + n + ".example.com:8000/live\","
         "\"url_resolved\":\"http://stream" + n + ".example.com:8000/live.mp3\","
         "\"homepage\":\"https://www.radio" + n + ".example.com/\",\"favicon\":\"https://www.radio" + n +
         ".example.com/favicon.ico\",\"tags\":\"pop,rock,news,talk,local\",\"country\":\"Country\","
         "\"countrycode\":\"" + country + "\",\"iso_3166_2\":null,\"state\":\"\",\"language\":\"polish,english\","
         "\"languagecodes\":\"pl,en\",\"votes\":" + QByteArray::number(random.bounded(5000)) +
         ",\"lastchangetime\":\"2024-01-01 10:00:00\",\"lastchangetime_iso8601\":\"2024-01-01T10:00:00Z\","
         "\"codec\":\"" + kCodecs[random.bounded(6)] + "\",\"bitrate\":" + QByteArray::number(32 * (1 + random.bounded(8))) +
         ",\"hls\":0,\"lastcheckok\":" + (random.bounded(20) ? "1" : "0") +
         ",\"lastchecktime\":\"2024-01-02 10:00:00\",\"lastchecktime_iso8601\":\"2024-01-02T10:00:00Z\","
         "\"lastcheckoktime\":\"2024-01-02 10:00:00\",\"lastcheckoktime_iso8601\":\"2024-01-02T10:00:00Z\","
         "\"lastlocalchecktime\":\"\",\"lastlocalchecktime_iso8601\":null,\"clicktimestamp\":\"\","
         "\"clicktimestamp_iso8601\":null,\"clickcount\":" + QByteArray::number(random.bounded(10000)) +
         ",\"clicktrend\":0,\"ssl_error\":0,\"geo_lat\":null,\"geo_long\":null,\"has_extended_info\":false}";
}

QByteArray radioDirectory(int stations) {
  QRandomGenerator random(1);
  QByteArray json = "[";
  json.reserve(qsizetype(stations) * 1100);
  for (int i = 0; i < stations; ++i) {
    if (i) json += ",\n";
    json += radioStation(i, random);
  }
  return json + "]";
}

QByteArray tvChannels(int channels) {
  QRandomGenerator random(2);
  QByteArray json = "[";
  for (int i = 0; i < channels; ++i) {
    if (i) json += ",\n";
    const QByteArray n = QByteArray::number(i);
    json += "{\"id\":\"Channel" + n + ".xx\",\"name\":\"Kanał " + n + "\",\"alt_names\":[],\"network\":null,"
            "\"owners\":[],\"country\":\"" + kCountries[std::min<quint32>(random.bounded(40u), 25u)] +
            "\",\"subdivision\":null,\"city\":null,\"categories\":[\"news\",\"general\"],\"is_nsfw\":false,"
            "\"launched\":null,\"closed\":null,\"replaced_by\":null,\"website\":\"https://channel" + n +
            ".example.com\",\"logo\":\"https://logo.example.com/" + n + ".png\"}";
  }
  return json + "]";
}

QByteArray tvStreams(int channels, int streams) {
  QByteArray json = "[";
  for (int i = 0; i < streams; ++i) {
    if (i) json += ",\n";
    const QByteArray channel = QByteArray::number(i * (channels / streams));
    json += "{\"channel\":\"Channel" + channel + ".xx\",\"url\":\"https://live.example.com/" + channel +
            "/index.m3u8\",\"http_referrer\":null,\"user_agent\":null,\"status\":\"online\"}";
  }
  return json + "]";
}

// A figure of /proc/self/status in MiB: VmHWM, the peak resident memory since the last reset,
// or VmRSS, the resident memory now.
double statusMiB(const char* field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray key = QByteArray(field) + ':';
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').value(0).toDouble() / 1024;
  return -1;
}
double peakMemoryMiB() { return statusMiB("VmHWM"); }
double residentMiB() { return statusMiB("VmRSS"); }

// Starts the peak anew, so that each round shows its own.
void resetPeakMemory() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  if (clear.open(QIODevice::WriteOnly)) clear.write("5");
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Python's json.loads of the same answers, three times; the time of each run in ms.
std::vector<double> pythonJsonLoads(const QStringList& answers) {
  QProcess python;
  python.start(QStringLiteral("python3"),
               QStringList{QStringLiteral("-c"),
                           QStringLiteral("import json, sys, time\n"
                                          "answers = [open(p, 'rb').read() for p in sys.argv[1:]]\n"
                                          "for _ in range(3):\n"
                                          "    start = time.perf_counter()\n"
                                          "    for answer in answers: json.loads(answer)\n"
                                          "    print((time.perf_counter() - start) * 1000)\n")} +
                   answers);
  std::vector<double> times;
  if (!python.waitForFinished(300'000) || python.exitCode() != 0) return times;
  for (const QByteArray& line : python.readAllStandardOutput().split('\n'))
    if (!line.trimmed().isEmpty()) times.push_back(line.toDouble());
  return times;
}

struct Import {
  double ms = 0;
  double peakMiB = 0;
  int exitCode = -1;
};

// The catalogue tool's playlist import, as a process of its own, timed by /usr/bin/time: the peak
// memory the kernel reports for a child started from here would include this program's own, taken
// over at the child's start.
Import importPlaylist(const QString& playlist, const QString& output) {
  QProcess time;
  time.start(QStringLiteral("/usr/bin/time"),
             {QStringLiteral("-f"), QStringLiteral("%e %M"),
              QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/sieciownik-feed"), QStringLiteral("import"),
              QStringLiteral("--tv"), QStringLiteral("--from"), QStringLiteral("m3u"), playlist, output});
  if (!time.waitForFinished(600'000)) return {};
  const QList<QByteArray> figures = time.readAllStandardError().trimmed().split('\n').last().split(' ');
  return {figures.value(0).toDouble() * 1000, figures.value(1).toDouble() / 1024,
          time.exitStatus() == QProcess::NormalExit ? time.exitCode() : -1};
}

struct Round {
  double fetchMs = 0;
  double mapMs = 0;
  double longestBlockMs = 0;
  std::size_t radio = 0;
  std::size_t tv = 0;
};

std::optional<Round> runUpdate(const QString& base) {
  app::UpdateSources sources;
  sources.radioStations = {QUrl(base + QStringLiteral("/json/stations?hidebroken=true"))};
  sources.tvChannels = QUrl(base + QStringLiteral("/channels.json"));
  sources.tvStreams = QUrl(base + QStringLiteral("/streams.json"));
  app::CatalogueUpdate update(sources, app::UpdateLimits{});

  // The user-interface thread's pulse: how long it went without handling a timer event.
  QElapsedTimer sincePulse;
  double longestBlockMs = 0;
  QTimer pulse;
  pulse.setInterval(5);
  QObject::connect(&pulse, &QTimer::timeout, [&] {
    longestBlockMs = std::max(longestBlockMs, sincePulse.nsecsElapsed() / 1e6);
    sincePulse.restart();
  });

  QElapsedTimer clock;
  double mappingStartedMs = -1;
  std::optional<app::UpdateOutcome> outcome;
  QObject::connect(&update, &app::CatalogueUpdate::progress, [&](const QString& text, int) {
    if (mappingStartedMs < 0 && text.startsWith(QStringLiteral("Przetwarzanie"))) mappingStartedMs = clock.nsecsElapsed() / 1e6;
  });
  QObject::connect(&update, &app::CatalogueUpdate::finished, [&](const app::UpdateOutcome& result) { outcome = result; });
  clock.start();
  sincePulse.start();
  pulse.start();
  update.start();
  while (!outcome) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const double totalMs = clock.nsecsElapsed() / 1e6;
  pulse.stop();
  if (outcome->status != app::UpdateOutcome::Fetched) {
    std::fprintf(stderr, "update failed: %s\n", qPrintable(outcome->error));
    return std::nullopt;
  }
  // The pulse's own interval is not blocking.
  return Round{mappingStartedMs, totalMs - mappingStartedMs, std::max(0.0, longestBlockMs - pulse.interval()),
               outcome->radio.size(), outcome->tv.size()};
}

constexpr int kTvChannels = 35'000;
constexpr int kTvStreams = 12'000;
const char* const kAnswerFiles[] = {"radio.json", "channels.json", "streams.json"};

// The directory, served by a process of its own, so that its copies of the answers do not count in
// the program's memory or time: writes the answers into `folder` for the comparison, prints its
// address, serves until its input closes.
int serve(int stations, const QString& folder) {
  const QByteArray radio = radioDirectory(stations);
  const QByteArray channels = tvChannels(kTvChannels);
  const QByteArray streams = tvStreams(kTvChannels, kTvStreams);
  const QByteArray* answers[] = {&radio, &channels, &streams};
  for (int i = 0; i < 3; ++i) {
    QFile file(QDir(folder).filePath(QString::fromLatin1(kAnswerFiles[i])));
    if (!file.open(QIODevice::WriteOnly) || file.write(*answers[i]) != answers[i]->size()) return 1;
  }
  updatetest::TestServer server;
  server.route("/json/stations", {200, radio});
  server.route("/channels.json", {200, channels});
  server.route("/streams.json", {200, streams});
  std::printf("%s %lld %lld %lld\n", qPrintable(server.base()), (long long)radio.size(), (long long)channels.size(),
              (long long)streams.size());
  std::fflush(stdout);
  QSocketNotifier input(0, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [] {
    char byte;
    if (::read(0, &byte, 1) <= 0) QCoreApplication::quit();
  });
  return QCoreApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  const auto option = [&](const char* name, int fallback) {
    const qsizetype at = arguments.indexOf(QString::fromLatin1(name));
    return at > 0 ? arguments.value(at + 1).toInt() : fallback;
  };
  const int stations = option("--stations", 60'000);
  const int rounds = option("--rounds", 3);
  const int playlistEntries = option("--playlist", 200'000);
  if (stations < 1 || rounds < 1 || playlistEntries < 0) {
    std::fprintf(stderr, "usage: bench_update_mapping [--stations N] [--rounds N] [--playlist N]\n");
    return 2;
  }
  if (const qsizetype at = arguments.indexOf(QStringLiteral("--serve")); at > 0)
    return serve(stations, arguments.value(at + 1));

  QTemporaryDir scratch(QDir::currentPath() + QStringLiteral("/bench-update-XXXXXX"));
  if (!scratch.isValid()) {
    std::fprintf(stderr, "cannot create a scratch folder in %s\n", qPrintable(QDir::currentPath()));
    return 1;
  }
  if (arguments.contains(QStringLiteral("--keep"))) {
    scratch.setAutoRemove(false);
    std::printf("scratch folder kept: %s\n", qPrintable(scratch.path()));
  }
  QProcess server;
  server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  server.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve"), scratch.path(),
                                                         QStringLiteral("--stations"), QString::number(stations)});
  if (!server.waitForStarted() || !server.waitForReadyRead(120'000)) {
    std::fprintf(stderr, "the directory server did not start\n");
    return 1;
  }
  const QList<QByteArray> served = server.readLine().trimmed().split(' ');
  const auto stopServer = qScopeGuard([&] {
    server.closeWriteChannel();
    if (!server.waitForFinished(10'000)) server.kill();
  });
  std::printf("directory answer: %d radio stations (%.1f MB), TV lists %.1f MB + %.1f MB\n", stations,
              served.value(1).toDouble() / 1e6, served.value(2).toDouble() / 1e6, served.value(3).toDouble() / 1e6);
  std::printf("program's peak memory before the update: %.0f MiB\n", peakMemoryMiB());

  QStringList answers;
  for (const char* name : kAnswerFiles) answers << scratch.filePath(QString::fromLatin1(name));
  const std::vector<double> python = pythonJsonLoads(answers);
  const double pythonMs = median(python);
  if (python.empty()) {
    std::fprintf(stderr, "python3 could not load the answers\n");
    return 1;
  }
  std::printf("Python json.loads of the same answers: %.0f ms (median of %zu runs)\n", pythonMs, python.size());

  double worstBlockMs = 0;
  double worstPeakMiB = 0;
  std::vector<double> mappingMs;
  for (int round = 1; round <= rounds; ++round) {
    resetPeakMemory();
    const std::optional<Round> r = runUpdate(QString::fromLatin1(served.value(0)));
    if (!r) return 1;
    const double peak = peakMemoryMiB();
    worstBlockMs = std::max(worstBlockMs, r->longestBlockMs);
    worstPeakMiB = std::max(worstPeakMiB, peak);
    mappingMs.push_back(r->mapMs);
    std::printf("round %d: fetch %6.0f ms, mapping %6.0f ms = %.2f x json.loads (%zu radio, %zu TV stations kept), "
                "longest UI-thread block %5.1f ms, program's peak memory %.0f MiB, resident after %.0f MiB\n",
                round, r->fetchMs, r->mapMs, r->mapMs / pythonMs, r->radio, r->tv, r->longestBlockMs, peak,
                residentMiB());
    std::fflush(stdout);
  }
  const double mappingMedian = median(mappingMs);
  std::printf("mapping, median over the rounds: %.0f ms = %.2f x json.loads (target <= 0.50): %s\n", mappingMedian,
              mappingMedian / pythonMs, mappingMedian <= pythonMs / 2 ? "met" : "NOT met");
  std::printf("program's peak memory in the worst round: %.0f MiB (target <= 200 MiB): %s\n", worstPeakMiB,
              worstPeakMiB <= 200 ? "met" : "NOT met");
  std::printf("longest UI-thread block over all rounds: %.1f ms (target <= 50 ms): %s\n", worstBlockMs,
              worstBlockMs <= 50 ? "met" : "NOT met");
  if (playlistEntries == 0) return 0;

  const QString playlist = scratch.filePath(QStringLiteral("iptv.m3u"));
  if (!benchdata::writeIptvPlaylist(playlist, playlistEntries)) {
    std::fprintf(stderr, "cannot write the playlist\n");
    return 1;
  }
  const Import imported = importPlaylist(playlist, scratch.filePath(QStringLiteral("TV.FEED")));
  if (imported.exitCode != 0) {
    std::fprintf(stderr, "the playlist import failed\n");
    return 1;
  }
  // The mapping per entry of the answers (radio stations, TV channels and streams), and per radio
  // station (the answer's 60,000 stations, as the update is usually counted).
  const double mappingPerEntryUs = mappingMedian * 1000 / (stations + kTvChannels + kTvStreams);
  const double mappingPerStationUs = mappingMedian * 1000 / stations;
  const double importPerEntryUs = imported.ms * 1000 / playlistEntries;
  std::printf("playlist import: %d entries (%.1f MB), %.0f ms, %.2f us per entry, peak memory %.0f MiB\n",
              playlistEntries, QFileInfo(playlist).size() / 1e6, imported.ms, importPerEntryUs, imported.peakMiB);
  std::printf("mapping: %.2f us per entry of the answers, %.2f us per radio station\n", mappingPerEntryUs,
              mappingPerStationUs);
  std::printf("playlist import per entry no slower than the mapping per entry: %s; per radio station: %s; "
              "within 200 MiB: %s\n",
              importPerEntryUs <= mappingPerEntryUs ? "met" : "NOT met",
              importPerEntryUs <= mappingPerStationUs ? "met" : "NOT met", imported.peakMiB <= 200 ? "met" : "NOT met");
  return 0;
}
