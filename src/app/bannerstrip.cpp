#include "bannerstrip.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QWidget>

#include "app/bannerbackend.h"

namespace app {
namespace {

// A success status and an HTML type: a page the strip can show.
bool answersWithAPage(const QNetworkReply& reply) {
  const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QString type =
      reply.header(QNetworkRequest::ContentTypeHeader).toString().section(QLatin1Char(';'), 0, 0).trimmed();
  return status >= 200 && status < 300 &&
         (type.compare(QLatin1String("text/html"), Qt::CaseInsensitive) == 0 ||
          type.compare(QLatin1String("application/xhtml+xml"), Qt::CaseInsensitive) == 0);
}

}  // namespace

BannerStrip::BannerStrip(BannerBackend& loader, int answerTimeoutMs, QObject* parent)
    : QObject(parent), loader_(loader), answerTimeoutMs_(answerTimeoutMs) {}

void BannerStrip::load(QWidget* strip, const QUrl& page) {
  if (asking_ != nullptr) {
    QNetworkReply* previous = asking_;
    asking_ = nullptr;  // its answer no longer counts
    previous->abort();
    previous->deleteLater();
  }
  if (page.isEmpty()) loader_.release(strip);
  else ask(strip, page);
}

void BannerStrip::ask(QWidget* strip, const QUrl& page) {
  QNetworkRequest request(page);
  // The question is the server's, not a visit: nothing of the user's goes with it or stays.
  request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
  request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  // Redirects are followed only within the page's host, as the strip itself does.
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
  QNetworkReply* reply = network_.get(request);
  asking_ = reply;
  const QPointer<QWidget> target(strip);
  connect(reply, &QNetworkReply::redirected, reply, [reply, page](const QUrl& to) {
    if (to.host() == page.host()) Q_EMIT reply->redirectAllowed();
    else reply->abort();
  });
  // A page is known from its head, and the page itself is the engine's to fetch. (Any other
  // answer is let finish: Qt 6.4 reports an error answer aborted early twice.)
  connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply, target, page] {
    if (answersWithAPage(*reply)) answered(reply, target, page, true);
  });
  connect(reply, &QNetworkReply::finished, this, [this, reply, target, page] {
    answered(reply, target, page, reply->error() == QNetworkReply::NoError && answersWithAPage(*reply));
  });
  QTimer::singleShot(answerTimeoutMs_, reply, &QNetworkReply::abort);
}

void BannerStrip::answered(QNetworkReply* reply, QWidget* strip, const QUrl& page, bool isPage) {
  if (reply != asking_) return;  // answered already, or replaced by a later load
  asking_ = nullptr;
  if (reply->isRunning()) reply->abort();  // the page itself is not wanted
  reply->deleteLater();
  if (strip == nullptr) return;
  if (!isPage) {
    loader_.release(strip);
    return;
  }
  if (QObject* view = loader_.navigate(strip, page))
    connect(view, SIGNAL(loadFinished(bool)), this, SLOT(pageLoaded(bool)), Qt::UniqueConnection);
}

void BannerStrip::pageLoaded(bool ok) {
  if (ok) Q_EMIT shown();
}

}  // namespace app

#include "moc_bannerstrip.cpp"
