#include "bodyfetch.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>

#include "catalogue/sources/jsonlist.h"

namespace app {
namespace {

// The most the reply keeps waiting for us: each read then takes a few milliseconds, whatever the
// size of the list and however fast it comes.
constexpr qint64 kReadSliceBytes = 1 << 20;

FetchFailure failureOf(QNetworkReply::NetworkError error) {
  switch (error) {
    case QNetworkReply::HostNotFoundError:
      return FetchFailure::HostNotFound;
    case QNetworkReply::ConnectionRefusedError:
      return FetchFailure::ConnectionRefused;
    // The reply is never aborted while it is connected here, so a cancel is the stall timeout.
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
      return FetchFailure::Timeout;
    case QNetworkReply::SslHandshakeFailedError:
      return FetchFailure::SecureChannel;
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
      return FetchFailure::Unreachable;
    default:
      return FetchFailure::Other;
  }
}

}  // namespace

BodyFetch::BodyFetch(QNetworkAccessManager& network, const UpdateLimits& limits, QObject* parent)
    : QObject(parent), network_(network), limits_(limits) {
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, [this] { fail(FetchFailure::Timeout, {}); });
}

BodyFetch::~BodyFetch() {
  if (reply_) {
    reply_->disconnect(this);
    reply_->abort();
    reply_->deleteLater();
  }
}

void BodyFetch::start(const QUrl& url) {
  QNetworkRequest request(url);
  request.setHeader(QNetworkRequest::UserAgentHeader, updateUserAgent());
  request.setRawHeader("Accept", "application/json");
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setTransferTimeout(limits_.stallTimeoutMs);
  body_.clear();
  reply_ = network_.get(request);
  reply_->setReadBufferSize(kReadSliceBytes);
  connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
    const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > limits_.maxBodyBytes) fail(FetchFailure::TooLarge, {});
    else if (length.isValid() && length.toLongLong() > body_.size())
      body_.reserve(length.toLongLong() + catalogue::sources::json::kPadding);
  });
  connect(reply_, &QNetworkReply::readyRead, this, &BodyFetch::readAvailable);
  connect(reply_, &QNetworkReply::downloadProgress, this, &BodyFetch::progress);
  connect(reply_, &QNetworkReply::finished, this, &BodyFetch::replyFinished);
  deadline_.start(limits_.totalTimeoutMs);
}

void BodyFetch::readAvailable() {
  if (!reply_) return;
  if (const qint64 available = reply_->bytesAvailable(); available > 0) {
    const qsizetype at = body_.size();
    // Without an announced length the buffer grows by doubling; large blocks grow in place.
    const qsizetype needed = at + available + catalogue::sources::json::kPadding;
    if (needed > body_.capacity()) body_.reserve(std::max(needed, 2 * body_.capacity()));
    body_.resize(at + available);
    const qint64 read = reply_->read(body_.data() + at, available);
    body_.resize(at + std::max<qint64>(read, 0));
  }
  if (body_.size() > limits_.maxBodyBytes) fail(FetchFailure::TooLarge, {});
}

void BodyFetch::replyFinished() {
  if (!reply_) return;
  readAvailable();
  if (!reply_) return;
  const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QNetworkReply::NetworkError error = reply_->error();
  if (status >= 300 || (error == QNetworkReply::NoError && status != 0 && status < 200)) {
    fail(FetchFailure::HttpStatus, {}, status);
  } else if (error != QNetworkReply::NoError) {
    fail(failureOf(error), reply_->errorString());
  } else {
    FetchResult result;
    result.httpStatus = status;
    body_.reserve(body_.size() + catalogue::sources::json::kPadding);
    result.body = std::move(body_);
    release();
    Q_EMIT finished(result);
  }
}

void BodyFetch::fail(FetchFailure failure, const QString& detail, int httpStatus) {
  if (!reply_) return;
  release();
  FetchResult result;
  result.failure = failure;
  result.detail = detail;
  result.httpStatus = httpStatus;
  Q_EMIT finished(result);
}

void BodyFetch::release() {
  deadline_.stop();
  body_.clear();
  QNetworkReply* reply = reply_;
  reply_ = nullptr;
  reply->disconnect(this);
  if (reply->isRunning()) reply->abort();
  reply->deleteLater();
}

}  // namespace app

#include "moc_bodyfetch.cpp"
