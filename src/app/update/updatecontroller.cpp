#include "updatecontroller.h"

#include "app/tform4.h"
#include "app/update/updatemessages.h"
#include "catalogue/sources/stationorder.h"
#include "platform/messageboxes.h"

namespace app {

UpdateController::UpdateController(TForm4& window, platform::MessageBoxes& boxes, QWidget* mainWindow,
                                   std::unique_ptr<CatalogueSink> sink, UpdateSources sources, UpdateLimits limits,
                                   QObject* parent)
    : QObject(parent),
      window_(window),
      boxes_(boxes),
      mainWindow_(mainWindow),
      sink_(std::move(sink)),
      sources_(std::move(sources)),
      limits_(limits) {
  // "Anuluj" (and Escape) reject the window.
  connect(&window_, &QDialog::rejected, this, &UpdateController::cancel);
}

void UpdateController::run() {
  if (update_) return;
  // A catalogue that did not load in full is never written over, so there is nothing to fetch for.
  if (const QString refused = sink_->refusal(); !refused.isEmpty()) {
    boxes_.showError(mainWindow_, refused);
    return;
  }
  update_ = new CatalogueUpdate(sources_, limits_, this);
  connect(update_, &CatalogueUpdate::progress, &window_, &TForm4::setStatus);
  connect(update_, &CatalogueUpdate::finished, this, &UpdateController::finished);
  window_.setStatus(QStringLiteral("Łączenie…"), 0);
  // Modal to the main window, without an event loop of its own: the program goes on handling
  // events while the lists come in.
  window_.open();
  update_->start();
}

void UpdateController::cancel() {
  if (update_) update_->cancel();
}

void UpdateController::finished(const UpdateOutcome& outcome) {
  update_->deleteLater();
  update_ = nullptr;
  window_.hide();
  switch (outcome.status) {
    case UpdateOutcome::Cancelled:
      return;
    case UpdateOutcome::Failed:
      boxes_.showError(mainWindow_, outcome.error);
      return;
    case UpdateOutcome::Fetched:
      break;
  }
  if (!boxes_.askQuestion(mainWindow_, updateQuestion(outcome.tv.size(), outcome.radio.size()))) return;
  using catalogue::sources::favouritesAndFetched;
  // The favourites are taken from the files as they are when they are written.
  const catalogue::SaveResult saved = sink_->replace(
      [&](const catalogue::TvStations& current) { return favouritesAndFetched(current, outcome.tv); },
      [&](const catalogue::RadioStations& current) { return favouritesAndFetched(current, outcome.radio); });
  if (!saved.ok)
    boxes_.showError(mainWindow_, QStringLiteral("Nie udało się zapisać nowych list stacji; obecne listy pozostały bez zmian.\n") +
                                      saved.error);
}

}  // namespace app

#include "moc_updatecontroller.cpp"
