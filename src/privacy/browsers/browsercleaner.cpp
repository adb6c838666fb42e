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
      noteSkipped(profile.browser);
      continue;
    }
    clean(profile);
  }
}

void BrowserCleaner::noteSkipped(const QString& browser) {
  if (!skipped_.contains(browser)) skipped_ << browser;
}

void BrowserCleaner::cleanIn(const BrowserProfile& profile, const char* database, const CleaningPlan& plan) {
  if (cleanDatabase(inProfile(profile, database), plan) == CleaningResult::Busy) noteSkipped(profile.browser);
}

void BrowserCleaner::ClearHistory() {
  platform::SafeDeletion step;
  forEachIdleProfile([this, &step](const BrowserProfile& profile) {
    if (profile.family == BrowserFamily::Firefox) {
      cleanIn(profile, "places.sqlite", firefoxHistoryPlan());
      return;
    }
    cleanIn(profile, "History", chromiumHistoryPlan());
    cleanIn(profile, "Top Sites", chromiumTopSitesPlan());
    // The table of visited links is rebuilt from the (now empty) history when the browser starts.
    step.deleteFile(inProfile(profile, "Visited Links"));
  });
}

void BrowserCleaner::ClearCache() {
  platform::SafeDeletion step;
  forEachIdleProfile([&step](const BrowserProfile& profile) {
    for (const QString& folder : profile.cacheFolders)
      if (Descriptor(platform::openNoFollow(folder, O_PATH | O_DIRECTORY)).valid()) step.emptyFolder(folder);
  });
}

void BrowserCleaner::ClearTypedUrls() {
  forEachIdleProfile([this](const BrowserProfile& profile) {
    if (profile.family == BrowserFamily::Firefox) {
      cleanIn(profile, "places.sqlite", firefoxTypedPlan());
      return;
    }
    cleanIn(profile, "History", chromiumTypedPlan());
    cleanIn(profile, "Network Action Predictor", chromiumPredictorPlan());
    cleanIn(profile, "Shortcuts", chromiumShortcutsPlan());
  });
}

QStringList BrowserCleaner::TakeSkippedBrowsers() { return std::exchange(skipped_, {}); }

}  // namespace privacy::browsers
