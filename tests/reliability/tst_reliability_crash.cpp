// A catalogue and a settings store must survive a process killed while it writes them, and two
// processes writing them at once. The writers are separate processes (reliabilityworker) that are
// killed with SIGKILL at random moments; after each kill the file must load as exactly the old or
// the new content. SIECIOWNIK_CRASH_KILLS, SIECIOWNIK_CRASH_STATIONS and SIECIOWNIK_CRASH_SEED
// choose the run.

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QtEndian>
#include <QtTest>
#include <chrono>
#include <random>
#include <thread>
#include <fcntl.h>
#include <unistd.h>

#include "bigcatalogue.h"
#include "catalogue/feedfile.h"
#include "platform/registrystore.h"
#include "support/sandbox.h"

namespace {

int fromEnvironment(const char* name, int fallback) {
  bool ok = false;
  const int value = qEnvironmentVariableIntValue(name, &ok);
  return ok && value > 0 ? value : fallback;
}

// A worker process, started and waited for until it has built its data and begun writing.
class Worker {
 public:
  explicit Worker(const QStringList& arguments) {
    process_.setProgram(QStringLiteral(RELIABILITY_WORKER));
    process_.setArguments(arguments);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start();
  }
  ~Worker() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(10000);
    }
  }
  bool waitUntilReady() {
    while (!process_.canReadLine())
      if (!process_.waitForReadyRead(60000)) return false;
    return process_.readLine().trimmed() == "ready";
  }
  // Kills it (SIGKILL) and tells how many lines "saved" it printed.
  int kill() {
    process_.kill();
    process_.waitForFinished(10000);
    return int(process_.readAllStandardOutput().count("saved\n"));
  }
  bool running() {
    process_.waitForFinished(0);  // notices an end without an event loop
    return process_.state() == QProcess::Running;
  }
  // True when it ended by itself with exit code 0; otherwise `why` tells.
  bool finishedCleanly(QString& why) {
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(240000)) {
      why = QStringLiteral("the worker did not end");
      return false;
    }
    why = QString::fromLocal8Bit(process_.readAllStandardError());
    return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
  }

 private:
  QProcess process_;
};

void pause(std::mt19937& random, int maxMicroseconds) {
  std::this_thread::sleep_for(std::chrono::microseconds(random() % unsigned(maxMicroseconds + 1)));
}

// Temporary files a killed save left beside the catalogue; removed, counted.
int removeLeftovers(QDir folder, const QString& keep) {
  int count = 0;
  for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
    if (name != keep && folder.remove(name)) ++count;
  return count;
}

// "old", "new" or what else the catalogue file holds.
QString whichCatalogue(const QString& path, const catalogue::TvStations& a, const catalogue::TvStations& b) {
  catalogue::TvStations loaded;
  const catalogue::LoadResult result = catalogue::loadTvFeed(path, loaded);
  if (result.status != catalogue::LoadResult::Loaded)
    return QStringLiteral("unreadable (%1) %2").arg(int(result.status)).arg(result.error);
  if (loaded == a) return QStringLiteral("a");
  if (loaded == b) return QStringLiteral("b");
  return QStringLiteral("neither: %1 stations").arg(loaded.size());
}

struct SettingsState {
  bool present = false;  // the key with both values
  qint32 round = -1;
  QString writer;
  bool consistent = true;  // the text names the same round as the integer
  QString problem;         // a damaged or unreadable store
};

// Both values in one read transaction, so that a write of another process cannot fall between them.
SettingsState readSettings(const QString& path) {
  SettingsState state;
  try {
    platform::SettingsHive hive(path);
    hive.transaction([&] {
      const std::optional<platform::SettingsHive::KeyId> key = hive.openKey(reliability::kSettingsKey, false);
      if (!key) return;
      const std::optional<platform::StoredValue> round = hive.value(*key, QStringLiteral("Round"));
      const std::optional<platform::StoredValue> text = hive.value(*key, QStringLiteral("Text"));
      if (!round || !text || round->type != platform::ValueType::Integer32 || round->data.size() != 4) {
        state.problem = QStringLiteral("the key holds no complete pair of values");
        return;
      }
      state.present = true;
      state.round = qFromLittleEndian<qint32>(round->data.constData());
      const QString words = QString::fromUtf8(text->data.left(text->data.indexOf('\0')));
      state.writer = words.section(QLatin1Char('-'), 0, 0);
      state.consistent = words == reliability::settingsText(state.writer, state.round);
    });
  } catch (const platform::SettingsError& error) {
    state.problem = error.message();
  }
  return state;
}

}  // namespace

