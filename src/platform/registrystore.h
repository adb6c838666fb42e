#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

struct sqlite3;

namespace platform {

// The two roots of the settings store.
enum class RootKey { CurrentUser, LocalMachine };

// Value types, numbered as the desktop's registry numbers them.
enum class ValueType : quint32 {
  None = 0,
  String = 1,
  ExpandString = 2,
  Binary = 3,
  Integer32 = 4,
  Integer32BigEndian = 5,
  Link = 6,
  MultiString = 7,
  Integer64 = 11,
};

struct StoredValue {
  ValueType type = ValueType::None;
  QByteArray data;
  friend bool operator==(const StoredValue&, const StoredValue&) = default;
};

// Text values are stored as UTF-8 with their terminating zero; 32-bit integers as 4 bytes,
// least significant first.
StoredValue stringValue(const QString& text, ValueType type = ValueType::String);
StoredValue integerValue(qint32 value);

// A failure of the settings store. The message is Polish and meant for the user.
class SettingsError : public std::runtime_error {
 public:
  explicit SettingsError(const QString& message);
  QString message() const { return QString::fromUtf8(what()); }
};

// A value that cannot be read as asked (wrong type, missing) or a write that did not happen (no
// rights, disk full, the store busy for too long). Nothing was changed.
class ValueError final : public SettingsError {
 public:
  using SettingsError::SettingsError;
};

// The store file cannot be used at all: damaged, or not a settings store.
class StoreDamagedError final : public SettingsError {
 public:
  using SettingsError::SettingsError;
};

// One root of the settings store in one SQLite file: a tree of keys, each holding typed values.
// Key and value names compare without regard to letter case and keep the case they were
// created with. Every change is a transaction (rollback journal), and several running copies of
// the program share the file, waiting for each other's writes. Without the rights to write the
// file the store can still be read, and every change fails.
//
// Errors, for every function alike:
// - what is not there is an answer, not an error: a lookup gives nothing or an empty list, a
//   deletion false; a store file that does not exist (and cannot be created) reads as empty;
// - a change that cannot be made (no rights, disk full, the store busy beyond its wait, the key
//   gone) throws ValueError, and nothing of it is kept;
// - a store that cannot be read (busy beyond its wait, an I/O error) throws ValueError;
// - a damaged file, or one that is not a settings store, throws StoreDamagedError.
// Every message is Polish and meant for the user.
class SettingsHive {
 public:
  using KeyId = qint64;
  // Fills a store file that is being created, inside the transaction that creates it.
  using Seed = std::function<void(SettingsHive&)>;

  explicit SettingsHive(QString filePath, Seed seed = {});
  ~SettingsHive();
  SettingsHive(const SettingsHive&) = delete;
  SettingsHive& operator=(const SettingsHive&) = delete;

  const QString& filePath() const { return filePath_; }

  // A key by its path of names separated by "\" (a leading "\" is ignored), optionally created
  // together with its missing parents. Nothing when the key does not exist and is not to be
  // created, or the path is not a key path.
  std::optional<KeyId> openKey(const QString& path, bool create);
  // Deletes the key and everything below it. False when there is no such key; the root itself is
  // never deleted.
  bool deleteKeyTree(const QString& path);

  std::optional<StoredValue> value(KeyId key, const QString& name);
  // Also throws ValueError when the key has gone meanwhile.
  void setValue(KeyId key, const QString& name, const StoredValue& value);
  // False when there was no such value.
  bool deleteValue(KeyId key, const QString& name);
  QStringList valueNames(KeyId key);
  QStringList subKeyNames(KeyId key);

  // Runs body as one transaction: all of its changes are kept, or, when it throws, none of them
  // and the error goes on to the caller.
  void transaction(const std::function<void()>& body);

 private:
  class Statement;
  // False when the file does not exist and cannot be created: the store is then empty and
  // cannot be changed.
  bool ensureOpen();
  void createSchemaIfNew();
  void exec(const char* sql);
  [[noreturn]] void fail(int code);
  std::optional<KeyId> childKey(KeyId parent, const QString& name);

  QString filePath_;
  Seed seed_;
  sqlite3* db_ = nullptr;
  int transactionDepth_ = 0;
};

// The file of each root: the user's under $XDG_CONFIG_HOME/sieciownik, the machine's under
// /var/lib/sieciownik of the machine root.
QString settingsStoreFile(RootKey root);
// A root's store, the user's filled from the template of a fresh profile when it is created.
std::unique_ptr<SettingsHive> openSettingsHive(RootKey root);

}  // namespace platform
