#pragma once

#include <QStringList>
#include <functional>

#include "privacy/browsers/profiles.h"

namespace privacy::browsers {

// Cleans the profiles of the user's own browsers. A profile its browser holds is never touched:
// the browser's name is noted instead, and taken by whoever tells the user. Everything else that
// fails (a busy, damaged or unknown database, a file that stays) is skipped silently.
class BrowserCleaner {
 public:
  void ClearHistory();
  void ClearCache();
  void ClearTypedUrls();

  // The browsers skipped since the last call because they were running, each named once.
  QStringList TakeSkippedBrowsers();

 private:
  void forEachIdleProfile(const std::function<void(const BrowserProfile&)>& clean);
  QStringList skipped_;
};

}  // namespace privacy::browsers
