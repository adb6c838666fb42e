#pragma once

#include <QFile>
#include <QFileInfo>
#include <map>
#include <memory>
#include <optional>
#include <sys/mount.h>
#include <unistd.h>

#include "platform/folders.h"
#include "platform/registrystore.h"
#include "support/filebytes.h"
#include "treebuilder.h"

// The privacy settings in the user's store as the cleaning and option tests see them: the keys, the
// seven options' values, and a store that can be made read-only.
namespace privacystore {

using platform::RootKey;
using platform::StoredValue;

inline const QString kShellFolders = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
inline const QString kRecentDocs = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs");
inline const QString kRunMru = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU");
inline const QString kTypedUrls = QStringLiteral("Software\\Microsoft\\Internet Explorer\\TypedURLs");
inline const QString kPolicies = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");

struct Option {
  const char* box;
  QString key;
  QString name;
};
inline const std::map<int, Option> kOptions{
    {9, {"CheckBox9", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete", "AutoSuggest"}},
    {10, {"CheckBox10", "Software\\Microsoft\\Internet Explorer\\Main", "Use FormSuggest"}},
    {11, {"CheckBox11", "Software\\Microsoft\\Internet Explorer\\Main", "FormSuggest Passwords"}},
    {12, {"CheckBox12", "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Cache", "Persistent"}},
    {13, {"CheckBox13", kPolicies, "NoRecentDocsMenu"}},
    {14, {"CheckBox14", kPolicies, "NoRecentDocsHistory"}},
    {15, {"CheckBox15", kPolicies, "ClearRecentDocsOnExit"}},
};

// Reads and writes a root's store file directly, beside the program's own accessor.
struct Store {
  explicit Store(RootKey root = RootKey::CurrentUser) : hive(platform::openSettingsHive(root)) {}
  void set(const QString& key, const QString& name, const StoredValue& value) {
    hive->setValue(*hive->openKey(key, true), name, value);
  }
  std::optional<StoredValue> get(const QString& key, const QString& name) {
    const auto id = hive->openKey(key, false);
    return id ? hive->value(*id, name) : std::nullopt;
  }
  bool has(const QString& key) { return hive->openKey(key, false).has_value(); }
  QStringList names(const QString& key) { return hive->valueNames(*hive->openKey(key, false)); }
  std::unique_ptr<platform::SettingsHive> hive;
};


inline QByteArray storeBytes() {
  return testsupport::fileBytes(platform::settingsStoreFile(RootKey::CurrentUser));
}

// The user's store can be read but not written: a read-only mount as root, the file's rights
// otherwise.
inline bool makeUserStoreReadOnly() {
  const QString folder = QFileInfo(platform::settingsStoreFile(RootKey::CurrentUser)).path();
  const QByteArray path = QFile::encodeName(folder);
  if (::geteuid() != 0)
    return QFile::setPermissions(platform::settingsStoreFile(RootKey::CurrentUser), QFile::ReadOwner) &&
           QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
  return treebuilder::privateMounts() && ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0 &&
         ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}


inline void makeUserStoreWritable() {
  const QString folder = QFileInfo(platform::settingsStoreFile(RootKey::CurrentUser)).path();
  if (::geteuid() == 0) ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QFile::setPermissions(platform::settingsStoreFile(RootKey::CurrentUser), QFile::ReadOwner | QFile::WriteOwner);
}

}  // namespace privacystore
