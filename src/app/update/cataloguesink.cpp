#include "cataloguesink.h"

#include "app/update/catalogueswap.h"
#include "browser/stationbrowser.h"

namespace app {

BrowserCatalogueSink::BrowserCatalogueSink(browser::StationBrowser& browser, QString catalogueFolder)
    : browser_(browser), catalogueFolder_(std::move(catalogueFolder)) {}

QString BrowserCatalogueSink::refusal() const { return browser_.changeRefusal(); }

catalogue::SaveResult BrowserCatalogueSink::replace(const TvRebuild& tv, const RadioRebuild& radio) {
  if (const QString refused = refusal(); !refused.isEmpty()) return {false, refused};
  const QString tvPath = catalogueFolder_ + catalogue::kTvFeedName;
  const QString radioPath = catalogueFolder_ + catalogue::kRadioFeedName;
  // Both files, or neither: a failure leaves the arrays as they are too.
  return browser_.ReplaceCatalogues(tv, radio,
                                    [&](const catalogue::TvStations& newTv, const catalogue::RadioStations& newRadio) {
                                      return writeBothCatalogues(tvPath, newTv, radioPath, newRadio);
                                    });
}

}  // namespace app
