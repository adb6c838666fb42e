// Two copies of the program on one catalogue folder (catalogueuser processes, each the whole main
// window), and the feed tool writing the catalogue while a copy is open: no station either side
// wrote is lost, the lists follow the file, and a change that cannot be made without guessing is
// refused with both versions shown.

#include <QDateTime>
#include <QProcess>
#include <QtTest>

#include "catalogue/feedfile.h"
#include "support/sandbox.h"

namespace {

catalogue::TvStation tv(const QString& name, const QString& stream) {
  catalogue::TvStation s;
  s.Name = name;
  s.RegionId = 48;  // Polska
  s.StreamUrl = stream;
  s.PlayerKind = 2;
  s.Live = true;
  return s;
}

// One running copy of the program, working on `folder`.
class Copy {
 public:
  explicit Copy(const QString& folder) {
    process_.setProgram(QStringLiteral(CATALOGUE_USER));
    process_.setArguments({folder});
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    ready_ = !lines(QStringLiteral("ready")).isEmpty();
  }
  ~Copy() {
    process_.closeWriteChannel();
    if (!process_.waitForFinished(10000)) process_.kill();
    process_.waitForFinished(10000);
  }
  bool ready() const { return ready_; }

  void send(const QStringList& words) {
    process_.write(words.join(QLatin1Char('\t')).toUtf8() + '\n');
    process_.waitForBytesWritten(10000);
  }
  // Sends a command and waits for `marker`; false when it does not come.
  bool run(const QStringList& words, const QString& marker = QStringLiteral("done")) {
    send(words);
    return !lines(marker).isEmpty();
  }
  // The lines up to and including `marker`; empty when it does not come within a minute. Boxes are
  // kept aside.
  QStringList lines(const QString& marker) {
    QStringList seen;
    for (;;) {
      while (!process_.canReadLine())
        if (!process_.waitForReadyRead(60000)) return {};
      const QString line = QString::fromUtf8(process_.readLine()).chopped(1);
      if (line.startsWith(QLatin1String("box\t")))
        boxes << line.mid(4).replace(QStringLiteral("\\n"), QStringLiteral("\n"));
      else
        seen << line;
      if (line == marker) return seen;
    }
  }
  // The station list the panel shows now, or what an open editor holds.
  QStringList shown(const QString& what = QStringLiteral("shown")) {
    send({QStringLiteral("show")});
    for (const QString& line : lines(QStringLiteral("done")))
      if (line.startsWith(what + QLatin1Char('\t')))
        return line.split(QLatin1Char('\t')).mid(what == QLatin1String("shown") ? 3 : 1);
    return {};
  }
  // Whether the list shows `stations` within two seconds.
  bool comesToShow(const QStringList& stations) {
    QDeadlineTimer deadline(2000);
    while (!deadline.hasExpired()) {
      if (shown().value(0).split(QLatin1Char('|')) == stations) return true;
      QThread::msleep(50);
    }
    qWarning() << "shown:" << shown() << "expected:" << stations;
    return false;
  }

  QStringList boxes;

 private:
  QProcess process_;
  bool ready_ = false;
};

QStringList select(const QString& station = {}) {
  return {QStringLiteral("select"), QStringLiteral("Polska"), station};
}
QStringList add(const QString& name, const QString& stream) {
  return {QStringLiteral("add"), name, QStringLiteral("Polska"), stream};
}
QStringList edit(const QString& field, const QString& value, bool leaveOpen = false) {
  return {leaveOpen ? QStringLiteral("open-edit") : QStringLiteral("edit"), field, value};
}

}  // namespace

class TwoCopiesTest : public QObject {
  Q_OBJECT

  testsupport::Sandbox* sandbox_ = nullptr;

  QString folder() const { return sandbox_->path(); }
  QString feed() const { return sandbox_->filePath(catalogue::kTvFeedName); }
  catalogue::TvStations onDisk() const {
    catalogue::TvStations stations;
    catalogue::loadTvFeed(feed(), stations);
    return stations;
  }
  QStringList namesOnDisk() const {
    QStringList names;
    for (const auto& station : onDisk()) names << station.Name;
    return names;
  }
  QString streamOnDisk(const QString& name) const {
    for (const auto& station : onDisk())
      if (station.Name == name) return station.StreamUrl;
    return QStringLiteral("<none>");
  }

