#pragma once

#include <QFile>
#include <QScopeGuard>
#include <QString>
#include <sqlite3.h>

// Leaves a database as a program would that was killed in the middle of a change: the file half
// written and its rollback journal beside it, to be rolled back by the next writer. `insert` is the
// change: enough rows that they reach the file before the transaction ends.
inline bool leaveHotJournal(const QString& file, const char* insert) {
  const QString copy = file + QStringLiteral(".copy");
  sqlite3* db = nullptr;
  const auto close = qScopeGuard([&] { sqlite3_close(db); });
  if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK) return false;
  // A one-page cache spills the change into the file before the transaction ends.
  if (sqlite3_exec(db, "PRAGMA cache_size=1; BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_exec(db, insert, nullptr, nullptr, nullptr) != SQLITE_OK)
    return false;
  if (!QFile::copy(file, copy) || !QFile::copy(file + QStringLiteral("-journal"), copy + QStringLiteral("-journal")))
    return false;
  sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  db = nullptr;
  return QFile::remove(file) && QFile::rename(copy, file) &&
         QFile::rename(copy + QStringLiteral("-journal"), file + QStringLiteral("-journal"));
}
