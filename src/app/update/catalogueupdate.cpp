#include "catalogueupdate.h"

#include <QCoreApplication>
#include <QThread>
#include <malloc.h>

#include "app/update/radioservers.h"
#include "app/update/updatemessages.h"
#include "catalogue/sources/directories.h"

namespace app {
namespace {

using catalogue::sources::ParseFailure;

struct StepInfo {
  const char16_t* text;
  int firstPercent;
  int lastPercent;
};

// The radio list is by far the largest, so it takes the largest part of the bar.
const StepInfo kSteps[] = {
    {u"Pobieranie listy stacji radiowych…", 0, 45},
    {u"Pobieranie listy kanałów telewizyjnych…", 45, 70},
    {u"Pobieranie adresów kanałów telewizyjnych…", 70, 85},
};
constexpr int kMappingPercent = 90;

int percentWithin(const StepInfo& step, qint64 received, qint64 total) {
  // Without a length the bar still moves, ever more slowly.
  const double done = total > 0 ? double(received) / double(total) : double(received) / double(received + (4 << 20));
  return step.firstPercent + int(std::clamp(done, 0.0, 1.0) * (step.lastPercent - step.firstPercent));
}

// What the worker thread is given and gives back; shared, so that it outlives an update that is
// cancelled meanwhile.
struct MappingJob {
  QByteArray radio;  // each let go of as soon as it has been read
  QByteArray channels;
  QByteArray streams;
  std::shared_ptr<std::atomic_bool> cancel;
  catalogue::sources::Parsed<catalogue::RadioStations> radioResult;
  catalogue::sources::Parsed<catalogue::TvStations> tvResult;
};

}  // namespace

CatalogueUpdate::CatalogueUpdate(UpdateSources sources, UpdateLimits limits, QObject* parent)
    : QObject(parent), sources_(std::move(sources)), limits_(limits) {}

CatalogueUpdate::~CatalogueUpdate() {
  // The mapping stops at its next look at the flag, but reading the lists cannot be cut short: the
  // window does not wait for it. The job holds all the mapping needs, and the thread goes on its own.
  if (cancelMapping_) cancelMapping_->store(true);
}

void CatalogueUpdate::start() {
  if (running_) return;
  running_ = true;
  // The lists and the parser's index are blocks of megabytes, each made and freed once. glibc
  // maps such blocks on their own, but after freeing one it raises its threshold to that size and
  // serves the next update's lists from the heap, which does not shrink: a fixed threshold keeps
  // every update as lean as the first.
  constexpr int kOwnMappingFrom = 1 << 20;
  mallopt(M_MMAP_THRESHOLD, kOwnMappingFrom);
  radioServers_ = sources_.radioStations;
  radioServer_ = 0;
  if (radioServers_.isEmpty()) findRadioServers();
  else fetch(Step::Radio);
}

void CatalogueUpdate::findRadioServers() {
  const RadioDirectory& directory = sources_.radioDirectory;
  Q_EMIT progress(QStringLiteral("Wyszukiwanie serwerów katalogu stacji radiowych…"), 0);
  search_ = new RadioServerSearch(directory.lookup, directory.roundRobinName, this);
  connect(search_, &RadioServerSearch::finished, this, [this](const QStringList& hostNames) {
    search_->deleteLater();
    if (hostNames.isEmpty()) {
      finish({UpdateOutcome::Failed, noRadioServerMessage(sources_.radioDirectory.roundRobinName), {}, {}});
      return;
    }
    for (const QString& host : hostNames) radioServers_ << sources_.radioDirectory.stationsOn(host);
    fetch(Step::Radio);
  });
  search_->start();
}

void CatalogueUpdate::cancel() {
  if (!running_) return;
  if (search_) search_->disconnect(this);
  if (search_) search_->deleteLater();
  if (fetch_) fetch_->disconnect(this);
  if (fetch_) fetch_->deleteLater();
  if (cancelMapping_) cancelMapping_->store(true);
  finish({UpdateOutcome::Cancelled, {}, {}, {}});
}

const QUrl& CatalogueUpdate::urlOf(Step step) const {
  return step == Step::Radio ? radioServers_.at(radioServer_)
         : step == Step::Channels ? sources_.tvChannels
                                  : sources_.tvStreams;
}

void CatalogueUpdate::fetch(Step step) {
  const StepInfo& info = kSteps[int(step)];
  QString text = QString::fromUtf16(info.text);
  if (step == Step::Radio && radioServer_ > 0)
    text = QStringLiteral("Serwer %1 nie odpowiada – pobieranie listy stacji radiowych z innego serwera…")
               .arg(radioServers_.at(radioServer_ - 1).host());
  Q_EMIT progress(text, info.firstPercent);
  const QUrl url = urlOf(step);
  fetch_ = new BodyFetch(network_, limits_, this);
  connect(fetch_, &BodyFetch::progress, this, [this, info, text](qint64 received, qint64 total) {
    Q_EMIT progress(text, percentWithin(info, received, total));
  });
  connect(fetch_, &BodyFetch::finished, this, [this, step](const FetchResult& result) { fetched(step, result); });
  fetch_->start(url);
}

void CatalogueUpdate::fetched(Step step, const FetchResult& result) {
  fetch_->deleteLater();
  fetch_ = nullptr;
  const QUrl url = urlOf(step);
  if (result.failure != FetchFailure::None) {
    // The directory's servers stand in for each other: the next one is asked.
    if (step == Step::Radio && radioServer_ + 1 < radioServers_.size()) {
      ++radioServer_;
      fetch(Step::Radio);
      return;
    }
    QString message = fetchFailureMessage(result, url, limits_.maxBodyBytes);
    if (step == Step::Radio && radioServers_.size() > 1) message += serversTriedNote(radioServers_);
    finish({UpdateOutcome::Failed, message, {}, {}});
    return;
  }
  switch (step) {
    case Step::Radio:
      radioBody_ = std::move(result.body);
      fetch(Step::Channels);
      break;
    case Step::Channels:
      channelsBody_ = std::move(result.body);
      fetch(Step::Streams);
      break;
    case Step::Streams:
      streamsBody_ = std::move(result.body);
      map();
      break;
  }
}

void CatalogueUpdate::map() {
  Q_EMIT progress(QStringLiteral("Przetwarzanie pobranych list…"), kMappingPercent);
  auto job = std::make_shared<MappingJob>();
  job->radio = std::exchange(radioBody_, {});
  job->channels = std::exchange(channelsBody_, {});
  job->streams = std::exchange(streamsBody_, {});
  job->cancel = cancelMapping_ = std::make_shared<std::atomic_bool>(false);
  QThread* worker = QThread::create([job] {
    // The small TV lists first, so that only the radio list is held while it is read.
    job->tvResult = catalogue::sources::parseTvDirectory(std::exchange(job->channels, {}),
                                                         std::exchange(job->streams, {}), job->cancel.get());
    job->radioResult = catalogue::sources::parseRadioDirectory(std::exchange(job->radio, {}), job->cancel.get());
    // What the reading took is free again; give it back to the system rather than keep it for
    // the next update, which may never come.
    malloc_trim(0);
  });
  connect(worker, &QThread::finished, worker, &QObject::deleteLater);
  // Only the program's end waits for a mapping that was given up.
  connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, worker, [worker] { worker->wait(); });
  connect(worker, &QThread::finished, this, [this, job] {
    if (!running_ || job->cancel->load()) return;
    const auto& radio = job->radioResult;
    const auto& tv = job->tvResult;
    if (radio.failure != ParseFailure::None)
      finish({UpdateOutcome::Failed, parseFailureMessage(radio.failure, radioServers_.at(radioServer_)), {}, {}});
    else if (tv.failure != ParseFailure::None)
      finish({UpdateOutcome::Failed, parseFailureMessage(tv.failure, sources_.tvChannels), {}, {}});
    else if (radio.stations.empty())
      finish({UpdateOutcome::Failed, emptyListMessage(radioServers_.at(radioServer_)), {}, {}});
    else if (tv.stations.empty())
      finish({UpdateOutcome::Failed, emptyListMessage(sources_.tvChannels), {}, {}});
    else
      finish({UpdateOutcome::Fetched, {}, std::move(job->tvResult.stations), std::move(job->radioResult.stations)});
  });
  worker->start();
}

void CatalogueUpdate::finish(UpdateOutcome outcome) {
  running_ = false;
  radioBody_.clear();
  channelsBody_.clear();
  streamsBody_.clear();
  if (outcome.status == UpdateOutcome::Fetched) Q_EMIT progress(QStringLiteral("Gotowe."), 100);
  Q_EMIT finished(outcome);
}

}  // namespace app

#include "moc_catalogueupdate.cpp"
