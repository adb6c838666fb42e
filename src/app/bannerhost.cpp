#include "bannerhost.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "app/bannerhostlines.h"
#include "platform/shell.h"

namespace app {

using namespace bannerhost;

BannerHost::BannerHost(QString hostProgram, platform::Shell& shell, QObject* parent)
    : QObject(parent), hostProgram_(std::move(hostProgram)), shell_(shell) {}

BannerHost::~BannerHost() {
  for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) continue;
    process->closeWriteChannel();
    if (!process->waitForFinished(kAnswerMs)) process->kill();
    process->waitForFinished(kAnswerMs);
  }
}

QObject* BannerHost::navigate(QWidget* bannerStrip, const QUrl& page) {
  if (process_ == nullptr) start(bannerStrip);
  send(QByteArray(kLoad) + ' ' + page.toEncoded());
  return this;
}

void BannerHost::start(QWidget* strip) {
  started_ = true;
  // The strip becomes a window of its own for the engine to draw in; its neighbours need not.
  QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
  const WId window = strip->winId();
  if (strip_ != strip) {
    if (strip_ != nullptr) strip_->removeEventFilter(this);
    strip_ = strip;
    strip->installEventFilter(this);
  }
  auto* process = new QProcess(this);
  process_ = process;
  pending_.clear();
  process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
    const QByteArray read = process->readAllStandardOutput();
    if (process != process_) return;  // one that was released and is ending
    pending_ += read;
    for (qsizetype end; (end = pending_.indexOf('\n')) >= 0;) {
      const QByteArray line = pending_.left(end);
      pending_.remove(0, end + 1);
      heard(line);
    }
  });
  connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    qWarning("Sieciownik: no banner: %s", qPrintable(process->errorString()));
    if (process == process_) process_ = nullptr;
    process->deleteLater();
  });
  connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus status) {
    if (status == QProcess::CrashExit || code != 0) qWarning("Sieciownik: the banner's engine ended unexpectedly");
    // Its page is gone: the strip shows its own white until the next tick.
    if (process == process_) process_ = nullptr;
    process->deleteLater();
  });
  process->start(hostProgram_, {QString::number(window), QString::number(strip->width()),
                                QString::number(strip->height())});
}

void BannerHost::release(QWidget*) {
  if (process_ == nullptr) return;
  QProcess* process = process_;
  process_ = nullptr;
  // The end of its input ends the engine; one that does not end in time is made to.
  process->closeWriteChannel();
  QTimer::singleShot(kAnswerMs, process, &QProcess::kill);
}

void BannerHost::send(const QByteArray& line) {
  if (process_ != nullptr) process_->write(line + '\n');
}

void BannerHost::heard(const QByteArray& line) {
  const qsizetype space = line.indexOf(' ');
  const QByteArray word = space < 0 ? line : line.left(space);
  const QByteArray argument = space < 0 ? QByteArray() : line.mid(space + 1);
  if (word == kLoaded) {
    Q_EMIT loadFinished(argument == "1");
  } else if (word == kOpen) {
    // The engine's process already keeps to web addresses; the program checks again before the
    // desktop starts anything.
    const QUrl url = QUrl::fromEncoded(argument, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
      shell_.ShellOpen(url.toString(QUrl::FullyEncoded));
  } else if (word == kCleared) {
    answer_ = argument == "1";
  }
}

bool BannerHost::ask(const char* command) {
  if (process_ == nullptr) return false;
  QProcess* process = process_;
  answer_.reset();
  send(command);
  const QDeadlineTimer deadline(kAnswerMs);
  while (!answer_ && process == process_ && process->state() != QProcess::NotRunning && !deadline.hasExpired())
    if (!process->waitForReadyRead(int(deadline.remainingTime()))) break;
  return answer_.value_or(false);
}

bool BannerHost::clearHistory(QWidget*) { return ask(kClearHistory); }

bool BannerHost::clearCache(QWidget*) { return ask(kClearCache); }

bool BannerHost::eventFilter(QObject* watched, QEvent* event) {
  if (watched == strip_ && event->type() == QEvent::Resize)
    send(QByteArray(kSize) + ' ' + QByteArray::number(strip_->width()) + ' ' + QByteArray::number(strip_->height()));
  return QObject::eventFilter(watched, event);
}

}  // namespace app

#include "moc_bannerhost.cpp"
