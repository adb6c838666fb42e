// Time from START to the first "playing" status of a player window, next to the time the mpv
// program itself needs from its start to playing the same loopback radio stream, in the same run.
// Target: the player window within 1.2x of mpv. Needs an X server (bench/playback_startup.sh runs
// it under xvfb-run), sox and mpv.
//   bench_playback_startup [--rounds N]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

#include "playback/playersetup.h"
#include "playback/tform5.h"
#include "tests/playback/loopbackstream.h"

namespace {

constexpr double kToneSeconds = 60;
constexpr int kTimeoutMs = 30000;

// Runs the event loop until done() holds or the time is up.
bool waitFor(const std::function<bool()>& done, int timeoutMs = kTimeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

std::optional<double> timePlayerWindow(const QString& url, testsupport::LoopbackStream& server) {
  QElapsedTimer timer;
  timer.start();
  playback::TForm5* window = playback::OpenPlayerWindow(url, QStringLiteral("Ton"));
  std::optional<double> ms;
  QObject::connect(window->player(), &playback::MediaPlayer::StatusChange, window,
                   [&](playback::PlayerStatus status) {
                     if (status == playback::PlayerStatus::Playing && !ms) ms = timer.nsecsElapsed() / 1e6;
                   });
  waitFor([&] { return ms.has_value(); });
  window->close();
  waitFor([&] { return server.listeners() == 0; });
  return ms;
}

std::optional<double> timeMpv(const QString& url, const QString& script, testsupport::LoopbackStream& server) {
  QProcess mpv;
  QElapsedTimer timer;
  timer.start();
  mpv.start(QStringLiteral("mpv"), {QStringLiteral("--no-config"), QStringLiteral("--no-video"), QStringLiteral("--ao=null"),
                                     QStringLiteral("--no-terminal"), QStringLiteral("--script=") + script, url});
  std::optional<double> ms;
  QObject::connect(&mpv, &QProcess::readyReadStandardOutput, [&] {
    if (!ms && mpv.readAllStandardOutput().contains("PLAYING")) ms = timer.nsecsElapsed() / 1e6;
  });
  waitFor([&] { return ms.has_value() || mpv.state() == QProcess::NotRunning; });
  if (mpv.state() != QProcess::NotRunning && !mpv.waitForFinished(5000)) mpv.kill();
  mpv.waitForFinished();
  waitFor([&] { return server.listeners() == 0; });
  return ms;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool writeFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  playback::formatNumbersForPlayers();
  int rounds = 7;
  const QStringList arguments = QCoreApplication::arguments();
  if (const qsizetype at = arguments.indexOf(QStringLiteral("--rounds")); at > 0) rounds = arguments.value(at + 1).toInt();
  if (rounds < 1) {
    std::fprintf(stderr, "usage: bench_playback_startup [--rounds N]\n");
    return 2;
  }

  QTemporaryDir scratch(QDir::currentPath() + QStringLiteral("/playback-bench-XXXXXX"));
  const QString tone = scratch.filePath(QStringLiteral("tone.ogg"));
  const QString script = scratch.filePath(QStringLiteral("playing.lua"));
  // Both players send their sound to mpv's silent output, which keeps real time on any machine.
  // The script tells when mpv's core stops idling: the moment the player window calls "playing".
  if (!scratch.isValid() ||
      !writeFile(script,
                 "mp.observe_property('core-idle', 'bool', function(_, idle)\n"
                 "  if idle == false then io.stdout:write('PLAYING\\n'); io.stdout:flush(); mp.command('quit') end\n"
                 "end)\n")) {
    std::fprintf(stderr, "cannot write the scratch folder\n");
    return 1;
  }
  qputenv("SIECIOWNIK_AUDIO_OUTPUT", "null");
  if (QProcess::execute(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("22050"),
                                                QStringLiteral("-c"), QStringLiteral("1"), tone,
                                                QStringLiteral("synth"), QString::number(kToneSeconds),
                                                QStringLiteral("sine"), QStringLiteral("440")}) != 0) {
    std::fprintf(stderr, "sox could not make the test tone\n");
    return 1;
  }
  QFile toneFile(tone);
  if (!toneFile.open(QIODevice::ReadOnly)) return 1;
  testsupport::LoopbackStream server(toneFile.readAll(), kToneSeconds);
  if (!server.listen()) {
    std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
    return 1;
  }
  const QString url = server.url(QStringLiteral("/stream.ogg"));
  std::printf("stream %s, %d rounds after one warm-up round each\n", qPrintable(url), rounds);

  const std::optional<double> coldWindow = timePlayerWindow(url, server);
  const std::optional<double> coldMpv = timeMpv(url, script, server);
  if (!coldWindow || !coldMpv) {
    std::fprintf(stderr, "no playing status within %d s (window: %s, mpv: %s)\n", kTimeoutMs / 1000,
                 coldWindow ? "ok" : "none", coldMpv ? "ok" : "none");
    return 1;
  }
  std::printf("first (cold) start: player window %.1f ms, mpv %.1f ms\n", *coldWindow, *coldMpv);

  std::vector<double> window, mpv;
  for (int round = 0; round < rounds; ++round) {
    // Alternate the order, so that neither always runs right after the other.
    std::optional<double> w, m;
    if (round % 2) {
      m = timeMpv(url, script, server);
      w = timePlayerWindow(url, server);
    } else {
      w = timePlayerWindow(url, server);
      m = timeMpv(url, script, server);
    }
    if (!w || !m) {
      std::fprintf(stderr, "round %d: no playing status\n", round + 1);
      return 1;
    }
    window.push_back(*w);
    mpv.push_back(*m);
    std::printf("round %d: player window %7.1f ms   mpv --no-video %7.1f ms\n", round + 1, *w, *m);
  }
  const double windowMedian = median(window), mpvMedian = median(mpv);
  const double ratio = windowMedian / mpvMedian;
  std::printf("median: player window %.1f ms, mpv --no-video %.1f ms, ratio %.2f (target <= 1.20): %s\n",
              windowMedian, mpvMedian, ratio, ratio <= 1.2 ? "met" : "NOT met");
  return 0;
}