 private Q_SLOTS:
  void init() {
    sandbox_ = new testsupport::Sandbox;
    QVERIFY(catalogue::saveTvFeed(feed(), {tv("Alfa", "http://alfa"), tv("Gamma", "http://gamma")}).ok);
  }
  void cleanup() {
    delete sandbox_;
    sandbox_ = nullptr;
  }

  // A station added in one copy and then one in the other: the second save used to write its own
  // list over the first's station.
  void changesInEachCopyInBothOrdersAreAllKept() {
    Copy a(folder());
    Copy b(folder());
    QVERIFY(a.ready() && b.ready());
    QVERIFY(a.run(select()) && b.run(select()));

    QVERIFY(a.run(add("Beta", "http://beta")));
    QVERIFY(b.run(add("Delta", "http://delta")));
    QCOMPARE(namesOnDisk(), (QStringList{"Alfa", "Beta", "Delta", "Gamma"}));
    QVERIFY(a.comesToShow({"Alfa", "Beta", "Delta", "Gamma"}));

    // The other copy first, and edits.
    QVERIFY(b.run(select("Beta")) && b.run(edit("url", "http://beta-2")));
    QVERIFY(a.run(select("Delta")) && a.run(edit("url", "http://delta-2")));
    QCOMPARE(namesOnDisk(), (QStringList{"Alfa", "Beta", "Delta", "Gamma"}));
    QCOMPARE(streamOnDisk("Beta"), QStringLiteral("http://beta-2"));
    QCOMPARE(streamOnDisk("Delta"), QStringLiteral("http://delta-2"));
    QVERIFY2(a.boxes.isEmpty() && b.boxes.isEmpty(), qPrintable((a.boxes + b.boxes).join('\n')));
  }

  // One copy's editor stays open while the other changes the same station.
  void anEditOfAStationTheOtherCopyChangedIsMergedOrRefused() {
    Copy a(folder());
    Copy b(folder());
    QVERIFY(a.ready() && b.ready());
    QVERIFY(a.run(select("Alfa")) && b.run(select("Alfa")));

    // Both change the stream: refused, with both versions shown.
    QVERIFY(a.run(edit("url", "http://mine", true), QStringLiteral("open")));
    QVERIFY(b.run(edit("url", "http://theirs")));
    QVERIFY(b.run(add("Beta", "http://beta")));
    QVERIFY(a.comesToShow({"Alfa", "Beta", "Gamma"}));
    QCOMPARE(a.shown(QStringLiteral("dialog")), (QStringList{"name=Alfa", "url=http://mine", "quality=0"}));
    QVERIFY(a.run({QStringLiteral("ok")}));
    QCOMPARE(a.boxes.size(), 1);
    const QString refusal = a.boxes.takeFirst();
    for (const QString& part :
         {QStringLiteral("Nie zapisano zmian stacji „Alfa”"), feed(), QStringLiteral("inaczej niż Ty"),
          QStringLiteral("W pliku:\n    Nazwa: Alfa"), QStringLiteral("Strumień (URL): http://theirs"),
          QStringLiteral("Twoja wersja:\n    Nazwa: Alfa"), QStringLiteral("Strumień (URL): http://mine")})
      QVERIFY2(refusal.contains(part), qPrintable(refusal));
    QCOMPARE(streamOnDisk("Alfa"), QStringLiteral("http://theirs"));

    // One changes the quality, the other the stream: both stay.
    QVERIFY(a.run(edit("quality", "256", true), QStringLiteral("open")));
    QVERIFY(b.run(edit("url", "http://third")));
    QVERIFY(a.run({QStringLiteral("ok")}));
    QVERIFY2(a.boxes.isEmpty(), qPrintable(a.boxes.join('\n')));
    QCOMPARE(onDisk().front().StreamUrl, QStringLiteral("http://third"));
    QCOMPARE(onDisk().front().QualityBps, 256000);

    // The station renamed in the other copy: nothing to edit, and the user's version is shown.
    QVERIFY(a.run(edit("url", "http://fourth", true), QStringLiteral("open")));
    QVERIFY(b.run(edit("name", "Alef")));
    QVERIFY(a.run({QStringLiteral("ok")}));
    QCOMPARE(a.boxes.size(), 1);
    QVERIFY2(a.boxes[0].contains(QStringLiteral("tej stacji już w nim nie ma")) &&
                 a.boxes[0].contains(QStringLiteral("Strumień (URL): http://fourth")),
             qPrintable(a.boxes[0]));
    QCOMPARE(namesOnDisk(), (QStringList{"Alef", "Beta", "Gamma"}));
    QCOMPARE(streamOnDisk("Alef"), QStringLiteral("http://third"));
  }

