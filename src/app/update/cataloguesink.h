#pragma once

#include <QString>
#include <functional>

#include "catalogue/feedfile.h"
#include "catalogue/stations.h"

namespace browser { class StationBrowser; }

namespace app {

// The two catalogues of the running program, as the update sees them.
class CatalogueSink {
 public:
  using TvRebuild = std::function<catalogue::TvStations(const catalogue::TvStations&)>;
  using RadioRebuild = std::function<catalogue::RadioStations(const catalogue::RadioStations&)>;
  virtual ~CatalogueSink() = default;
  // Why the catalogues may not be replaced now; empty when they may.
  virtual QString refusal() const { return {}; }
  // Makes both catalogues anew from what they hold, by `tv` and `radio`, and puts them in place
  // (both files written, the arrays replaced, the lists refreshed), or, when that fails, changes
  // nothing and says why. What another program wrote to a file meanwhile is what they are made from.
  virtual catalogue::SaveResult replace(const TvRebuild& tv, const RadioRebuild& radio) = 0;
};

// The browser panels' catalogues and their files in the data folder.
class BrowserCatalogueSink final : public CatalogueSink {
 public:
  BrowserCatalogueSink(browser::StationBrowser& browser, QString catalogueFolder);
  QString refusal() const override;
  catalogue::SaveResult replace(const TvRebuild& tv, const RadioRebuild& radio) override;

 private:
  browser::StationBrowser& browser_;
  QString catalogueFolder_;
};

}  // namespace app
