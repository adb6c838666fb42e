#include "registrystore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <sqlite3.h>

#include "platform/folders.h"

namespace platform {
namespace {

constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 10000;
constexpr SettingsHive::KeyId kRootKeyId = 1;

QString folded(const QString& name) { return name.toCaseFolded(); }

// The names of a key path; nothing when a name is empty ("a\\b", a path of only "\").
std::optional<QStringList> keyNames(const QString& path) {
  QString trimmed = path;
  if (trimmed.startsWith(QLatin1Char('\\'))) trimmed.remove(0, 1);
  if (trimmed.endsWith(QLatin1Char('\\'))) trimmed.chop(1);
  if (trimmed.isEmpty()) return QStringList{};
  const QStringList names = trimmed.split(QLatin1Char('\\'));
  for (const QString& name : names)
    if (name.isEmpty()) return std::nullopt;
  return names;
}

}  // namespace

StoredValue stringValue(const QString& text, ValueType type) {
  QByteArray data = text.toUtf8();
  data.append('\0');
  return {type, data};
}

StoredValue integerValue(qint32 value) {
  QByteArray data(4, Qt::Uninitialized);
  qToLittleEndian(value, data.data());
  return {ValueType::Integer32, data};
}

SettingsError::SettingsError(const QString& message) : std::runtime_error(message.toStdString()) {}

// One prepared statement; every failure goes through the hive's error mapping.
class SettingsHive::Statement {
 public:
  Statement(SettingsHive& hive, const char* sql) : hive_(hive) {
    const int rc = sqlite3_prepare_v2(hive.db_, sql, -1, &statement_, nullptr);
    if (rc != SQLITE_OK) hive.fail(rc);
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& bind(qint64 value) {
    check(sqlite3_bind_int64(statement_, ++bound_, value));
    return *this;
  }
  Statement& bind(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    check(sqlite3_bind_text(statement_, ++bound_, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
    return *this;
  }
  Statement& bind(const QByteArray& blob) {
    check(sqlite3_bind_blob(statement_, ++bound_, blob.constData(), int(blob.size()), SQLITE_TRANSIENT));
    return *this;
  }
  // True while there is a row to read.
  bool step() {
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    hive_.fail(rc);
  }
  qint64 integer(int column) { return sqlite3_column_int64(statement_, column); }
  QString text(int column) {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(statement_, column));
  }
  QByteArray blob(int column) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    return QByteArray(bytes, sqlite3_column_bytes(statement_, column));
  }

 private:
  void check(int rc) {
    if (rc != SQLITE_OK) hive_.fail(rc);
  }
  SettingsHive& hive_;
  sqlite3_stmt* statement_ = nullptr;
  int bound_ = 0;
};

SettingsHive::SettingsHive(QString filePath, Seed seed) : filePath_(std::move(filePath)), seed_(std::move(seed)) {}

SettingsHive::~SettingsHive() { sqlite3_close(db_); }

void SettingsHive::fail(int code) {
  const QString detail = db_ != nullptr ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(code));
  const int primary = code & 0xFF;
  if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
    throw StoreDamagedError(QStringLiteral("Plik ustawień „%1” jest uszkodzony albo nie jest plikiem ustawień "
                                           "programu (%2). Usuń go lub przywróć z kopii zapasowej.")
                                .arg(QDir::toNativeSeparators(filePath_), detail));
  const QString file = QDir::toNativeSeparators(filePath_);
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
    throw ValueError(QStringLiteral("Plik ustawień „%1” jest zajęty przez inny program lub inną kopię tego "
                                    "programu (%2). Spróbuj ponownie za chwilę.")
                         .arg(file, detail));
  if (primary == SQLITE_IOERR)
    throw ValueError(QStringLiteral("Błąd odczytu lub zapisu pliku ustawień „%1” (%2). Sprawdź dysk.").arg(file, detail));
  if (primary == SQLITE_READONLY || primary == SQLITE_PERM)
    throw ValueError(QStringLiteral("Brak prawa zapisu do pliku ustawień „%1” (%2).").arg(file, detail));
  throw ValueError(QStringLiteral("Błąd pliku ustawień „%1”: %2").arg(file, detail));
}

void SettingsHive::exec(const char* sql) {
  Statement statement(*this, sql);
  while (statement.step()) {
  }
}

bool SettingsHive::ensureOpen() {
  if (db_ != nullptr) return true;
  const bool exists = QFileInfo::exists(filePath_);
  if (!exists && !QDir().mkpath(QFileInfo(filePath_).absolutePath())) return false;
  const int flags = SQLITE_OPEN_READWRITE | (exists ? 0 : SQLITE_OPEN_CREATE);
  const int rc = sqlite3_open_v2(QFile::encodeName(filePath_).constData(), &db_, flags, nullptr);
  if (rc != SQLITE_OK) {
    // No file and no rights to create one, or no rights to read it: the root is empty to us.
    sqlite3_close(db_);
    db_ = nullptr;
    return false;
  }
  sqlite3_extended_result_codes(db_, 1);
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  try {
    createSchemaIfNew();
  } catch (const StoreDamagedError&) {
    sqlite3_close(db_);
    db_ = nullptr;
    throw;
  } catch (const ValueError&) {
    sqlite3_close(db_);
    db_ = nullptr;
    // An empty file we may not write: nothing is stored there yet. Anything else (busy beyond the
    // wait, an I/O error, a change left half done that cannot be rolled back) is the caller's to
    // report, not an empty store.
    if (QFileInfo(filePath_).size() == 0) return false;
    throw;
  }
  return true;
}

void SettingsHive::createSchemaIfNew() {
  const auto version = [this] {
    Statement statement(*this, "PRAGMA user_version");
    return statement.step() ? statement.integer(0) : 0;
  };
  if (version() == kSchemaVersion) return;
  transaction([&] {
    // Another running copy may have created it while we waited for the lock.
    const qint64 found = version();
    if (found == kSchemaVersion) return;
    Statement tables(*this, "SELECT count(*) FROM sqlite_master");
    tables.step();
    if (found != 0 || tables.integer(0) != 0) fail(SQLITE_NOTADB);
    exec("CREATE TABLE keys(id INTEGER PRIMARY KEY, parent INTEGER, name TEXT NOT NULL, folded TEXT NOT NULL)");
    exec("CREATE UNIQUE INDEX keys_by_name ON keys(parent, folded)");
    exec("CREATE TABLE vals(key INTEGER NOT NULL, name TEXT NOT NULL, folded TEXT NOT NULL, "
         "type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, folded))");
    exec("INSERT INTO keys(id, parent, name, folded) VALUES(1, NULL, '', '')");
    if (seed_) seed_(*this);
    exec("PRAGMA user_version = 1");
  });
}

std::optional<SettingsHive::KeyId> SettingsHive::childKey(KeyId parent, const QString& name) {
  Statement statement(*this, "SELECT id FROM keys WHERE parent = ? AND folded = ?");
  statement.bind(parent).bind(folded(name));
  if (!statement.step()) return std::nullopt;
  return statement.integer(0);
}

std::optional<SettingsHive::KeyId> SettingsHive::openKey(const QString& path, bool create) {
  const std::optional<QStringList> names = keyNames(path);
  if (!names) return std::nullopt;
  if (!ensureOpen()) {
    if (!create) return std::nullopt;
    throw ValueError(QStringLiteral("Nie można utworzyć pliku ustawień „%1”.").arg(QDir::toNativeSeparators(filePath_)));
  }
  const auto walk = [&](bool creating) -> std::optional<KeyId> {
    KeyId key = kRootKeyId;
    for (const QString& name : *names) {
      if (const std::optional<KeyId> child = childKey(key, name)) {
        key = *child;
        continue;
      }
      if (!creating) return std::nullopt;
      Statement insert(*this, "INSERT INTO keys(parent, name, folded) VALUES(?, ?, ?)");
      insert.bind(key).bind(name).bind(folded(name)).step();
      key = sqlite3_last_insert_rowid(db_);
    }
    return key;
  };
  if (std::optional<KeyId> existing = walk(false); existing || !create) return existing;
  std::optional<KeyId> created;
  transaction([&] { created = walk(true); });
  return created;
}

bool SettingsHive::deleteKeyTree(const QString& path) {
  const std::optional<KeyId> key = openKey(path, false);
  if (!key || *key == kRootKeyId) return false;
  transaction([&] {
    // The sub-keys go with their key, at any depth.
    Statement values(*this,
                     "WITH RECURSIVE tree(id) AS (SELECT ? UNION ALL SELECT keys.id FROM keys JOIN tree "
                     "ON keys.parent = tree.id) DELETE FROM vals WHERE key IN tree");
    values.bind(*key).step();
    Statement keys(*this,
                   "WITH RECURSIVE tree(id) AS (SELECT ? UNION ALL SELECT keys.id FROM keys JOIN tree "
                   "ON keys.parent = tree.id) DELETE FROM keys WHERE id IN tree");
    keys.bind(*key).step();
  });
  return true;
}

std::optional<StoredValue> SettingsHive::value(KeyId key, const QString& name) {
  if (!ensureOpen()) return std::nullopt;
  Statement statement(*this, "SELECT type, data FROM vals WHERE key = ? AND folded = ?");
  statement.bind(key).bind(folded(name));
  if (!statement.step()) return std::nullopt;
  return StoredValue{ValueType(quint32(statement.integer(0))), statement.blob(1)};
}

void SettingsHive::setValue(KeyId key, const QString& name, const StoredValue& value) {
  if (!ensureOpen())
    throw ValueError(QStringLiteral("Nie można utworzyć pliku ustawień „%1”.").arg(QDir::toNativeSeparators(filePath_)));
  Statement statement(*this,
                      "INSERT INTO vals(key, name, folded, type, data) SELECT ?, ?, ?, ?, ? "
                      "WHERE EXISTS (SELECT 1 FROM keys WHERE id = ?) "
                      "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
  statement.bind(key).bind(name).bind(folded(name)).bind(qint64(value.type)).bind(value.data).bind(key).step();
  if (sqlite3_changes(db_) == 0)
    throw ValueError(QStringLiteral("Nie można zapisać wartości „%1”: klucz został usunięty.").arg(name));
}

bool SettingsHive::deleteValue(KeyId key, const QString& name) {
  // Nothing to delete is an answer, also in a store that may not be changed.
  if (!value(key, name)) return false;
  Statement statement(*this, "DELETE FROM vals WHERE key = ? AND folded = ?");
  statement.bind(key).bind(folded(name)).step();
  return sqlite3_changes(db_) > 0;
}

QStringList SettingsHive::valueNames(KeyId key) {
  QStringList names;
  if (!ensureOpen()) return names;
  Statement statement(*this, "SELECT name FROM vals WHERE key = ? ORDER BY rowid");
  statement.bind(key);
  while (statement.step()) names << statement.text(0);
  return names;
}

QStringList SettingsHive::subKeyNames(KeyId key) {
  QStringList names;
  if (!ensureOpen()) return names;
  Statement statement(*this, "SELECT name FROM keys WHERE parent = ? ORDER BY id");
  statement.bind(key);
  while (statement.step()) names << statement.text(0);
  return names;
}

void SettingsHive::transaction(const std::function<void()>& body) {
  if (!ensureOpen())
    throw ValueError(QStringLiteral("Nie można utworzyć pliku ustawień „%1”.").arg(QDir::toNativeSeparators(filePath_)));
  if (transactionDepth_ > 0) {
    body();
    return;
  }
  exec("BEGIN IMMEDIATE");
  transactionDepth_ = 1;
  try {
    body();
    exec("COMMIT");
  } catch (...) {
    transactionDepth_ = 0;
    if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  transactionDepth_ = 0;
}

QString settingsStoreFile(RootKey root) {
  if (root == RootKey::CurrentUser) return userConfigHome() + QStringLiteral("/sieciownik/current-user.sqlite");
  return underMachineRoot(QStringLiteral("/var/lib/sieciownik/local-machine.sqlite"));
}

std::unique_ptr<SettingsHive> openSettingsHive(RootKey root) {
  if (root == RootKey::LocalMachine) return std::make_unique<SettingsHive>(settingsStoreFile(root));
  // A fresh profile knows where its shell folders are.
  return std::make_unique<SettingsHive>(settingsStoreFile(root), [](SettingsHive& hive) {
    const std::optional<SettingsHive::KeyId> shellFolders =
        hive.openKey(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"), true);
    if (!shellFolders) throw ValueError(QStringLiteral("Nie można utworzyć profilu ustawień."));
    hive.setValue(*shellFolders, QStringLiteral("Recent"),
                  stringValue(QStringLiteral("%HOME%/.local/share/RecentDocuments"), ValueType::ExpandString));
  });
}

}  // namespace platform
