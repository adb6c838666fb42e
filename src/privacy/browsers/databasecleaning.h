#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace privacy::browsers {

// The tables and columns a database holds, as the cleaning plans ask about them.
class Schema {
 public:
  explicit Schema(std::map<QString, std::set<QString>> tables) : tables_(std::move(tables)) {}
  bool hasTable(const QString& table) const { return tables_.count(table) != 0; }
  // True when the table exists and has every one of the columns.
  bool hasColumns(const QString& table, const QStringList& columns) const;

 private:
  std::map<QString, std::set<QString>> tables_;
};

// What to run against a database of the given schema, or nothing when the schema lacks what the
// cleaning needs (a database the program does not know is left alone).
using CleaningPlan = std::function<std::optional<QStringList>(const Schema&)>;

enum class CleaningResult {
  Cleaned,        // every statement ran and the transaction was committed
  Missing,        // no such file: nothing to do
  Unsafe,         // reached through a link, not a plain file, or not the user's own
  Busy,           // another program holds the database, or left a change in it unfinished
  Damaged,        // SQLite reports the file as damaged, or its integrity check fails
  UnknownSchema,  // tables or columns the plan needs are not there
  Failed,         // a statement failed for another reason; everything was rolled back
};

// Runs the plan's statements inside one transaction of the database at `path` (an absolute path
// reached without following links). The database is only ever changed through SQLite: a busy,
// damaged or unknown database, or any failure, leaves the file byte for byte as it was.
CleaningResult cleanDatabase(const QString& path, const CleaningPlan& plan);

}  // namespace privacy::browsers
