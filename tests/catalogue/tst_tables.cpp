#include <QtTest>

#include <set>

#include "catalogue/flags.h"
#include "catalogue/regions.h"

using namespace catalogue;

class TablesTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void regionTableIntegrity() {
    QCOMPARE(int(Regions.size()), 158);
    QCOMPARE(regionName(0), QStringLiteral("Ulubione"));
    QCOMPARE(Regions[0].Id, 0);
    QCOMPARE(regionName(157), QStringLiteral("Zjedn. Emiraty Arabskie"));
    // Names are unique; exactly three identifiers are shared, each by two rows.
    std::set<QString> names;
    std::map<qint32, int> idCount;
    for (int row = 0; row < kRegionCount; ++row) {
      QVERIFY2(names.insert(regionName(row)).second, qPrintable(regionName(row)));
      ++idCount[Regions[row].Id];
    }
    std::set<qint32> shared;
    for (const auto& [id, count] : idCount)
      if (count > 1) {
        QCOMPARE(count, 2);
        shared.insert(id);
      }
    QCOMPARE(shared, (std::set<qint32>{7, 34, 39}));
  }

  // Every row against a copy of the table typed out on its own, not derived from the program.
  void regionTableMatchesTheIndependentCopy() {
    QFile file(QStringLiteral(SIECIOWNIK_TEST_DATA "/regions.tsv"));
    QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.fileName()));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), kRegionCount);
    QCOMPARE(int(Regions.size()), kRegionCount);
    for (int row = 0; row < kRegionCount; ++row) {
      const QStringList fields = lines[row].split(QLatin1Char('\t'));
      QCOMPARE(fields.size(), 3);
      QCOMPARE(fields[0].toInt(), row);
      QCOMPARE(regionName(row), fields[1]);
      QCOMPARE(Regions[row].Id, fields[2].toInt());
    }
  }

  void regionLookups_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("firstName");
    QTest::newRow("favourites") << 0 << "Ulubione";
    QTest::newRow("34 finds the lower row") << 34 << "Hiszpania";
    QTest::newRow("7") << 7 << "Kazachstan";
    QTest::newRow("39") << 39 << "Watykan";
    QTest::newRow("+1 zone") << 1907 << "Alaska";
    QTest::newRow("Kanada") << 100 << "Kanada";
    QTest::newRow("Polska") << 48 << "Polska";
    QTest::newRow("6969") << 6969 << "XXX-landia ;)";
  }
  void regionLookups() {
    QFETCH(int, id);
    QFETCH(QString, firstName);
    const int row = regionRowById(id);
    QVERIFY(row >= 0);
    QCOMPARE(regionName(row), firstName);
    QCOMPARE(regionRowByName(firstName), row);
  }

  void lookupsThatFindNothing() {
    QCOMPARE(regionRowById(999999), -1);
    QCOMPARE(regionRowById(-1), -1);
    QCOMPARE(regionRowByName(u"polska"), -1);  // names compare exactly
    QCOMPARE(regionRowByName(u"Polska "), -1);
    QCOMPARE(regionRowByName(u"Rosja"), 126);
    QCOMPARE(regionRowByName(u"Łotwa"), 103);
  }

  void describeFlags_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("categories");
    QTest::addColumn<QString>("tvKinds");
    QTest::addColumn<QString>("radioKinds");
    // One row per bit: two masks swapped in any of the three tables show the wrong name here.
    QTest::newRow("bit 0x01") << 0x01 << "rozrywka" << "RealPlayer" << "Shoutcast";
    QTest::newRow("bit 0x02") << 0x02 << "informacje" << "Windows Media Video" << "RealPlayer";
    QTest::newRow("bit 0x04") << 0x04 << "polonijne" << "NSV" << "Windows Media Audio";
    QTest::newRow("bit 0x08") << 0x08 << "religijne" << "inne" << "OGG Vorbis";
    QTest::newRow("bit 0x10") << 0x10 << "muzyczne" << "" << "QuickTime";
    QTest::newRow("bit 0x20") << 0x20 << "erotyczne" << "" << "";
    QTest::newRow("bit 0x40") << 0x40 << "" << "" << "";
    QTest::newRow("bit 0x80") << 0x80 << "" << "" << "";
    QTest::newRow("none") << 0 << "" << "" << "";
    QTest::newRow("0x03") << 0x03 << "rozrywka, informacje" << "RealPlayer, Windows Media Video"
                          << "Shoutcast, RealPlayer";
    QTest::newRow("0x41 hides the bit without a row") << 0x41 << "rozrywka" << "RealPlayer" << "Shoutcast";
    QTest::newRow("0xC0 shows nothing") << 0xC0 << "" << "" << "";
    QTest::newRow("all") << 0xFF << "rozrywka, informacje, polonijne, religijne, muzyczne, erotyczne"
                         << "RealPlayer, Windows Media Video, NSV, inne"
                         << "Shoutcast, RealPlayer, Windows Media Audio, OGG Vorbis, QuickTime";
  }
  void describeFlags() {
    QFETCH(int, value);
    QFETCH(QString, categories);
    QFETCH(QString, tvKinds);
    QFETCH(QString, radioKinds);
    const auto v = static_cast<quint8>(value);
    QCOMPARE(DescribeFlags(v, CategoryNames), categories);
    QCOMPARE(DescribeFlags(v, TvPlayerKinds), tvKinds);
    QCOMPARE(DescribeFlags(v, RadioPlayerKinds), radioKinds);
  }
};

QTEST_GUILESS_MAIN(TablesTest)
#include "tst_tables.moc"
