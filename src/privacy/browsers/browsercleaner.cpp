#include "browsercleaner.h"

#include <utility>
#include <fcntl.h>

#include "platform/safedelete.h"
#include "privacy/browsers/cleaningplans.h"
#include "platform/descriptor.h"
#include "platform/nofollow.h"

namespace privacy::browsers {

using platform::Descriptor;
namespace {

QString inProfile(const BrowserProfile& profile, const char* name) {
  return profile.folder + QLatin1Char('/') + QLatin1String(name);
}

}  // namespace

void BrowserCleaner::forEachIdleProfile(const std::function<void(const BrowserProfile&)>& clean) {
  for (const BrowserProfile& profile : findBrowserProfiles()) {
    if (isProfileInUse(profile)) {
      if (!skipped_.contains(profile.browser)) skipped_ << profile.browser;
      continue;
    }
    clean(profile);
  }
}

void BrowserCleaner::ClearHistory() {
  forEachIdleProfile([](const BrowserProfile& profile) {
    if (profile.family == BrowserFamily::Firefox) {
      cleanDatabase(inProfile(profile, "places.sqlite"), firefoxHistoryPlan());
      return;
    }
    cleanDatabase(inProfile(profile, "History"), chromiumHistoryPlan());
    cleanDatabase(inProfile(profile, "Top Sites"), chromiumTopSitesPlan());
    // The table of visited links is rebuilt from the (now empty) history when the browser starts.
    platform::deleteFileSafely(inProfile(profile, "Visited Links"));
  });
}

void BrowserCleaner::ClearCache() {
  forEachIdleProfile([](const BrowserProfile& profile) {
    for (const QString& folder : profile.cacheFolders)
      if (Descriptor(platform::openNoFollow(folder, O_PATH | O_DIRECTORY)).valid())
        platform::emptyFolderSafely(folder);
  });
}

void BrowserCleaner::ClearTypedUrls() {
  forEachIdleProfile([](const BrowserProfile& profile) {
    if (profile.family == BrowserFamily::Firefox) {
      cleanDatabase(inProfile(profile, "places.sqlite"), firefoxTypedPlan());
      return;
    }
    cleanDatabase(inProfile(profile, "History"), chromiumTypedPlan());
    cleanDatabase(inProfile(profile, "Network Action Predictor"), chromiumPredictorPlan());
    cleanDatabase(inProfile(profile, "Shortcuts"), chromiumShortcutsPlan());
  });
}

QStringList BrowserCleaner::TakeSkippedBrowsers() { return std::exchange(skipped_, {}); }

}  // namespace privacy::browsers
