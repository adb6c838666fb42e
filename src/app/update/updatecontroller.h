#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "app/update/cataloguesink.h"
#include "app/update/catalogueupdate.h"
#include "app/update/updatesources.h"

class QWidget;

namespace platform { class MessageBoxes; }

namespace app {

class TForm4;

// "Aktualizuj": shows TForm4 over the main window while the lists are fetched and mapped, lets
// "Anuluj" stop it all, and asks before the catalogues are replaced. Favourites stay.
class UpdateController final : public QObject {
  Q_OBJECT
 public:
  UpdateController(TForm4& window, platform::MessageBoxes& boxes, QWidget* mainWindow,
                   std::unique_ptr<CatalogueSink> sink, UpdateSources sources, UpdateLimits limits,
                   QObject* parent = nullptr);

  void run();
  bool running() const { return update_ != nullptr; }

 private:
  void cancel();
  void finished(const UpdateOutcome& outcome);

  TForm4& window_;
  platform::MessageBoxes& boxes_;
  QWidget* mainWindow_;
  std::unique_ptr<CatalogueSink> sink_;
  UpdateSources sources_;
  UpdateLimits limits_;
  QPointer<CatalogueUpdate> update_;
};

}  // namespace app
