#pragma once

#include "privacy/browsers/databasecleaning.h"

namespace privacy::browsers {

// What each step deletes from the browsers' databases. Each plan names the tables and columns it
// relies on; a database without them is of a kind the program does not know and stays as it is.

// places.sqlite: the visits, the pages that only visits kept (bookmarked, keyworded and annotated
// pages stay, with their visit marks reset), what was typed to reach pages, the browsing
// metadata, and the origins no page uses any more.
CleaningPlan firefoxHistoryPlan();
// places.sqlite: the typed marks and what was typed to reach pages.
CleaningPlan firefoxTypedPlan();

// History: the visits and every page (bookmarks live in a file of their own), the searches,
// the most-visited segments, the visited links and what the browser derived from visits.
CleaningPlan chromiumHistoryPlan();
// Top Sites: the most visited pages shown on a new tab.
CleaningPlan chromiumTopSitesPlan();
// History: the typed marks of the pages.
CleaningPlan chromiumTypedPlan();
// Network Action Predictor: what was typed and the address it led to.
CleaningPlan chromiumPredictorPlan();
// Shortcuts: the address bar's typed text and the address it was completed to.
CleaningPlan chromiumShortcutsPlan();

}  // namespace privacy::browsers
