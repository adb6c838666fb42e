#pragma once

#include <QString>

#include "catalogue/feedfile.h"
#include "catalogue/stations.h"

namespace browser { class StationBrowser; }

namespace app {

// The two catalogues of the running program, as the update sees them.
class CatalogueSink {
 public:
  virtual ~CatalogueSink() = default;
  virtual const catalogue::TvStations& tvStations() const = 0;
  virtual const catalogue::RadioStations& radioStations() const = 0;
  // Why the catalogues may not be replaced now; empty when they may.
  virtual QString refusal() const { return {}; }
  // Puts both catalogues in place (both files written, the arrays replaced, the lists refreshed),
  // or, when that fails, changes nothing and says why.
  virtual catalogue::SaveResult replace(catalogue::TvStations tv, catalogue::RadioStations radio) = 0;
};

// The browser panels' catalogues and their files in the data folder.
class BrowserCatalogueSink final : public CatalogueSink {
 public:
  BrowserCatalogueSink(browser::StationBrowser& browser, QString catalogueFolder);
  const catalogue::TvStations& tvStations() const override;
  const catalogue::RadioStations& radioStations() const override;
  QString refusal() const override;
  catalogue::SaveResult replace(catalogue::TvStations tv, catalogue::RadioStations radio) override;

 private:
  browser::StationBrowser& browser_;
  QString catalogueFolder_;
};

}  // namespace app
