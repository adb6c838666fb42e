#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "app/update/updatesources.h"

class QNetworkAccessManager;

namespace app {

// Why a download did not bring a body.
enum class FetchFailure {
  None,
  HostNotFound,     // no such server name, or no network to ask
  ConnectionRefused,
  Unreachable,      // the connection broke or the network went away
  SecureChannel,    // TLS could not be set up or the certificate was refused
  HttpStatus,       // the server answered with an error status
  Timeout,          // the server stopped sending, or took too long in all
  TooLarge,         // more than the limit, announced or sent
  Other,
};

struct FetchResult {
  FetchFailure failure = FetchFailure::None;
  int httpStatus = 0;
  QString detail;  // the network layer's own words, for the failures that have no text of ours
  // The body, read into one buffer as it came (its announced length reserved up front), with the
  // room behind it that the JSON reader needs: tens of megabytes are never copied.
  QByteArray body;
};

// One GET on the user-interface thread, without ever blocking it: the body is collected as it
// arrives, cut off at the limit, and given up after a stall or when the whole takes too long.
class BodyFetch final : public QObject {
  Q_OBJECT
 public:
  BodyFetch(QNetworkAccessManager& network, const UpdateLimits& limits, QObject* parent = nullptr);
  ~BodyFetch() override;

  void start(const QUrl& url);

 Q_SIGNALS:
  void progress(qint64 received, qint64 total);
  void finished(const app::FetchResult& result);

 private:
  void readAvailable();
  void replyFinished();
  // Ends the fetch with `failure`; nothing when it has ended already.
  void fail(FetchFailure failure, const QString& detail, int httpStatus = 0);
  void release();

  QNetworkAccessManager& network_;
  UpdateLimits limits_;
  QPointer<QNetworkReply> reply_;
  QTimer deadline_;
  QByteArray body_;
};

}  // namespace app
