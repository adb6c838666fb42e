#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QtTest>

#include "browser/finder/finderresults.h"
#include "browser/finder/stationindex.h"
#include "catalogue/stationnames.h"

using browser::FinderResults;
using browser::StationIndex;

namespace {

constexpr qint32 kAustria = 43, kDenmark = 45, kGermany = 49, kPoland = 48, kRussia = 7, kFavourites = 0;

// What the finder's list shows for a query.
QStringList shown(StationIndex& index, const QString& query) {
  FinderResults results;
  QAbstractItemModelTester tester(&results, QAbstractItemModelTester::FailureReportingMode::QtTest);
  results.show(&index, index.find(query), !query.trimmed().isEmpty());
  QStringList lines;
  for (int row = 0; row < results.rowCount(); ++row) lines << results.index(row).data().toString();
  return lines;
}

std::vector<StationIndex::Station> sample() {
  return {{"Melodzik", kPoland},      {"Radio Łódzkie", kPoland}, {"Łódź", kPoland},          {"Lodz Calling", kGermany},
          {"Żółw", kPoland},          {"Øresund FM", kDenmark},   {"Straße Radio", kGermany}, {"łódź", kFavourites},
          {"Tylko moja", kFavourites}, {"Nigdzie", 424242},        {"Pierwszy Kanał", kRussia}};
}

}  // namespace

class StationFinderTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void namesAreFoundWithCaseAndAccentsIgnored_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("lines");
    // Names and words that begin with the text first, then the rest, each in the panel's order
    // (Polish: L before Ł); the favourite copy of "Łódź" is not listed again.
    QTest::newRow("stroke and acute") << "lodz"
                                      << QStringList{"Lodz Calling — Niemcy", "Łódź — Polska",
                                                     "Radio Łódzkie — Polska", "Melodzik — Polska"};
    QTest::newRow("typed with accents, upper case") << "ŁÓDŹ"
                                                    << QStringList{"Lodz Calling — Niemcy", "Łódź — Polska",
                                                                   "Radio Łódzkie — Polska", "Melodzik — Polska"};
    QTest::newRow("dots and acute") << "zolw" << QStringList{"Żółw — Polska"};
    QTest::newRow("inside words only") << "ódź"
                                       << QStringList{"Lodz Calling — Niemcy", "Łódź — Polska", "Melodzik — Polska",
                                                      "Radio Łódzkie — Polska"};
    QTest::newRow("slashed o") << "oresund" << QStringList{"Øresund FM — Dania"};
    QTest::newRow("sharp s") << "strasse" << QStringList{"Straße Radio — Niemcy"};
    QTest::newRow("leading blanks") << "  fm" << QStringList{"Øresund FM — Dania"};
    QTest::newRow("a favourite of its own") << "moja" << QStringList{"Tylko moja — Ulubione"};
    QTest::newRow("shared identifier") << "kanal" << QStringList{"Pierwszy Kanał — Kazachstan"};
    QTest::newRow("unknown region") << "nigdzie" << QStringList{"Brak stacji o takiej nazwie"};
    QTest::newRow("nothing") << "xyz" << QStringList{"Brak stacji o takiej nazwie"};
    QTest::newRow("blank") << "   " << QStringList{};
  }
  void namesAreFoundWithCaseAndAccentsIgnored() {
    QFETCH(QString, query);
    QFETCH(QStringList, lines);
    StationIndex index;
    index.rebuild(sample());
    QCOMPARE(shown(index, query), lines);
  }

  // Equal names: in the order of Regions, then of the array; the chosen entry names its station.
  void equalNamesAndTheStationsTheyStandFor() {
    StationIndex index;
    index.rebuild(std::vector<StationIndex::Station>{{"Jazz", kGermany}, {"JAZZ", kAustria}, {"Jazz", kGermany}});
    QCOMPARE(shown(index, "jazz"), (QStringList{"JAZZ — Austria", "Jazz — Niemcy", "Jazz — Niemcy"}));
    FinderResults results;
    results.show(&index, index.find(u"jazz"), true);
    QCOMPARE(results.entryAt(0)->index, 1);
    QCOMPARE(results.entryAt(1)->index, 0);
    QCOMPARE(results.entryAt(2)->index, 2);
    QVERIFY(results.flags(results.index(0)).testFlag(Qt::ItemIsSelectable));
    results.show(&index, index.find(u"blues"), true);
    QCOMPARE(results.entryAt(0), nullptr);
    QVERIFY(!results.flags(results.index(0)).testFlag(Qt::ItemIsSelectable));
  }

  // The panel's order of names is the station-name collation's, letter case aside.
  void namesStandInTheCollationOrder() {
    QStringList names{"zebra x", "Żaba x", "źrebię x", "Łoś x", "Lis x", "lis x", "Ala x", "Ąbc x", "alb x",
                      "10 FM x", "2 FM x", "Radio-1 x", "Radio 1 x", "Zürich x", "Ćma x", "Cma x", "ÉCOLE x"};
    std::vector<StationIndex::Station> stations;
    for (const QString& name : names) stations.push_back({name, kPoland});
    StationIndex index;
    index.rebuild(stations);
    const QCollator collator = catalogue::stationNameCollator();
    std::stable_sort(names.begin(), names.end(), [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    QStringList expected;
    for (const QString& name : names) expected << name + QStringLiteral(" — Polska");
    QCOMPARE(shown(index, "x"), expected);
  }

  // An index kept across changes (names remembered, put in order one by one or merged, searches
  // narrowed while the query grows) finds what a fresh one finds.
  void changesAndTypingFindWhatAFreshIndexFinds() {
    const QStringList syllables{"ra", "dio", "łó", "dź", "ża", "ZO", "ól", "w", " ", "ek", "Ä", "ne", "ø"};
    QRandomGenerator random(31);
    const auto name = [&] {
      QString text;
      for (int i = 0, n = 1 + random.bounded(5); i < n; ++i) text += syllables[random.bounded(syllables.size())];
      return text;
    };
    const qint32 regions[] = {kFavourites, kPoland, kGermany, kAustria, kRussia};
    std::vector<StationIndex::Station> stations;
    for (int i = 0; i < 400; ++i) stations.push_back({name(), regions[random.bounded(5)]});
    StationIndex kept;
    kept.rebuild(stations);
    const QStringList typed{"r", "ra", "rad", "ra", "z", "zo", "zol", "zolw", "", "o", "od", "odz", " ", "ae"};
    for (int round = 0; round < 6; ++round) {
      // A rename, a deletion and, every other round, a hundred new stations.
      stations[random.bounded(static_cast<quint32>(stations.size()))].name = name();
      stations.erase(stations.begin() + random.bounded(static_cast<quint32>(stations.size())));
      for (int i = 0; round % 2 == 1 && i < 100; ++i) stations.push_back({name(), regions[random.bounded(5)]});
      kept.rebuild(stations);
      StationIndex fresh;
      fresh.rebuild(stations);
      for (const QString& query : typed) QCOMPARE(shown(kept, query), shown(fresh, query));
    }
  }
};

QTEST_GUILESS_MAIN(StationFinderTest)
#include "tst_stationfinder.moc"
