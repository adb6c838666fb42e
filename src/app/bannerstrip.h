#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QWidget;

namespace app {

class BannerBackend;

// The banner strip's loads. The web engine costs more than the rest of the program together, so
// it runs only while there is a page to show: each load first asks for the page with a plain
// request, and only a page that answers with HTML starts the engine and is shown; a page that does
// not answer releases the engine, and the strip shows nothing, as offline.
class BannerStrip final : public QObject {
  Q_OBJECT
 public:
  static constexpr int kAnswerTimeoutMs = 5000;

  explicit BannerStrip(BannerBackend& loader, int answerTimeoutMs = kAnswerTimeoutMs, QObject* parent = nullptr);

  // Loads the page in the strip; an empty page (offline, or no banner at all) releases the engine
  // and asks nothing of anyone.
  void load(QWidget* strip, const QUrl& page);
  // A request for the page is on its way.
  bool asking() const { return asking_ != nullptr; }

 Q_SIGNALS:
  // The page has loaded in the strip.
  void shown();

 private Q_SLOTS:
  void pageLoaded(bool ok);

 private:
  void ask(QWidget* strip, const QUrl& page);
  void answered(QNetworkReply* reply, QWidget* strip, const QUrl& page, bool isPage);

  BannerBackend& loader_;
  int answerTimeoutMs_;
  QNetworkAccessManager network_;
  QPointer<QNetworkReply> asking_;
};

}  // namespace app
