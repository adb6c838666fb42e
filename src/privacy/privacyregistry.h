#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "platform/registrystore.h"

namespace privacy {

// The privacy module's one accessor of the settings store. Key paths are always resolved under
// the current root; at most one key is open, and opening another closes it.
//
// Errors follow the store's (registrystore.h), but for the three operations that answer whether
// they did something, as the desktop's registry does: OpenKey with canCreate, DeleteValue and
// DeleteKey answer false for a change the store refuses. A damaged file throws StoreDamagedError
// from every operation.
class PrivacyRegistry {
 public:
  PrivacyRegistry();
  ~PrivacyRegistry();
  PrivacyRegistry(const PrivacyRegistry&) = delete;
  PrivacyRegistry& operator=(const PrivacyRegistry&) = delete;

  platform::RootKey RootKey() const { return root_; }
  // Closes the open key.
  void SetRootKey(platform::RootKey root);

  // True when the key is now open. Without canCreate, a store that cannot be read throws
  // ValueError.
  bool OpenKey(const QString& path, bool canCreate);
  void CloseKey();
  bool HasOpenKey() const { return openKey_.has_value(); }

  // The operations below act on the open key; without one they throw ValueError, and so does a
  // store that cannot be read.
  bool ValueExists(const QString& name);
  // A missing value reads as empty text; a string or expandable string as its text up to the
  // first zero; any other type throws ValueError.
  QString ReadString(const QString& name);
  // Only a 32-bit integer can be read; a missing value or another type throws ValueError.
  qint32 ReadInteger(const QString& name);
  // A failed write throws ValueError.
  void WriteString(const QString& name, const QString& text);
  void WriteInteger(const QString& name, qint32 value);
  // False when there was no such value, or it could not be deleted.
  bool DeleteValue(const QString& name);
  QStringList GetValueNames();

  // Deletes the key with all its sub-keys, under the current root. False when there was no such
  // key, or it could not be deleted.
  bool DeleteKey(const QString& path);

  // Runs body so that its changes to the current root are kept all together or not at all; an
  // error in it, or in keeping the changes, goes on to the caller.
  void Transaction(const std::function<void()>& body);

 private:
  platform::SettingsHive& hive();
  platform::SettingsHive::KeyId openKeyId(const QString& valueName) const;
  void write(const QString& name, const platform::StoredValue& value);

  platform::RootKey root_ = platform::RootKey::CurrentUser;
  std::unique_ptr<platform::SettingsHive> user_;
  std::unique_ptr<platform::SettingsHive> machine_;
  std::optional<platform::SettingsHive::KeyId> openKey_;
};

}  // namespace privacy
