#include "privacy/keyguard.h"
#include "privacy/privacyctl.h"

namespace privacy {
namespace {

const QString kAutoComplete = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete");
const QString kBrowserMain = QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main");
const QString kCache = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Cache");
const QString kPolicies = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");

}  // namespace

bool PrivacyCtl::readYesNo(const QString& key, const QString& name) {
  KeyGuard guard(registry_);
  if (!registry_.OpenKey(key, false)) return true;
  try {
    if (registry_.ValueExists(name)) return registry_.ReadString(name).compare(YesNoText[1], Qt::CaseInsensitive) == 0;
  } catch (const platform::ValueError&) {
    // A value of another type shows the default.
  }
  return true;
}

bool PrivacyCtl::readInteger(const QString& key, const QString& name, bool fallback,
                             const std::function<bool(qint32)>& shows) {
  KeyGuard guard(registry_);
  if (!registry_.OpenKey(key, false)) return fallback;
  try {
    if (registry_.ValueExists(name)) return shows(registry_.ReadInteger(name));
  } catch (const platform::ValueError&) {
    // A value of another type shows the default.
  }
  return fallback;
}

// The old value is deleted and the new one written together: a write that fails leaves the old
// value, never no value at all. True when the change was stored.
bool PrivacyCtl::replaceValue(const QString& key, const QString& name, const std::function<void()>& write) {
  KeyGuard guard(registry_);
  if (!registry_.OpenKey(key, true)) return false;
  try {
    registry_.Transaction([&] {
      // A value that is there and cannot be deleted means nothing can be stored.
      const bool present = registry_.ValueExists(name);
      if (!registry_.DeleteValue(name) && present)
        throw platform::ValueError(QStringLiteral("Nie można usunąć wartości „%1”.").arg(name));
      write();
    });
  } catch (const platform::ValueError&) {
    // Nothing changed (no rights, disk full); the box keeps the state the user gave it.
    return false;
  }
  return true;
}

void PrivacyCtl::writeYesNo(const QString& key, const QString& name, bool checked) {
  replaceValue(key, name, [&] { registry_.WriteString(name, YesNoText[checked]); });
}

bool PrivacyCtl::replaceInteger(const QString& key, const QString& name, std::optional<qint32> value) {
  return replaceValue(key, name, [&] {
    if (value) registry_.WriteInteger(name, *value);
  });
}

// The desktop hears of a policy only when it changed: a store without rights changes nothing.
void PrivacyCtl::writePolicy(const QString& name, std::optional<qint32> value) {
  if (replaceInteger(kPolicies, name, value)) policyNotice_();
}

bool PrivacyCtl::GetAutoSuggest() { return readYesNo(kAutoComplete, QStringLiteral("AutoSuggest")); }
bool PrivacyCtl::GetFormSuggest() { return readYesNo(kBrowserMain, QStringLiteral("Use FormSuggest")); }
bool PrivacyCtl::GetFormSuggestPasswords() { return readYesNo(kBrowserMain, QStringLiteral("FormSuggest Passwords")); }

bool PrivacyCtl::GetNoPersistentCache() {
  return readInteger(kCache, QStringLiteral("Persistent"), false, [](qint32 value) { return value == 0; });
}
bool PrivacyCtl::GetRecentDocsMenu() {
  return readInteger(kPolicies, QStringLiteral("NoRecentDocsMenu"), true, [](qint32 value) { return value == 0; });
}
bool PrivacyCtl::GetRecentDocsHistory() {
  return readInteger(kPolicies, QStringLiteral("NoRecentDocsHistory"), true, [](qint32 value) { return value == 0; });
}
bool PrivacyCtl::GetClearRecentDocsOnExit() {
  return readInteger(kPolicies, QStringLiteral("ClearRecentDocsOnExit"), false, [](qint32 value) { return value != 0; });
}

void PrivacyCtl::SetAutoSuggest(bool checked) { writeYesNo(kAutoComplete, QStringLiteral("AutoSuggest"), checked); }
void PrivacyCtl::SetFormSuggest(bool checked) { writeYesNo(kBrowserMain, QStringLiteral("Use FormSuggest"), checked); }
void PrivacyCtl::SetFormSuggestPasswords(bool checked) {
  writeYesNo(kBrowserMain, QStringLiteral("FormSuggest Passwords"), checked);
}
void PrivacyCtl::SetNoPersistentCache(bool checked) {
  replaceInteger(kCache, QStringLiteral("Persistent"), checked ? 0 : 1);
}
void PrivacyCtl::SetRecentDocsMenu(bool checked) {
  writePolicy(QStringLiteral("NoRecentDocsMenu"), checked ? std::nullopt : std::optional<qint32>(1));
}
void PrivacyCtl::SetRecentDocsHistory(bool checked) {
  writePolicy(QStringLiteral("NoRecentDocsHistory"), checked ? std::nullopt : std::optional<qint32>(1));
}
void PrivacyCtl::SetClearRecentDocsOnExit(bool checked) {
  writePolicy(QStringLiteral("ClearRecentDocsOnExit"), checked ? std::optional<qint32>(1) : std::nullopt);
}

}  // namespace privacy
