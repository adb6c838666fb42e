#include <QtTest>

#include "browser/catalogueedits.h"
#include "browser/listmerge.h"
#include "browser/nameorder.h"
#include "browser/stationcheck.h"
#include "browser/stationviews.h"

using namespace browser;

namespace {

// Runs one in-place update of `former` with `added` (each "text" or "text=index") and returns the
// list after it: kept entries show their former text, every entry its index.
QStringList merged(const QStringList& former, const QStringList& added, NameClasses& names) {
  std::vector<int> groups;
  for (const QString& text : former) groups.push_back(names.classOf(text));
  ListMerge merge(groups, [&former](int row) { return former[row]; });
  int index = 0;
  for (const QString& entry : added) merge.add(names.classOf(entry), entry, index++);
  const ListPlan plan = merge.finish();
  QStringList rows;
  for (const ListPlan::Row& row : plan.rows)
    rows << (row.formerRow >= 0 ? former[row.formerRow] : row.text) + QLatin1Char('=') + QString::number(row.index);
  return rows;
}

}  // namespace

class BrowserLogicTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void inPlaceUpdate_data() {
    QTest::addColumn<QStringList>("former");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("unchanged") << QStringList{"A", "B", "C"} << QStringList{"A", "B", "C"}
                               << QStringList{"A=0", "B=1", "C=2"};
    QTest::newRow("new entry goes after the one added before it")
        << QStringList{"A", "C"} << QStringList{"A", "B", "C"} << QStringList{"A=0", "B=1", "C=2"};
    QTest::newRow("new first entry") << QStringList{"B"} << QStringList{"A", "B"} << QStringList{"A=0", "B=1"};
    QTest::newRow("removed entry goes") << QStringList{"A", "B", "C"} << QStringList{"A", "C"}
                                        << QStringList{"A=0", "C=1"};
    QTest::newRow("letter case change keeps the former text")
        << QStringList{"Alfa", "Beta"} << QStringList{"ALFA", "Beta"} << QStringList{"Alfa=0", "Beta=1"};
    QTest::newRow("Polish letters fold case too")
        << QStringList{"Łódź"} << QStringList{"ŁÓDŹ"} << QStringList{"Łódź=0"};
    QTest::newRow("accents are not case") << QStringList{"Lodz"} << QStringList{"Łódź"} << QStringList{"Łódź=0"};
    QTest::newRow("kept entries keep their order, the index follows the array")
        << QStringList{"B", "A"} << QStringList{"A", "B"} << QStringList{"B=1", "A=0"};
    QTest::newRow("equal texts stay two entries with their own index")
        << QStringList{} << QStringList{"Echo", "echo", "Fala"} << QStringList{"Echo=0", "echo=1", "Fala=2"};
    QTest::newRow("equal texts claim former entries one each")
        << QStringList{"Echo", "echo"} << QStringList{"ECHO"} << QStringList{"Echo=0"};
    QTest::newRow("an entry of exactly the same text is claimed first")
        << QStringList{"Echo", "Zulu", "ECHO"} << QStringList{"Zulu", "ECHO"} << QStringList{"Zulu=0", "ECHO=1"};
    QTest::newRow("everything new in a former list")
        << QStringList{"X", "Y"} << QStringList{"A", "B"} << QStringList{"A=0", "B=1"};
  }
  void inPlaceUpdate() {
    QFETCH(QStringList, former);
    QFETCH(QStringList, added);
    QFETCH(QStringList, expected);
    NameClasses names;
    QCOMPARE(merged(former, added, names), expected);
  }

  void removedRowsAreReported() {
    NameClasses names;
    const QStringList former{"A", "B", "C", "D"};
    ListMerge merge({names.classOf("A"), names.classOf("B"), names.classOf("C"), names.classOf("D")},
                    [&former](int row) { return former[row]; });
    merge.add(names.classOf("B"), "B", 0);
    merge.add(names.classOf("E"), "E", 1);
    const ListPlan plan = merge.finish();
    QCOMPARE(plan.removedRows, (std::vector<int>{0, 2, 3}));
  }

  void namesComparePolishUnderTheCLocale() {
    const QCollator names = stationNameCollator();
    QVERIFY(names.compare(QStringLiteral("Ćma"), QStringLiteral("Dom")) < 0);
    QVERIFY(names.compare(QStringLiteral("Łódź"), QStringLiteral("Lublin")) > 0);
    QCOMPARE(names.compare(QStringLiteral("żuraw"), QStringLiteral("ŻURAW")), 0);
  }

  void filingPlace_data() {
    QTest::addColumn<QStringList>("names");  // "region:name"
    QTest::addColumn<int>("replaced");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("before the first that sorts after it")
        << QStringList{"48:Alfa", "48:Gamma"} << -1 << "48:Beta" << QStringList{"48:Alfa", "48:Beta", "48:Gamma"};
    QTest::newRow("other regions do not count")
        << QStringList{"48:Alfa", "7:Zorro", "48:Gamma"} << -1 << "7:Beta"
        << QStringList{"48:Alfa", "7:Beta", "7:Zorro", "48:Gamma"};
    QTest::newRow("nothing sorts after it: end of the array")
        << QStringList{"48:Alfa", "48:Gamma", "7:Zorro"} << 0 << "48:Zeta"
        << QStringList{"48:Gamma", "7:Zorro", "48:Zeta"};
    QTest::newRow("equal names do not sort after it")
        << QStringList{"48:beta", "48:Gamma"} << -1 << "48:BETA" << QStringList{"48:beta", "48:BETA", "48:Gamma"};
    QTest::newRow("Polish order") << QStringList{"48:Cyfra", "48:Dwójka"} << -1 << "48:Ćwiek"
                                  << QStringList{"48:Cyfra", "48:Ćwiek", "48:Dwójka"};
  }
  void filingPlace() {
    QFETCH(QStringList, names);
    QFETCH(int, replaced);
    QFETCH(QString, record);
    QFETCH(QStringList, expected);
    const auto station = [](const QString& text) {
      catalogue::RadioStation s;
      s.RegionId = text.section(':', 0, 0).toInt();
      s.Name = text.section(':', 1);
      return s;
    };
    catalogue::RadioStations stations;
    for (const QString& text : names) stations.push_back(station(text));
    const int index = fileStation(stations, replaced, station(record), stationNameCollator());
    QStringList result;
    for (const auto& s : stations) result << QString::number(s.RegionId) + ':' + s.Name;
    QCOMPARE(result, expected);
    QCOMPARE(result[index], record);
  }

  void qualityField_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<qint32>("stored");
    QTest::newRow("empty") << "" << true << 0;
    QTest::newRow("128") << "128" << true << 128000;
    QTest::newRow("blanks around") << " 64 " << true << 64000;
    QTest::newRow("plus sign") << "+5" << true << 5000;
    QTest::newRow("minus zero") << "-0" << true << 0;
    QTest::newRow("largest that fits") << "2147483" << true << 2147483000;
    QTest::newRow("does not fit once in bit/s") << "2147484" << false << 0;
    QTest::newRow("beyond 32 bits") << "99999999999" << false << 0;
    QTest::newRow("negative") << "-1" << false << 0;
    QTest::newRow("letters") << "12a" << false << 0;
    QTest::newRow("hexadecimal") << "$10" << false << 0;
    QTest::newRow("sign alone") << "-" << false << 0;
  }
  void qualityField() {
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(qint32, stored);
    StationFields fields{"Name", 1, "www.example.org", std::nullopt, {}, typed};
    const auto problem = checkStationFields(fields, [](const QString&, qint32) { return false; });
    QCOMPARE(!problem.has_value(), accepted);
    if (problem) {
      QCOMPARE(problem->message, QStringLiteral("Nieprawidłowa jakość transmisji"));
      QCOMPARE(problem->focus, EditorField::Quality);
    } else {
      QCOMPARE(qualityBps(fields.quality), stored);
    }
  }

  void regionsFromOnePass() {
    catalogue::TvStations stations(3);
    stations[0].RegionId = 48;
    stations[1].RegionId = 34;
    stations[2].RegionId = 424242;
    const auto present = regionsWithStations(stations);
    QStringList names;
    for (int row = 0; row < catalogue::kRegionCount; ++row)
      if (present[row]) names << catalogue::regionName(row);
    QCOMPARE(names, (QStringList{"Hiszpania", "Kanaryjskie (Wyspy)", "Polska"}));
  }
};

QTEST_GUILESS_MAIN(BrowserLogicTest)
#include "tst_browserlogic.moc"
