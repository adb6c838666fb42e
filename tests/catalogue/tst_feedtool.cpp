#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>
#include <set>

#include "catalogue/feedfile.h"
#include "catalogue/regions.h"
#include "feedtesthelpers.h"
#include "support/sandbox.h"

using namespace feedtest;

namespace {

struct Run {
  int exitCode = -1;
  QString out;
  QString err;
};

Run runTool(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(SIECIOWNIK_FEED_TOOL), arguments);
  if (!process.waitForFinished(30000)) return {};
  Run run;
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = QString::fromUtf8(process.readAllStandardOutput());
  run.err = QString::fromUtf8(process.readAllStandardError());
  return run;
}

const QByteArray kTvText =
    "; Kanały\n"
    "\n"
    "TVP Info\twww.tvp.info\twww.tvp.pl/program-tv\t8\t48\t2\t1\t2500000\thttps://tvpstream.vod.tvp.pl/\n"
    "Łódź TV\thttp://lodz.pl\t-\t2\t48\t$11\t2\t-\thttp://ą.pl/żywo\r\n"
    "Ulubiona\t-\t-\t4\t0\t0\t1\t0\t-";

}  // namespace

class FeedToolTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void textJsonAndFileRoundTrip() {
    testsupport::Sandbox sandbox;
    const QString text = sandbox.filePath(QStringLiteral("tv.txt"));
    const QString fromText = sandbox.filePath(QStringLiteral("A.FEED"));
    const QString json = sandbox.filePath(QStringLiteral("tv.jsonl"));
    const QString fromJson = sandbox.filePath(QStringLiteral("B.FEED"));
    QVERIFY(writeFile(text, kTvText));

    Run run = runTool({"encode", "--tv", text, fromText});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    catalogue::TvStations loaded;
    QCOMPARE(catalogue::loadTvFeed(fromText, loaded).status, catalogue::LoadResult::Loaded);
    QCOMPARE(describeAll(loaded),
             (QStringList{QStringLiteral("TVP Info|www.tvp.info|www.tvp.pl/program-tv|https://tvpstream.vod.tvp.pl/|48|2500000|8|2|live"),
                          QStringLiteral("Łódź TV|lodz.pl||http://ą.pl/żywo|48|0|2|17|recorded"),
                          QStringLiteral("Ulubiona||||0|0|4|0|live")}));

    run = runTool({"decode", "--tv", fromText});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    const QJsonObject second = QJsonDocument::fromJson(lines[1].toUtf8()).object();
    QCOMPARE(second.keys().size(), 9);
    QCOMPARE(second.value(QStringLiteral("Name")).toString(), QStringLiteral("Łódź TV"));
    QCOMPARE(second.value(QStringLiteral("StreamUrl")).toString(), QStringLiteral("http://ą.pl/żywo"));
    QCOMPARE(second.value(QStringLiteral("Categories")).toInt(), 17);
    QCOMPARE(second.value(QStringLiteral("Live")).toBool(), false);
    QVERIFY(lines[0].startsWith(QLatin1String("{\"Name\":\"TVP Info\",\"Www\":")));

    QVERIFY(writeFile(json, run.out.toUtf8()));
    run = runTool({"encode", "--tv", json, fromJson});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(fileBytes(fromJson), fileBytes(fromText));

