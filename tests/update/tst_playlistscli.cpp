#include <QtTest>

#include "catalogue/feedfile.h"
#include "support/sandbox.h"

using namespace catalogue;

namespace {

struct Run {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

Run feedTool(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(FEED_TOOL), arguments);
  process.waitForFinished(30000);
  return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QString fixture(const char* name) { return QStringLiteral(UPDATE_FIXTURES "/") + QString::fromLatin1(name); }

}  // namespace

class PlaylistsCliTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void directoryImportThenPlaylistRoundTrip_data() {
    QTest::addColumn<QString>("format");
    QTest::newRow("m3u") << "m3u";
    QTest::newRow("xspf") << "xspf";
  }
  void directoryImportThenPlaylistRoundTrip() {
    QFETCH(QString, format);
    testsupport::Sandbox sandbox;
    const QString feed = sandbox.filePath(QStringLiteral("TV.FEED"));
    Run run = feedTool({"import", "--tv", "--from", "iptv-org", fixture("tv-streams.json"), fixture("tv-channels.json"), feed});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("6 stations written to ") + feed.toUtf8() + "\n");

    run = feedTool({"export", "--tv", "--to", format, feed});
    QCOMPARE(run.exitCode, 0);
    const QString playlist = sandbox.filePath(QStringLiteral("list.") + format);
    QFile file(playlist);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(run.out);
    file.close();
    const QString again = sandbox.filePath(QStringLiteral("AGAIN.FEED"));
    QCOMPARE(feedTool({"import", "--tv", "--from", format, playlist, again}).exitCode, 0);

    TvStations first, second;
    loadTvFeed(feed, first);
    loadTvFeed(again, second);
    QCOMPARE(second, first);
  }

  void favouritesOnly() {
    testsupport::Sandbox sandbox;
    const QString m3u = sandbox.filePath(QStringLiteral("in.m3u"));
    QFile file(m3u);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#EXTINF:-1 group-title=\"Ulubione\",Mine\nhttp://mine.example/\n"
               "#EXTINF:-1 group-title=\"Polska\",Other\nhttp://other.example/\n");
    file.close();
    const QString feed = sandbox.filePath(QStringLiteral("RADIO.FEED"));
    QCOMPARE(feedTool({"import", "--radio", "--from", "m3u", m3u, feed}).exitCode, 0);
    const Run run = feedTool({"export", "--radio", "--to", "pls", feed, "--favourites"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QByteArray("[playlist]\nFile1=http://mine.example/\nTitle1=Mine\nLength1=-1\n"
                                 "NumberOfEntries=1\nVersion=2\n"));
  }

  void refusals_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("error");
    QTest::newRow("radio list as TV") << QStringList{"import", "--tv", "--from", "radio-browser", fixture("radio-stations.json"), "X"}
                                      << QByteArray("radio-browser lists radio stations");
    QTest::newRow("channels without streams") << QStringList{"import", "--tv", "--from", "iptv-org", fixture("tv-channels.json"), "X"}
                                              << QByteArray("needs the channel list and the stream list");
    QTest::newRow("not a directory response") << QStringList{"import", "--radio", "--from", "radio-browser", fixture("foreign.xspf"), "X"}
                                              << QByteArray("is not JSON");
    QTest::newRow("nothing usable") << QStringList{"import", "--radio", "--from", "pls", fixture("tv-streams.json"), "X"}
                                    << QByteArray("no station could be taken");
    QTest::newRow("unknown format") << QStringList{"import", "--radio", "--from", "asx", "a", "X"} << QByteArray("--from takes one of");
    QTest::newRow("no output") << QStringList{"import", "--radio", "--from", "m3u", "a"} << QByteArray("at least 2 file names");
    QTest::newRow("missing catalogue") << QStringList{"export", "--tv", "--to", "m3u", "/nonexistent/TV.FEED"}
                                       << QByteArray("cannot read /nonexistent/TV.FEED");
  }
  void refusals() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, error);
    testsupport::Sandbox sandbox;
    QDir::setCurrent(sandbox.path());
    const Run run = feedTool(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(error), run.err.constData());
    QVERIFY(!QFile::exists(sandbox.filePath(QStringLiteral("X"))));
  }
};

QTEST_GUILESS_MAIN(PlaylistsCliTest)
#include "tst_playlistscli.moc"