class ReliabilityCrashTest : public QObject {
  Q_OBJECT
 private:
  const int kills_ = fromEnvironment("SIECIOWNIK_CRASH_KILLS", 100);
  const int stations_ = fromEnvironment("SIECIOWNIK_CRASH_STATIONS", 20000);
  const quint32 seed_ = quint32(fromEnvironment("SIECIOWNIK_CRASH_SEED", 1208));

 private Q_SLOTS:
  void killedSaveLeavesTheOldOrTheNewCatalogue() {
    testsupport::Sandbox sandbox;
    const QDir folder(sandbox.filePath(QStringLiteral("program")));
    QVERIFY(QDir().mkpath(folder.path()));
    const QString path = folder.filePath(catalogue::kTvFeedName);
    const catalogue::TvStations a = reliability::bigCatalogue(1, stations_);
    const catalogue::TvStations b = reliability::bigCatalogue(2, stations_);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(catalogue::saveTvFeed(path, a).ok);
    // Kills spread over about three saves, so they land in every phase of one.
    const int saveMicroseconds = int(timer.nsecsElapsed() / 1000);

    // Where the folder takes unnamed files, a killed save leaves no temporary file behind.
    const int probe = ::open(QFile::encodeName(folder.path()).constData(), O_TMPFILE | O_WRONLY, 0600);
    const bool unnamedFiles = probe >= 0;
    if (unnamedFiles) ::close(probe);

    std::mt19937 random(seed_);
    int afterASave = 0;
    int foundA = 0;
    int leftovers = 0;
    for (int kill = 0; kill < kills_; ++kill) {
      // The saver saves back to back, so every kill lands inside a save, at a random point of it.
      Worker worker({QStringLiteral("save"), path, QStringLiteral("2,1"), QString::number(stations_), QStringLiteral("0")});
      QVERIFY2(worker.waitUntilReady(), "the saver did not start");
      pause(random, 3 * saveMicroseconds);
      QVERIFY2(worker.running(), "the saver ended by itself");
      afterASave += worker.kill() > 0;
      const QString found = whichCatalogue(path, a, b);
      QVERIFY2(found == QStringLiteral("a") || found == QStringLiteral("b"),
               qPrintable(QStringLiteral("kill %1 (seed %2): the catalogue is %3").arg(kill).arg(seed_).arg(found)));
      foundA += found == QStringLiteral("a");
      leftovers += removeLeftovers(folder, catalogue::kTvFeedName);
    }
    qInfo("%d kills of a saver of %d stations (a save takes %d ms here), %d of them after a completed save: "
          "old catalogue %d times, new %d times, never anything else; %d temporary files left behind",
          kills_, stations_, saveMicroseconds / 1000, afterASave, foundA, kills_ - foundA, leftovers);
    if (kills_ >= 20)
      QVERIFY2(afterASave > 0 && afterASave < kills_, "the kills did not spread over the first and later saves");
    // Only a kill between naming the complete file and putting it in place can leave one.
    if (unnamedFiles) QVERIFY2(leftovers * 10 <= kills_, "killed saves leave their temporary files behind");
  }

  void killedWriteLeavesTheOldOrTheNewSettings() {
    testsupport::Sandbox sandbox;
    const QDir folder(sandbox.filePath(QStringLiteral("store")));
    QVERIFY(QDir().mkpath(folder.path()));
    const QString path = folder.filePath(QStringLiteral("current-user.sqlite"));
    std::mt19937 random(seed_);
    int hotJournals = 0;
    int fresh = 0;
    for (int kill = 0; kill < kills_; ++kill) {
      // Now and then the store is created anew, so that kills also land while it is being made.
      if (random() % 10 == 0) {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        ++fresh;
      }
      const SettingsState before = readSettings(path);
      QVERIFY2(before.problem.isEmpty(), qPrintable(before.problem));
      const QString writer = QStringLiteral("k%1").arg(kill);
      Worker worker({QStringLiteral("settings"), path, writer, QStringLiteral("0")});
      QVERIFY2(worker.waitUntilReady(), "the writer did not start");
      pause(random, 40000);
      QVERIFY2(worker.running(), "the writer ended by itself");
      worker.kill();
      hotJournals += QFileInfo(path + QStringLiteral("-journal")).size() > 0;
      const SettingsState after = readSettings(path);
      const QString where = QStringLiteral("kill %1 (seed %2): ").arg(kill).arg(seed_);
      QVERIFY2(after.problem.isEmpty(), qPrintable(where + after.problem));
      QVERIFY2(after.consistent, qPrintable(where + QStringLiteral("the two values of one write do not match")));
      const bool old = after.present == before.present && after.round == before.round && after.writer == before.writer;
      const bool fromThisWriter = after.present && after.writer == writer;
      QVERIFY2(old || fromThisWriter,
               qPrintable(where + QStringLiteral("found round %1 of %2, before round %3 of %4")
                                      .arg(after.round)
                                      .arg(after.writer)
                                      .arg(before.round)
                                      .arg(before.writer)));
    }
    qInfo("%d kills of a settings writer (%d on a store being created anew): %d left a transaction half done, "
          "every time the store opened with the old or the new values",
          kills_, fresh, hotJournals);
  }