    run = runTool({"check", "--tv", fromJson});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QLatin1String("3 stations loaded, 0 lines dropped")));
  }

  void radioDecodeHasNoTvKeys() {
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("RADIO.FEED"));
    QVERIFY(writeFile(path, scrambled("Jedynka\t-\t1\t48\t3\t128000\thttp://mp3.polskieradio.pl:8900/\r\n")));
    const Run run = runTool({"decode", "--radio", path});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("{\"Name\":\"Jedynka\",\"Www\":\"\",\"StreamUrl\":\"http://mp3.polskieradio.pl:8900/\","
                                     "\"RegionId\":48,\"QualityBps\":128000,\"PlayerKind\":1,\"Categories\":3}\n"));
  }

  // The program needs write access to load a catalogue; the tool reads what it may not write.
  void decodeReadsReadOnlyFile() {
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("TV.FEED"));
    QVERIFY(writeFile(path, scrambled("A\t-\t-\t8\t48\t0\t1\t0\t-\r\n")));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
    const Run run = runTool({"decode", "--tv", path});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith(QLatin1String("{\"Name\":\"A\"")));
  }

  void checkListsDroppedLines() {
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(QStringLiteral("TV.FEED"));
    QVERIFY(writeFile(path, scrambled("A\t-\t-\t8\t48\t0\t1\t0\t-\r\n"
                                      "B\t-\t-\tósmy\t48\t0\t1\t0\t-\r\n"
                                      "\r\n"
                                      "C\t-\t-\t8\r\n"
                                      "-\t-\t-\t8\t48\t0\t1\t0\t-")));
    const Run run = runTool({"check", "--tv", path});
    QCOMPARE(run.exitCode, 1);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QVERIFY2(lines[0].contains(QLatin1String(":2: ")) && lines[0].contains(QLatin1String("column 4 (PlayerKind)")) &&
                 lines[0].contains(QLatin1String("not a signed 32-bit integer")),
             qPrintable(lines[0]));
    QVERIFY2(lines[1].contains(QLatin1String(":4: ")) && lines[1].contains(QLatin1String("column 5 (RegionId) is missing")),
             qPrintable(lines[1]));
    QVERIFY2(lines[2].contains(QLatin1String(":5: ")) && lines[2].contains(QLatin1String("column 1 (Name)")),
             qPrintable(lines[2]));
    QCOMPARE(lines[3], QStringLiteral("1 stations loaded, 3 lines dropped"));
  }

  void errors_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QByteArray none;
    QTest::newRow("no command") << QStringList{} << none << 2 << "Usage:";
    QTest::newRow("help") << QStringList{"--help"} << none << 0 << "";
    QTest::newRow("unknown command") << QStringList{"scramble"} << none << 2 << "unknown command";
    QTest::newRow("bad option") << QStringList{"decode", "--tv", "--fast", "IN"} << none << 2 << "unknown option --fast";
    QTest::newRow("no catalogue kind") << QStringList{"decode", "IN"} << none << 2 << "--tv and --radio";
    QTest::newRow("both catalogue kinds") << QStringList{"check", "--tv", "--radio", "IN"} << none << 2 << "--tv and --radio";
    QTest::newRow("missing output") << QStringList{"encode", "--tv", "IN"} << none << 2 << "expected 2 file names";
    QTest::newRow("missing file") << QStringList{"decode", "--tv", "NOWHERE"} << none << 2 << "no such file";
    QTest::newRow("missing file, check") << QStringList{"check", "--radio", "NOWHERE"} << none << 2 << "no such file";
    QTest::newRow("missing input") << QStringList{"encode", "--tv", "NOWHERE", "OUT"} << none << 2 << "cannot read";
    QTest::newRow("invalid JSON") << QStringList{"encode", "--tv", "IN", "OUT"} << QByteArray("{\"Name\":\"A\"}\n{\"Name\":}\n")
                                  << 2 << "IN:2: invalid JSON";
    QTest::newRow("unknown key") << QStringList{"encode", "--radio", "IN", "OUT"} << QByteArray("{\"Name\":\"A\",\"Live\":true}")
                                 << 2 << "unknown key \"Live\"";
    QTest::newRow("number out of range") << QStringList{"encode", "--tv", "IN", "OUT"}
                                         << QByteArray("{\"Name\":\"A\",\"PlayerKind\":256}") << 2 << "PlayerKind must be";
    QTest::newRow("text that is not a string") << QStringList{"encode", "--tv", "IN", "OUT"}
                                               << QByteArray("{\"Name\":5}") << 2 << "Name must be a string";
    QTest::newRow("name missing") << QStringList{"encode", "--tv", "IN", "OUT"} << QByteArray("{\"Www\":\"a.pl\"}") << 2
                                  << "Name is missing";
    QTest::newRow("TAB in a text") << QStringList{"encode", "--tv", "IN", "OUT"} << QByteArray("{\"Name\":\"A\\tB\"}") << 2
                                   << "Name contains a TAB";
    QTest::newRow("dash text") << QStringList{"encode", "--tv", "--json", "IN", "OUT"}
                               << QByteArray("{\"Name\":\"A\",\"Www\":\"-\"}") << 2 << "Www is \"-\"";
    QTest::newRow("character ISO-8859-2 lacks") << QStringList{"encode", "--tv", "IN", "OUT"}
                                                << QByteArray("{\"Name\":\"5 €\"}") << 2 << "lacks";
    QTest::newRow("text line not a number") << QStringList{"encode", "--tv", "IN", "OUT"}
                                            << QByteArray("; c\nA\t-\t-\tx\t48\t0\t1\t0\t-\n") << 2
                                            << "IN:2: column 4 (PlayerKind): \"x\" is not a signed 32-bit integer";
    QTest::newRow("text line too short") << QStringList{"encode", "--radio", "--text", "IN", "OUT"}
                                         << QByteArray("A\t-\t1\n") << 2 << "IN:1: column 4 (RegionId) is missing";
    QTest::newRow("text not UTF-8") << QStringList{"encode", "--radio", "IN", "OUT"}
                                    << QByteArray("Tr\xf3jka\t-\t1\t48\t0\t0\t-\n") << 2 << "IN:1: not valid UTF-8";
    QTest::newRow("text character lacking") << QStringList{"encode", "--radio", "IN", "OUT"}
                                            << QByteArray("Radio Ø\t-\t1\t48\t0\t0\t-\n") << 2 << "IN:1: character 7";
  }
  void errors() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    testsupport::Sandbox sandbox;
    const QString in = sandbox.filePath(QStringLiteral("IN"));
    const QString out = sandbox.filePath(QStringLiteral("OUT"));
    QVERIFY(writeFile(in, input));
    QVERIFY(writeFile(out, "old"));
    for (QString& argument : arguments) {
      if (argument == QLatin1String("IN")) argument = in;
      else if (argument == QLatin1String("OUT")) argument = out;
      else if (argument == QLatin1String("NOWHERE")) argument = sandbox.filePath(QStringLiteral("nowhere"));
    }
    const Run run = runTool(arguments);
    QCOMPARE(run.exitCode, exitCode);
    const QString shown = QString(run.err + run.out).replace(in, QStringLiteral("IN"));
    QVERIFY2(shown.contains(message), qPrintable(shown));
    QCOMPARE(fileBytes(out), QByteArray("old"));  // nothing written on a failure
  }

  // The catalogues shipped beside the program: all lines load, enough stations over enough
  // regions, every station filed under a region of the table, and some favourites.
  void shippedCatalogues() {
    const QString folder = QStringLiteral(SIECIOWNIK_BIN_DIR);
    for (const bool tv : {true, false}) {
      const QString path = folder + (tv ? catalogue::kTvFeedName : catalogue::kRadioFeedName);
      const Run run = runTool({"check", tv ? "--tv" : "--radio", path});
      QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
      std::vector<std::pair<QString, qint32>> stations;
      if (tv) {
        catalogue::TvStations loaded;
        QCOMPARE(catalogue::loadTvFeed(path, loaded).status, catalogue::LoadResult::Loaded);
        for (const auto& s : loaded) {
          stations.emplace_back(s.Name, s.RegionId);
          QVERIFY2(s.PlayerKind == 2 || s.PlayerKind == 4 || s.PlayerKind == 8, qPrintable(s.Name));
        }
      } else {
        catalogue::RadioStations loaded;
        QCOMPARE(catalogue::loadRadioFeed(path, loaded).status, catalogue::LoadResult::Loaded);
        for (const auto& s : loaded) {
          stations.emplace_back(s.Name, s.RegionId);
          QVERIFY2(!s.StreamUrl.isEmpty() && s.QualityBps > 0, qPrintable(s.Name));
        }
      }
      std::set<qint32> regions;
      std::set<std::pair<qint32, QString>> names;
      for (const auto& [name, region] : stations) {
        QVERIFY2(catalogue::regionRowById(region) >= 0, qPrintable(name));
        QVERIFY2(names.insert({region, name.toCaseFolded()}).second, qPrintable(name));
        regions.insert(region);
      }
      QVERIFY(int(stations.size()) >= (tv ? 30 : 80));
      QVERIFY(regions.count(0) == 1);
      QVERIFY(regions.size() >= (tv ? 6u : 11u));
    }
  }
};

QTEST_GUILESS_MAIN(FeedToolTest)
#include "tst_feedtool.moc"
