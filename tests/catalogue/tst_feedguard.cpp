// The user's one change made again on a catalogue that another program changed meanwhile, the
// look at the file before a save, and the lock that keeps the look and the write together.

#include <QProcess>
#include <QtTest>

#include "catalogue/feedguard.h"
#include "catalogue/feedlock.h"
#include "catalogue/stationchange.h"
#include "catalogue/stationnames.h"
#include "support/sandbox.h"

using catalogue::RadioStation;
using catalogue::RadioStations;
using Change = catalogue::StationChange<RadioStation>;

namespace {

// "Name|stream|kbps" in Polska, or a favourite when it begins with '*'.
RadioStation station(const QString& text) {
  RadioStation s;
  const bool favourite = text.startsWith(QLatin1Char('*'));
  const QStringList parts = text.mid(favourite ? 1 : 0).split(QLatin1Char('|'));
  s.Name = parts.value(0);
  s.StreamUrl = parts.value(1, QStringLiteral("http://s"));
  s.QualityBps = parts.value(2).toInt() * 1000;
  s.RegionId = favourite ? 0 : 48;
  s.PlayerKind = 1;
  return s;
}

RadioStations stations(const QStringList& texts) {
  RadioStations result;
  for (const QString& text : texts) result.push_back(station(text));
  return result;
}

QStringList texts(const RadioStations& list) {
  QStringList result;
  for (const RadioStation& s : list)
    result << (s.RegionId == 0 ? QStringLiteral("*") : QString()) + s.Name + QLatin1Char('|') + s.StreamUrl +
                  QLatin1Char('|') + QString::number(s.QualityBps / 1000);
  return result;
}

}  // namespace

class FeedGuardTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void theChangeIsMadeOnWhatIsOnDisk_data() {
    QTest::addColumn<QStringList>("onDisk");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("refusal");  // a part of the message; empty when the change is made
    QTest::newRow("added beside another program's station")
        << QStringList{"Alfa|a|0", "Delta|d|0", "Gamma|g|0"} << int(Change::Add) << "" << "Beta|b|0"
        << QStringList{"Alfa|a|0", "Beta|b|0", "Delta|d|0", "Gamma|g|0"} << "";
    QTest::newRow("the very station another program added")
        << QStringList{"Beta|b|0"} << int(Change::Add) << "" << "Beta|b|0" << QStringList{"Beta|b|0"} << "";
    QTest::newRow("a name another program took")
        << QStringList{"beta|x|0"} << int(Change::Add) << "" << "Beta|b|0" << QStringList{"beta|x|0"}
        << "inną stację o tej nazwie";
    QTest::newRow("edits of different fields merge")
        << QStringList{"Alfa|theirs|0"} << int(Change::Edit) << "Alfa|a|0" << "Alfa|a|256"
        << QStringList{"Alfa|theirs|256"} << "";
    QTest::newRow("the same edit on both sides")
        << QStringList{"Alfa|b|0"} << int(Change::Edit) << "Alfa|a|0" << "Alfa|b|0" << QStringList{"Alfa|b|0"} << "";
    QTest::newRow("edits of one field clash")
        << QStringList{"Alfa|theirs|0"} << int(Change::Edit) << "Alfa|a|0" << "Alfa|mine|0"
        << QStringList{"Alfa|theirs|0"} << "inaczej niż Ty";
    QTest::newRow("the edited station was renamed")
        << QStringList{"Alef|a|0"} << int(Change::Edit) << "Alfa|a|0" << "Alfa|b|0" << QStringList{"Alef|a|0"}
        << "już w nim nie ma";
    QTest::newRow("renamed to a name another program took")
        << QStringList{"Alfa|a|0", "Beta|x|0"} << int(Change::Edit) << "Alfa|a|0" << "Beta|a|0"
        << QStringList{"Alfa|a|0", "Beta|x|0"} << "inną stację o tej nazwie";
    QTest::newRow("an edit files the station anew")
        << QStringList{"Alfa|a|0", "Gamma|g|0", "Zeta|z|0"} << int(Change::Edit) << "Alfa|a|0" << "Hotel|a|0"
        << QStringList{"Gamma|g|0", "Hotel|a|0", "Zeta|z|0"} << "";
    QTest::newRow("removing what is gone already")
        << QStringList{"Gamma|g|0"} << int(Change::Remove) << "Alfa|a|0" << "" << QStringList{"Gamma|g|0"} << "";
    QTest::newRow("removing a station another program changed")
        << QStringList{"Alfa|theirs|0"} << int(Change::Remove) << "Alfa|a|0" << "" << QStringList{"Alfa|theirs|0"}
        << "Nie usunięto stacji";
    QTest::newRow("copied beside another program's favourite")
        << QStringList{"Alfa|a|0", "*Gamma|g|0"} << int(Change::CopyToFavourites) << "Alfa|a|0" << ""
        << QStringList{"Alfa|a|0", "*Gamma|g|0", "*Alfa|a|0"} << "";
    QTest::newRow("a favourite of that name came meanwhile")
        << QStringList{"Alfa|a|0", "*ALFA|x|0"} << int(Change::CopyToFavourites) << "Alfa|a|0" << ""
        << QStringList{"Alfa|a|0", "*ALFA|x|0"} << "do Ulubionych";
  }
  void theChangeIsMadeOnWhatIsOnDisk() {
    QFETCH(QStringList, onDisk);
    QFETCH(int, kind);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QStringList, expected);
    QFETCH(QString, refusal);
    Change change;
    change.kind = Change::Kind(kind);
    change.before = station(before);
    change.after = station(after);
    RadioStations list = stations(onDisk);
    const std::optional<QString> refused =
        catalogue::applyChange(list, change, catalogue::stationNameCollator(), QStringLiteral("/dane/RADIO.FEED"));
    QCOMPARE(texts(list), expected);
    QCOMPARE(refused.has_value(), !refusal.isEmpty());
    if (refused) {
      QVERIFY2(refused->contains(refusal) && refused->contains(QStringLiteral("„/dane/RADIO.FEED”")),
               qPrintable(*refused));
      // The user's version is not lost: it is in the message.
      if (!after.isEmpty()) QVERIFY2(refused->contains(QStringLiteral("Twoja wersja:")), qPrintable(*refused));
    }
  }

  // A file rewritten in place with bytes of the same length as soon as it was read: within one tick
  // of the file system's clock its stamp stays the same, and only its bytes tell. Until that tick
  // is surely past, a look compares the bytes; after it, the stamp alone.
  void aSameSizeRewriteInPlaceIsNoticed() {
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(catalogue::kRadioFeedName);
    QVERIFY(catalogue::saveRadioFeed(path, stations({"Alfa|http://b"})).ok);
    QFile b(path);
    QVERIFY(b.open(QIODevice::ReadOnly));
    const QByteArray other = b.readAll();
    b.close();
    int comparedBytes = 0;
    int sameStamp = 0;
    for (int round = 0; round < 20; ++round) {
      QVERIFY(catalogue::saveRadioFeed(path, stations({"Alfa|http://a"})).ok);
      catalogue::FeedGuard<RadioStation> guard(path);
      RadioStations loaded;
      QCOMPARE(guard.load(loaded).status, catalogue::LoadResult::Loaded);
      comparedBytes += guard.msUntilStampTells() >= 0;
      QVERIFY(!guard.changedOnDisk());
      const catalogue::DiskStamp read = catalogue::stampOf(path);
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadWrite));
      QCOMPARE(file.write(other), other.size());
      file.close();
      sameStamp += catalogue::stampOf(path) == read;
      QVERIFY(guard.changedOnDisk());
    }
    qInfo("%d of 20 fresh files were compared by their bytes; %d rewrites kept the stamp", comparedBytes, sameStamp);
    QVERIFY(comparedBytes > 0);

    catalogue::FeedGuard<RadioStation> guard(path);
    RadioStations loaded;
    guard.load(loaded);
    const auto lookAgain = [&guard] {
      guard.changedOnDisk();
      return guard.msUntilStampTells();
    };
    QTRY_COMPARE_WITH_TIMEOUT(lookAgain(), -1, 5000);
  }

  // Another program that takes the lock and replaces the file while holding it: a save that comes
  // meanwhile waits, then makes its change on the new file.
  void theLookAndTheWriteHappenUnderTheLock() {
    testsupport::Sandbox sandbox;
    const QString path = sandbox.filePath(catalogue::kRadioFeedName);
    QVERIFY(catalogue::saveRadioFeed(path, stations({"Alfa|a|0", "Gamma|g|0"})).ok);
    const RadioStations theirs = stations({"Alfa|a|0", "Delta|d|0", "Gamma|g|0"});
    QVERIFY(catalogue::saveRadioFeed(path + QStringLiteral(".new"), theirs).ok);
    catalogue::FeedGuard<RadioStation> guard(path);
    RadioStations list;
    QCOMPARE(guard.load(list).status, catalogue::LoadResult::Loaded);

    QProcess holder;
    holder.start(QStringLiteral("flock"), {sandbox.path(), QStringLiteral("sh"), QStringLiteral("-c"),
                                          QStringLiteral("echo held; sleep 1; mv \"$0\".new \"$0\""), path});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine(), QByteArray("held\n"));
    const auto commit = guard.commit(list, Change::added(station("Beta|b|0")), catalogue::stationNameCollator());
    QCOMPARE(commit.status, catalogue::FeedGuard<RadioStation>::Commit::Saved);
    QVERIFY(commit.reread);
    QVERIFY(holder.waitForFinished(10000));
    RadioStations onDisk;
    catalogue::loadRadioFeed(path, onDisk);
    QCOMPARE(texts(onDisk), (QStringList{"Alfa|a|0", "Beta|b|0", "Delta|d|0", "Gamma|g|0"}));
    QCOMPARE(list, onDisk);
  }
};

QTEST_GUILESS_MAIN(FeedGuardTest)
#include "tst_feedguard.moc"