  void twoCopiesSavingOneCatalogue() {
    testsupport::Sandbox sandbox;
    const QDir folder(sandbox.filePath(QStringLiteral("program")));
    QVERIFY(QDir().mkpath(folder.path()));
    const QString path = folder.filePath(catalogue::kTvFeedName);
    const int count = stations_ / 4;
    const catalogue::TvStations a = reliability::bigCatalogue(1, count);
    const catalogue::TvStations b = reliability::bigCatalogue(2, count);
    QVERIFY(catalogue::saveTvFeed(path, a).ok);
    const int launches = 3;
    const int savesEach = 25;
    int reads = 0;
    for (int launch = 0; launch < launches; ++launch) {
      Worker first({QStringLiteral("save"), path, QStringLiteral("1"), QString::number(count), QString::number(savesEach)});
      Worker second({QStringLiteral("save"), path, QStringLiteral("2"), QString::number(count), QString::number(savesEach)});
      QVERIFY(first.waitUntilReady());
      QVERIFY(second.waitUntilReady());
      while (first.running() || second.running()) {
        const QString found = whichCatalogue(path, a, b);
        QVERIFY2(found == QStringLiteral("a") || found == QStringLiteral("b"), qPrintable(found));
        ++reads;
      }
      QString why;
      QVERIFY2(first.finishedCleanly(why), qPrintable(why));
      QVERIFY2(second.finishedCleanly(why), qPrintable(why));
      const QString found = whichCatalogue(path, a, b);
      QVERIFY2(found == QStringLiteral("a") || found == QStringLiteral("b"), qPrintable(found));
      QCOMPARE(removeLeftovers(folder, catalogue::kTvFeedName), 0);
    }
    qInfo("two savers at once, %d launches of %d saves each of %d stations: %d reads in between, each the one "
          "catalogue or the other",
          launches, savesEach, count, reads);
  }

  void twoCopiesWritingOneStore() {
    testsupport::Sandbox sandbox;
    const QDir folder(sandbox.filePath(QStringLiteral("store")));
    QVERIFY(QDir().mkpath(folder.path()));
    const int launches = 5;
    const int writesEach = 150;
    int reads = 0;
    for (int launch = 0; launch < launches; ++launch) {
      // Each launch starts without a store: both copies create it at the same time.
      const QString path = folder.filePath(QStringLiteral("store%1.sqlite").arg(launch));
      Worker first({QStringLiteral("settings"), path, QStringLiteral("a"), QString::number(writesEach)});
      Worker second({QStringLiteral("settings"), path, QStringLiteral("b"), QString::number(writesEach)});
      QVERIFY(first.waitUntilReady());
      QVERIFY(second.waitUntilReady());
      while (first.running() || second.running()) {
        const SettingsState state = readSettings(path);
        QVERIFY2(state.problem.isEmpty(), qPrintable(state.problem));
        QVERIFY(state.consistent);
        ++reads;
      }
      QString why;
      QVERIFY2(first.finishedCleanly(why), qPrintable(why));
      QVERIFY2(second.finishedCleanly(why), qPrintable(why));
      const SettingsState last = readSettings(path);
      QVERIFY2(last.problem.isEmpty(), qPrintable(last.problem));
      QVERIFY(last.present && last.consistent);
      QCOMPARE(last.round, writesEach - 1);
    }
    qInfo("two settings writers at once, %d launches of %d transactions each: %d reads in between, none torn",
          launches, writesEach, reads);
  }
};

QTEST_GUILESS_MAIN(ReliabilityCrashTest)
#include "tst_reliability_crash.moc"
