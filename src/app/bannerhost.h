#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

#include "app/bannerbackend.h"

class QProcess;

namespace platform { class Shell; }

namespace app {

// The banner's web engine in a process of its own (sieciownik-banner-host) that draws into the
// strip's window. Releasing the banner ends that process, so the engine's memory is all given
// back, which an engine loaded into the program cannot do. It needs a window system that lets one
// program's window hold another's: X11.
class BannerHost final : public QObject, public BannerBackend {
  Q_OBJECT
 public:
  // How long the privacy cleaner waits for the engine to answer, and an ended engine to go.
  static constexpr int kAnswerMs = 3000;

  BannerHost(QString hostProgram, platform::Shell& shell, QObject* parent = nullptr);
  // Lets a running engine end as it does when released, so that its profile is written whole.
  ~BannerHost() override;

  // Returns this object, which tells of the page's load with loadFinished.
  QObject* navigate(QWidget* bannerStrip, const QUrl& page) override;
  void release(QWidget* bannerStrip) override;
  bool loaded() const override { return started_; }
  bool clearHistory(QWidget* window) override;
  bool clearCache(QWidget* window) override;
  // The engine's process, while one runs for the strip.
  QProcess* process() const { return process_; }

 Q_SIGNALS:
  void loadFinished(bool ok);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void start(QWidget* strip);
  void send(const QByteArray& line);
  void heard(const QByteArray& line);
  bool ask(const char* command);

  QString hostProgram_;
  platform::Shell& shell_;
  QProcess* process_ = nullptr;
  QPointer<QWidget> strip_;
  QByteArray pending_;  // the start of a line still coming
  std::optional<bool> answer_;
  bool started_ = false;
};

}  // namespace app
