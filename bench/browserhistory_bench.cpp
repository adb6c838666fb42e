// Cleans a large Firefox places.sqlite and a large Chromium History (100,000 pages, 300,000
// visits each, as a long-used profile holds) with the cleaner's history plans, and times the
// safety checks alone (open, write lock, integrity check, schema) beside the whole cleaning.
// The databases are made in a scratch folder under the current folder:
//   cd build && ./bench/bench_browserhistory
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "privacy/browsers/cleaningplans.h"
#include "privacy/browserfixtures.h"  // the tests' browser schemas

namespace {

constexpr int kPages = 100000;
constexpr int kVisitsPerPage = 3;
constexpr int kRounds = 3;

QByteArray firefoxRows() {
  return QByteArrayLiteral(
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ") +
         QByteArray::number(kPages) +
         ") INSERT INTO moz_places (id, url, title, visit_count, typed, last_visit_date, guid, origin_id) "
         "SELECT i, 'https://site' || (i % 500) || '.example/page/' || i, 'Strona ' || i, 3, i % 7 = 0, i, "
         "printf('%012d', i), NULL FROM n;"
         "INSERT INTO moz_historyvisits (place_id, visit_date, visit_type) "
         "SELECT p.id, p.id * 10 + v.k, 1 FROM moz_places p, (SELECT 1 AS k UNION ALL SELECT 2 UNION ALL SELECT 3) v;"
         "INSERT INTO moz_bookmarks (type, fk, parent, title, guid) SELECT 1, id, 1, title, 'b' || guid FROM moz_places WHERE id % 50 = 0;"
         "INSERT INTO moz_inputhistory SELECT id, substr(url, 9, 4), 1 FROM moz_places WHERE id % 10 = 0;"
         "CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);"
         "CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);";
}

QByteArray chromiumRows() {
  return QByteArrayLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ") +
         QByteArray::number(kPages) +
         ") INSERT INTO urls (id, url, title, visit_count, typed_count, last_visit_time) "
         "SELECT i + 100, 'https://site' || (i % 500) || '.example/page/' || i, 'Strona ' || i, 3, i % 7 = 0, i FROM n;"
         "INSERT INTO visits (url, visit_time, transition) "
         "SELECT u.id, u.id * 10 + v.k, 0 FROM urls u, (SELECT 1 AS k UNION ALL SELECT 2 UNION ALL SELECT 3) v;"
         "CREATE INDEX visits_url_index ON visits (url);"
         "CREATE INDEX urls_url_index ON urls (url);";
}

double milliseconds(const QString& file, const privacy::browsers::CleaningPlan& plan, bool expectCleaned) {
  QElapsedTimer timer;
  timer.start();
  const auto result = privacy::browsers::cleanDatabase(file, plan);
  const double elapsed = timer.nsecsElapsed() / 1e6;
  const bool ok = expectCleaned ? result == privacy::browsers::CleaningResult::Cleaned
                                : result == privacy::browsers::CleaningResult::UnknownSchema;
  return ok ? elapsed : -1;
}

void measure(const char* name, const QString& master, const privacy::browsers::CleaningPlan& plan) {
  const QString copy = master + QStringLiteral(".copy");
  const privacy::browsers::CleaningPlan checksOnly = [](const privacy::browsers::Schema&) { return std::optional<QStringList>(); };
  for (int round = 0; round < kRounds; ++round) {
    QFile::remove(copy);
    QFile::copy(master, copy);
    const double checks = milliseconds(copy, checksOnly, false);
    const double whole = milliseconds(copy, plan, true);
    std::printf("%-10s round %d: %6.1f MB, safety checks %7.1f ms, whole cleaning %7.1f ms\n", name, round + 1,
                QFileInfo(master).size() / 1e6, checks, whole);
  }
  QFile::remove(copy);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString scratch = QDir::current().filePath(QStringLiteral("bench-browserhistory"));
  QDir(scratch).removeRecursively();
  QDir().mkpath(scratch);
  const QString places = scratch + QStringLiteral("/places.sqlite");
  const QString history = scratch + QStringLiteral("/History");
  if (!browserfixtures::runScript(places, browserfixtures::kFirefoxSchema + firefoxRows()) ||
      !browserfixtures::runScript(history, browserfixtures::kChromiumHistory + chromiumRows())) {
    std::fprintf(stderr, "cannot make the databases in %s\n", qPrintable(scratch));
    return 1;
  }
  measure("Firefox", places, privacy::browsers::firefoxHistoryPlan());
  measure("Chromium", history, privacy::browsers::chromiumHistoryPlan());
  QDir(scratch).removeRecursively();
  return 0;
}
