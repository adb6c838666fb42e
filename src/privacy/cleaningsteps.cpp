#include "platform/folders.h"
#include "platform/runhistory.h"
#include "platform/safedelete.h"
#include "platform/settingsnotice.h"
#include "platform/trash.h"
#include "privacy/keyguard.h"
#include "privacy/privacyctl.h"
#include "privacy/recentlyused.h"

namespace privacy {
namespace {

const QString kTypedUrls = QStringLiteral("Software\\Microsoft\\Internet Explorer\\TypedURLs");
const QString kRunMru = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU");
const QString kShellFolders = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
const QString kRecentDocs = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs");

}  // namespace

PrivacyCtl::PrivacyCtl(PolicyNotice policyNotice) : policyNotice_(std::move(policyNotice)) {}
PrivacyCtl::PrivacyCtl() : PrivacyCtl(&platform::sendPolicyNotice) {}
PrivacyCtl::~PrivacyCtl() = default;

void PrivacyCtl::EmptyFolder(const QString& path) {
  if (path.isEmpty()) return;
  platform::emptyFolderSafely(path);
}

void PrivacyCtl::EmptyFolder(const QString& path, platform::SafeDeletion& step) {
  if (!path.isEmpty()) step.emptyFolder(path);
}

void PrivacyCtl::RefreshShellRunList() { platform::clearRunDialogHistories(); }

// The web engine's visited links and history (its cookies and site data stay), then the user's
// browsers'.
void PrivacyCtl::ClearBrowserHistory() {
  if (!embeddedBrowser_.clearHistory || !embeddedBrowser_.clearHistory()) {
    const QString profile = platform::webEngineStorageFolder();
    platform::SafeDeletion step;
    for (const char* name : {"Visited Links", "History", "History-journal"})
      step.deleteFile(profile + QLatin1Char('/') + QLatin1String(name));
  }
  browsers_.ClearHistory();
}

void PrivacyCtl::ClearUrlCache() {
  if (!embeddedBrowser_.clearCache || !embeddedBrowser_.clearCache()) EmptyFolder(platform::webEngineCacheFolder());
  browsers_.ClearCache();
}

void PrivacyCtl::ClearTypedUrls() {
  {
    KeyGuard guard(registry_);
    try {
      if (registry_.OpenKey(kTypedUrls, false))
        for (const QString& name : registry_.GetValueNames()) registry_.DeleteValue(name);
    } catch (const platform::SettingsError&) {
      // This step never ends a run: whatever could not be deleted stays.
    }
  }
  browsers_.ClearTypedUrls();
}

void PrivacyCtl::CleanTempFiles() {
  platform::SafeDeletion step;
  EmptyFolder(platform::userTempFolder(), step);
  EmptyFolder(platform::machineTempFolder(), step);
}

// Nothing on Linux writes the run list's key: a run history that the desktop keeps counts as the
// key being there, so that the desktop's histories are cleared whenever they exist. The key is not
// made for them.
void PrivacyCtl::ClearRunList() {
  {
    KeyGuard guard(registry_);
    if (registry_.OpenKey(kRunMru, false)) {
      for (const QString& name : registry_.GetValueNames()) registry_.DeleteValue(name);
      registry_.WriteString(QStringLiteral("MRUList"), QString());
    } else if (!platform::runDialogHistoryExists()) {
      return;
    }
  }
  RefreshShellRunList();
}

void PrivacyCtl::ClearRecentDocuments() {
  // GTK desktops' list first: it does not depend on the store, whose "Recent" may be unreadable.
  emptyRecentlyUsedList(platform::userDataHome());
  KeyGuard guard(registry_);
  if (registry_.OpenKey(kShellFolders, false)) {
    const QString recent = platform::expandEnvironmentStrings(registry_.ReadString(QStringLiteral("Recent")));
    registry_.CloseKey();
    EmptyFolder(recent);
  }
  // Without the rights to the machine's part of the store this deletion simply fails.
  registry_.SetRootKey(platform::RootKey::LocalMachine);
  registry_.DeleteKey(kRecentDocs);
  registry_.SetRootKey(platform::RootKey::CurrentUser);
  registry_.DeleteKey(kRecentDocs);
}

void PrivacyCtl::EmptyRecycleBin() { platform::emptyTrash(); }

}  // namespace privacy
