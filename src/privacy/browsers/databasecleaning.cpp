#include "databasecleaning.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/descriptor.h"
#include "platform/nofollow.h"

namespace privacy::browsers {

using platform::Descriptor;

bool Schema::hasColumns(const QString& table, const QStringList& columns) const {
  const auto found = tables_.find(table);
  if (found == tables_.end()) return false;
  for (const QString& column : columns)
    if (found->second.count(column) == 0) return false;
  return true;
}

namespace {

CleaningResult resultOf(int code) {
  switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return CleaningResult::Busy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return CleaningResult::Damaged;
    default:
      return CleaningResult::Failed;
  }
}

// A rollback journal whose header is not blank holds a change its writer did not finish; the next
// writer would roll it back into the database first. A blank header is a finished journal kept for
// reuse.
bool holdsUnfinishedChange(int folder, const QByteArray& journal) {
  Descriptor file(::openat(folder, journal.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!file.valid()) return errno != ENOENT;
  char header[8] = {};
  const ssize_t got = ::read(file.get(), header, sizeof header);
  if (got < 0) return true;
  return std::any_of(header, header + got, [](char c) { return c != 0; });
}

bool isPlainOwnFile(int folder, const QByteArray& name) {
  struct stat st {};
  return ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
         st.st_uid == ::geteuid();
}

// The database and the files SQLite keeps beside it must be the user's own plain files, reached
// without a link: SQLite itself would follow a link in the folder or in a journal's name.
std::optional<CleaningResult> refusal(const QString& path) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  if (slash < 0) return CleaningResult::Unsafe;
  Descriptor folder(platform::openNoFollow(path.left(qMax<qsizetype>(slash, 1)), O_PATH | O_DIRECTORY));
  if (!folder.valid()) return errno == ENOENT ? CleaningResult::Missing : CleaningResult::Unsafe;
  const QByteArray name = QFile::encodeName(path.mid(slash + 1));
  struct stat st {};
  if (::fstatat(folder.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? CleaningResult::Missing : CleaningResult::Unsafe;
  if (!isPlainOwnFile(folder.get(), name)) return CleaningResult::Unsafe;
  for (const char* suffix : {"-wal", "-shm", "-journal"}) {
    const QByteArray side = name + suffix;
    if (::fstatat(folder.get(), side.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !isPlainOwnFile(folder.get(), side))
      return CleaningResult::Unsafe;
  }
  if (holdsUnfinishedChange(folder.get(), name + "-journal")) return CleaningResult::Busy;
  return std::nullopt;
}

class Connection {
 public:
  ~Connection() {
    if (db_ != nullptr) sqlite3_close_v2(db_);
  }
  int open(const QString& path) {
    return sqlite3_open_v2(QFile::encodeName(path).constData(), &db_,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_PRIVATECACHE, nullptr);
  }
  int run(const QString& sql) { return sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr); }
  // The first column of every row, or the error code.
  int rows(const char* sql, QStringList& values, QStringList* second = nullptr) {
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
      rc = sqlite3_step(statement);
      if (rc != SQLITE_ROW) break;
      values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
      if (second != nullptr) second->append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))));
    }
    sqlite3_finalize(statement);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  }
  void foldLogOnClose(bool fold) { sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, fold ? 0 : 1, nullptr); }
  sqlite3* handle() { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace

CleaningResult cleanDatabase(const QString& path, const CleaningPlan& plan) {
  if (const auto refused = refusal(path)) return *refused;
  // A write-ahead log that holds changes (a browser that crashed) must not be folded into the
  // file of a database left alone: that one stays byte for byte as it was. An empty or absent
  // log may be, which writes nothing and lets SQLite tidy away the log it made.
  const bool logHoldsChanges = QFileInfo(path + QStringLiteral("-wal")).size() > 0;
  Connection db;
  if (const int rc = db.open(path); rc != SQLITE_OK) return resultOf(rc);
  db.foldLogOnClose(!logHoldsChanges);
  sqlite3_busy_timeout(db.handle(), 250);
  // As the browsers themselves run: rows that hang on a deleted page go with it. Deleted content
  // is overwritten, not merely unlinked from the file's pages.
  db.run(QStringLiteral("PRAGMA foreign_keys = ON"));
  db.run(QStringLiteral("PRAGMA secure_delete = ON"));
  if (const int rc = db.run(QStringLiteral("BEGIN IMMEDIATE")); rc != SQLITE_OK) return resultOf(rc);
  const auto abandon = [&](CleaningResult result) {
    db.run(QStringLiteral("ROLLBACK"));
    return result;
  };
  QStringList verdict;
  if (const int rc = db.rows("PRAGMA integrity_check", verdict); rc != SQLITE_OK) return abandon(resultOf(rc));
  if (verdict != QStringList{QStringLiteral("ok")}) return abandon(CleaningResult::Damaged);

  QStringList tables, columns;
  if (const int rc = db.rows("SELECT m.name, p.name FROM sqlite_master AS m JOIN pragma_table_info(m.name) AS p "
                             "WHERE m.type = 'table'",
                             tables, &columns);
      rc != SQLITE_OK)
    return abandon(resultOf(rc));
  std::map<QString, std::set<QString>> layout;
  for (qsizetype i = 0; i < tables.size(); ++i) layout[tables[i]].insert(columns[i]);
  const std::optional<QStringList> statements = plan(Schema(std::move(layout)));
  if (!statements) return abandon(CleaningResult::UnknownSchema);
  for (const QString& statement : *statements)
    if (const int rc = db.run(statement); rc != SQLITE_OK) return abandon(resultOf(rc));
  if (const int rc = db.run(QStringLiteral("COMMIT")); rc != SQLITE_OK) return abandon(resultOf(rc));
  db.foldLogOnClose(true);
  return CleaningResult::Cleaned;
}

}  // namespace privacy::browsers