  // With a catalogue large enough that a save takes a while, the two saves overlap.
  void savesAtTheSameMomentAreBothKept() {
    catalogue::TvStations stations{tv("Alfa", "http://alfa"), tv("Gamma", "http://gamma")};
    for (int i = 0; i < 20000; ++i) {
      stations.push_back(tv(QStringLiteral("Kanał %1").arg(i), QStringLiteral("http://kanal/%1").arg(i)));
      stations.back().RegionId = 49;  // Niemcy
    }
    QVERIFY(catalogue::saveTvFeed(feed(), stations).ok);
    Copy a(folder());
    Copy b(folder());
    QVERIFY(a.ready() && b.ready());
    QStringList expected{"Alfa", "Gamma"};
    for (int round = 0; round < 8; ++round) {
      const QString at = QString::number(QDateTime::currentMSecsSinceEpoch() + 300);
      const QString first = QStringLiteral("A%1").arg(round);
      const QString second = QStringLiteral("B%1").arg(round);
      a.send(QStringList{QStringLiteral("at"), at} + add(first, QStringLiteral("http://a")));
      b.send(QStringList{QStringLiteral("at"), at} + add(second, QStringLiteral("http://b")));
      QVERIFY(!a.lines(QStringLiteral("done")).isEmpty() && !b.lines(QStringLiteral("done")).isEmpty());
      expected << first << second;
      QStringList names = namesOnDisk().filter(QRegularExpression(QStringLiteral("^[^K]")));
      names.sort();
      expected.sort();
      QCOMPARE(names, expected);
    }
    QVERIFY2(a.boxes.isEmpty() && b.boxes.isEmpty(), qPrintable((a.boxes + b.boxes).join('\n')));
  }

  void theFeedToolWritingTheCatalogueWhileTheProgramIsOpen() {
    Copy a(folder());
    QVERIFY(a.ready());
    QVERIFY(a.run(select()));
    const QString playlist = sandbox_->filePath(QStringLiteral("list.m3u"));
    QFile list(playlist);
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write(
        "#EXTM3U\n#EXTINF:-1 group-title=\"Polska\",Import 1\nhttp://one\n"
        "#EXTINF:-1 group-title=\"Polska\",Import 2\nhttp://two\n");
    list.close();
    QProcess tool;
    tool.start(QStringLiteral(FEED_TOOL), {QStringLiteral("import"), QStringLiteral("--tv"), QStringLiteral("--from"),
                                           QStringLiteral("m3u"), playlist, feed()});
    QVERIFY(tool.waitForFinished(30000));
    QCOMPARE(tool.exitCode(), 0);
    QVERIFY(a.comesToShow({"Import 1", "Import 2"}));
    // The program's next change goes onto the imported catalogue.
    QVERIFY(a.run(add("Omega", "http://omega")));
    QCOMPARE(namesOnDisk(), (QStringList{"Import 1", "Import 2", "Omega"}));
    QVERIFY2(a.boxes.isEmpty(), qPrintable(a.boxes.join('\n')));
  }
};

QTEST_GUILESS_MAIN(TwoCopiesTest)
#include "tst_twocopies.moc"
