#pragma once

#include <QStringList>
#include <functional>

#include "privacy/browsers/databasecleaning.h"
#include "privacy/browsers/profiles.h"

namespace privacy::browsers {

// Cleans the profiles of the user's own browsers. A profile its browser holds is never touched:
// the browser's name is noted instead, and taken by whoever tells the user; so is a database that
// another program holds or left half written. Everything else that fails (a damaged or unknown
// database, a file that stays) is skipped silently.
class BrowserCleaner {
 public:
  void ClearHistory();
  void ClearCache();
  void ClearTypedUrls();

  // The browsers skipped since the last call because they were running, each named once.
  QStringList TakeSkippedBrowsers();

 private:
  void forEachIdleProfile(const std::function<void(const BrowserProfile&)>& clean);
  void cleanIn(const BrowserProfile& profile, const char* database, const CleaningPlan& plan);
  void noteSkipped(const QString& browser);
  QStringList skipped_;
};

}  // namespace privacy::browsers
