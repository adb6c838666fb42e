#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <memory>

#include "app/update/bodyfetch.h"
#include "app/update/updatesources.h"
#include "catalogue/stations.h"

namespace app {

class RadioServerSearch;

struct UpdateOutcome {
  enum Status { Fetched, Failed, Cancelled };
  Status status = Failed;
  QString error;  // Failed: the message for the user
  catalogue::TvStations tv;
  catalogue::RadioStations radio;
};

// Finds the radio directory's servers, fetches the radio list from the first of them that gives it,
// then the TV channel and stream lists, one after the other on the user-interface thread's event
// loop, and maps them on a worker thread, so that the window never waits. Any other failure ends
// the whole update; nothing here touches the catalogues.
class CatalogueUpdate final : public QObject {
  Q_OBJECT
 public:
  CatalogueUpdate(UpdateSources sources, UpdateLimits limits, QObject* parent = nullptr);
  ~CatalogueUpdate() override;

  void start();
  // Stops the download at once, and the mapping at its next step (the window never waits for it);
  // `finished` comes with Cancelled.
  void cancel();

 Q_SIGNALS:
  // What is being done, and how far the whole update has come (0 to 100).
  void progress(const QString& text, int percent);
  void finished(const app::UpdateOutcome& outcome);

 private:
  enum class Step { Radio, Channels, Streams };
  void findRadioServers();
  void fetch(Step step);
  const QUrl& urlOf(Step step) const;
  void fetched(Step step, const FetchResult& result);
  void map();
  void finish(UpdateOutcome outcome);

  UpdateSources sources_;
  UpdateLimits limits_;
  QNetworkAccessManager network_;
  QPointer<RadioServerSearch> search_;
  QList<QUrl> radioServers_;  // the radio list's addresses, tried in this order
  qsizetype radioServer_ = 0;
  QPointer<BodyFetch> fetch_;
  QByteArray radioBody_;
  QByteArray channelsBody_;
  QByteArray streamsBody_;
  std::shared_ptr<std::atomic_bool> cancelMapping_;
  bool running_ = false;
};

}  // namespace app
