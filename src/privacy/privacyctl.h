#pragma once

#include <QString>
#include <array>
#include <functional>

#include "privacy/browsers/browsercleaner.h"
#include "privacy/privacyregistry.h"

namespace platform {
class SafeDeletion;
}

namespace privacy {

// The texts the option writers store for a box's state.
inline const std::array<QString, 2> YesNoText{QStringLiteral("no"), QStringLiteral("yes")};

// The privacy module: its settings-store accessor, the cleaning steps and the readers and
// writers of the seven options. One object lives for the whole run, from before the first
// window until after the event loop. Every routine leaves no key open and the root at the
// current user's, also when it ends with an error.
class PrivacyCtl {
 public:
  using PolicyNotice = std::function<void()>;
  // The program's own embedded web engine, cleared through the engine's own calls while it runs.
  // Each call answers false when no engine is running, and the step then deletes its files.
  struct EmbeddedBrowser {
    std::function<bool()> clearHistory;
    std::function<bool()> clearCache;
  };
  // The policy notice is sent after each write of a shell policy.
  explicit PrivacyCtl(PolicyNotice policyNotice);
  PrivacyCtl();
  virtual ~PrivacyCtl();
  PrivacyCtl(const PrivacyCtl&) = delete;
  PrivacyCtl& operator=(const PrivacyCtl&) = delete;

  PrivacyRegistry& Registry() { return registry_; }
  void SetEmbeddedBrowser(EmbeddedBrowser browser) { embeddedBrowser_ = std::move(browser); }
  // The user's browsers left alone since the last call because they were running.
  QStringList TakeSkippedBrowsers() { return browsers_.TakeSkippedBrowsers(); }

  // The cleaning steps, each independent of the others. ClearRunList and ClearRecentDocuments
  // can end with a platform::SettingsError, which ends the run they belong to.
  virtual void ClearBrowserHistory();
  virtual void ClearUrlCache();
  virtual void ClearTypedUrls();
  virtual void CleanTempFiles();
  virtual void ClearRunList();
  virtual void ClearRecentDocuments();
  virtual void EmptyRecycleBin();

  // Deletes what is inside the folder (never the folder itself); an empty path does nothing. The
  // second form deletes as part of a step that empties several folders.
  void EmptyFolder(const QString& path);
  void EmptyFolder(const QString& path, platform::SafeDeletion& step);
  void RefreshShellRunList();

  // The option readers give the state a box shows; the writers store a box's new state. A store
  // file that cannot be used throws platform::StoreDamagedError, and one that cannot be read just
  // now (busy beyond its timeout, an I/O error) platform::ValueError; a value of another type falls
  // back to the option's default, and a write without rights leaves the stored value as it was.
  bool GetAutoSuggest();
  bool GetFormSuggest();
  bool GetFormSuggestPasswords();
  bool GetNoPersistentCache();
  bool GetRecentDocsMenu();
  bool GetRecentDocsHistory();
  bool GetClearRecentDocsOnExit();
  void SetAutoSuggest(bool checked);
  void SetFormSuggest(bool checked);
  void SetFormSuggestPasswords(bool checked);
  void SetNoPersistentCache(bool checked);
  void SetRecentDocsMenu(bool checked);
  void SetRecentDocsHistory(bool checked);
  void SetClearRecentDocsOnExit(bool checked);

 private:
  bool readYesNo(const QString& key, const QString& name);
  bool readInteger(const QString& key, const QString& name, bool fallback, const std::function<bool(qint32)>& shows);
  bool replaceValue(const QString& key, const QString& name, const std::function<void()>& write);
  void writeYesNo(const QString& key, const QString& name, bool checked);
  // Replaces the value by the integer, or only deletes it when there is none, in one transaction.
  bool replaceInteger(const QString& key, const QString& name, std::optional<qint32> value);
  void writePolicy(const QString& name, std::optional<qint32> value);

  PrivacyRegistry registry_;
  PolicyNotice policyNotice_;
  EmbeddedBrowser embeddedBrowser_;
  browsers::BrowserCleaner browsers_;
};

}  // namespace privacy
