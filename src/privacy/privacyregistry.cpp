#include "privacyregistry.h"

#include <QtEndian>

namespace privacy {

using platform::StoredValue;
using platform::ValueError;
using platform::ValueType;

PrivacyRegistry::PrivacyRegistry()
    : user_(platform::openSettingsHive(platform::RootKey::CurrentUser)),
      machine_(platform::openSettingsHive(platform::RootKey::LocalMachine)) {}

PrivacyRegistry::~PrivacyRegistry() = default;

platform::SettingsHive& PrivacyRegistry::hive() { return root_ == platform::RootKey::CurrentUser ? *user_ : *machine_; }

void PrivacyRegistry::SetRootKey(platform::RootKey root) {
  CloseKey();
  root_ = root;
}

bool PrivacyRegistry::OpenKey(const QString& path, bool canCreate) {
  CloseKey();
  try {
    openKey_ = hive().openKey(path, canCreate);
  } catch (const ValueError&) {
    if (!canCreate) throw;
  }
  return openKey_.has_value();
}

void PrivacyRegistry::CloseKey() { openKey_.reset(); }

platform::SettingsHive::KeyId PrivacyRegistry::openKeyId(const QString& valueName) const {
  if (!openKey_) throw ValueError(QStringLiteral("Brak otwartego klucza dla wartości „%1”.").arg(valueName));
  return *openKey_;
}

bool PrivacyRegistry::ValueExists(const QString& name) { return hive().value(openKeyId(name), name).has_value(); }

QString PrivacyRegistry::ReadString(const QString& name) {
  const std::optional<StoredValue> value = hive().value(openKeyId(name), name);
  if (!value) return {};
  if (value->type != ValueType::String && value->type != ValueType::ExpandString)
    throw ValueError(QStringLiteral("Nieprawidłowy typ danych wartości „%1”.").arg(name));
  const qsizetype zero = value->data.indexOf('\0');
  return QString::fromUtf8(zero < 0 ? value->data : value->data.left(zero));
}

qint32 PrivacyRegistry::ReadInteger(const QString& name) {
  const std::optional<StoredValue> value = hive().value(openKeyId(name), name);
  if (!value || value->type != ValueType::Integer32 || value->data.size() != 4)
    throw ValueError(QStringLiteral("Nieprawidłowy typ danych wartości „%1”.").arg(name));
  return qFromLittleEndian<qint32>(value->data.constData());
}

void PrivacyRegistry::write(const QString& name, const StoredValue& value) {
  try {
    hive().setValue(openKeyId(name), name, value);
  } catch (const ValueError& error) {
    throw ValueError(QStringLiteral("Nie można zapisać wartości „%1”. %2").arg(name, error.message()));
  }
}

void PrivacyRegistry::WriteString(const QString& name, const QString& text) { write(name, platform::stringValue(text)); }

void PrivacyRegistry::WriteInteger(const QString& name, qint32 value) { write(name, platform::integerValue(value)); }

bool PrivacyRegistry::DeleteValue(const QString& name) {
  const platform::SettingsHive::KeyId key = openKeyId(name);
  try {
    return hive().deleteValue(key, name);
  } catch (const ValueError&) {
    return false;
  }
}

QStringList PrivacyRegistry::GetValueNames() { return hive().valueNames(openKeyId(QString())); }

bool PrivacyRegistry::DeleteKey(const QString& path) {
  CloseKey();
  try {
    return hive().deleteKeyTree(path);
  } catch (const ValueError&) {
    return false;
  }
}

void PrivacyRegistry::Transaction(const std::function<void()>& body) { hive().transaction(body); }

}  // namespace privacy
