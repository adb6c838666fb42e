#include "cataloguesink.h"

#include "app/update/catalogueswap.h"
#include "browser/stationbrowser.h"

namespace app {

BrowserCatalogueSink::BrowserCatalogueSink(browser::StationBrowser& browser, QString catalogueFolder)
    : browser_(browser), catalogueFolder_(std::move(catalogueFolder)) {}

const catalogue::TvStations& BrowserCatalogueSink::tvStations() const { return browser_.tvStations(); }
const catalogue::RadioStations& BrowserCatalogueSink::radioStations() const { return browser_.radioStations(); }

QString BrowserCatalogueSink::refusal() const { return browser_.changeRefusal(); }

catalogue::SaveResult BrowserCatalogueSink::replace(catalogue::TvStations tv, catalogue::RadioStations radio) {
  if (const QString refused = refusal(); !refused.isEmpty()) return {false, refused};
  // Both files first, so that a failure leaves the arrays as they are too.
  const catalogue::SaveResult written = writeBothCatalogues(catalogueFolder_ + catalogue::kTvFeedName, tv,
                                                            catalogueFolder_ + catalogue::kRadioFeedName, radio);
  if (!written.ok) return written;
  browser_.tvStations() = std::move(tv);
  browser_.radioStations() = std::move(radio);
  browser_.RefreshLists();
  return written;
}

}  // namespace app
