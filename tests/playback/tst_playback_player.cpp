// Player windows against a radio stream served on 127.0.0.1. Needs a real X server (xvfb-run).
#include <QtTest>

#include <QGuiApplication>
#include <QProcess>
#include <QPixmap>
#include <QScreen>
#include <clocale>
#include <memory>

#include "playback/tform5.h"
#include "support/sandbox.h"
#include "launcherharness.h"
#include "loopbackstream.h"

using playback::PlayerStatus;
using playback::TForm5;

namespace {

constexpr int kPlayTimeoutMs = 20000;
constexpr double kToneSeconds = 60;

QList<TForm5*> openPlayerWindows() {
  QList<TForm5*> windows;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* window = qobject_cast<TForm5*>(widget)) windows << window;
  return windows;
}

bool hasLitPixels(const QImage& image, QRect area) {
  area &= image.rect();
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (qGray(image.pixel(x, y)) > 64) return true;
  return false;
}
bool hasLitPixels(const QImage& image) { return hasLitPixels(image, image.rect()); }

// A mouse move as the window system delivers it, without moving the X pointer.
void moveMouse(QWidget* widget, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
}

}  // namespace

class PlayerWindowTest : public QObject {
  Q_OBJECT
 private:
  std::unique_ptr<testsupport::Sandbox> sandbox_;
  std::unique_ptr<testsupport::LoopbackStream> stream_;

  TForm5* open(const QString& path) {
    TForm5* window = playback::OpenPlayerWindow(stream_->url(path));
    // Closed windows free themselves; this only catches what a failed check leaves behind.
    connect(this, &PlayerWindowTest::cleaningUp, window, &QObject::deleteLater);
    return window;
  }

 Q_SIGNALS:
  void cleaningUp();

 private Q_SLOTS:
  void initTestCase() {
    sandbox_ = std::make_unique<testsupport::Sandbox>();
    // No sound card here: ALSA's null device plays in real time and discards the sound.
    const QString alsa = sandbox_->filePath(QStringLiteral("asound.conf"));
    QFile config(alsa);
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("pcm.!default { type null }\nctl.!default { type hw card 0 }\n");
    config.close();
    qputenv("ALSA_CONFIG_PATH", alsa.toLocal8Bit());

    const QString tone = sandbox_->filePath(QStringLiteral("tone.ogg"));
    QProcess sox;
    sox.start(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("22050"),
                                      QStringLiteral("-c"), QStringLiteral("1"), tone, QStringLiteral("synth"),
                                      QString::number(kToneSeconds), QStringLiteral("sine"), QStringLiteral("440")});
    QVERIFY2(sox.waitForFinished(30000) && sox.exitCode() == 0, sox.readAllStandardError().constData());
    QFile file(tone);
    QVERIFY(file.open(QIODevice::ReadOnly));
    stream_ = std::make_unique<testsupport::LoopbackStream>(file.readAll(), kToneSeconds);
    QVERIFY(stream_->listen());
  }

  void cleanup() {
    Q_EMIT cleaningUp();
    QTRY_VERIFY(openPlayerWindows().isEmpty());
    QTRY_COMPARE(stream_->listeners(), 0);
  }

  void playsTheStreamBehindEveryKindOfAddress_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("direct stream") << QStringLiteral("/stream.ogg");
    QTest::newRow("PLS playlist") << QStringLiteral("/stream.pls");
    QTest::newRow("M3U playlist") << QStringLiteral("/stream.m3u");
  }
  void playsTheStreamBehindEveryKindOfAddress() {
    QFETCH(QString, path);
    TForm5* window = open(path);
    QSignalSpy statuses(window->player(), &playback::MediaPlayer::StatusChange);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Odbiór strumienia"));
    QTRY_COMPARE_WITH_TIMEOUT(window->player()->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    QCOMPARE(stream_->listeners(), 1);
    QVERIFY(!statuses.isEmpty());
    QCOMPARE(statuses.last().at(0).value<PlayerStatus>(), PlayerStatus::Playing);
    window->close();
  }

  void opensDesignedSizeAtScreenCentreAndGrowsThePlayer() {
    TForm5* window = open(QStringLiteral("/stream.ogg"));
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->size(), QSize(400, 300));
    QCOMPARE(window->player()->geometry(), QRect(0, 0, 400, 300));
    const QPoint offCentre = window->frameGeometry().center() - QGuiApplication::primaryScreen()->geometry().center();
    // The frame is the window manager's; allow for one that differs from the designed one.
    QVERIFY2(offCentre.manhattanLength() <= 40, qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
    window->resize(640, 480);
    QTRY_COMPARE(window->player()->geometry(), QRect(0, 0, 640, 480));
    window->close();
  }

  void twoWindowsPlayAtOnceAndClosingOneStopsOnlyItsStream() {
    TForm5* first = open(QStringLiteral("/stream.ogg"));
    TForm5* second = open(QStringLiteral("/stream.ogg"));
    QVERIFY(first != second);
    QTRY_COMPARE_WITH_TIMEOUT(first->player()->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(second->player()->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    QCOMPARE(stream_->listeners(), 2);

    QPointer<TForm5> closed(first);
    first->close();
    QTRY_VERIFY(closed.isNull());
    QTRY_COMPARE(stream_->listeners(), 1);
    QSignalSpy secondStatuses(second->player(), &playback::MediaPlayer::StatusChange);
    QTest::qWait(1500);
    QCOMPARE(secondStatuses.count(), 0);
    QCOMPARE(second->player()->status(), PlayerStatus::Playing);
    second->close();
  }

  void soundOnlyStreamGetsAControlBarWorkedByTheMouse() {
    TForm5* window = open(QStringLiteral("/stream.ogg"));
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_COMPARE_WITH_TIMEOUT(window->player()->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    playback::MediaPlayer* player = window->player();
    // What the user sees: the window's pixels on the X screen. No picture in a radio stream, so
    // until the mouse comes the video area is black.
    const auto onScreen = [window] { return window->screen()->grabWindow(window->winId()).toImage(); };
    QTRY_VERIFY_WITH_TIMEOUT(!hasLitPixels(onScreen()), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          moveMouse(player, QPoint(200, 150));
          moveMouse(player, QPoint(200, 280));
          return hasLitPixels(onScreen());
        }(),
        10000);
    // The bar lies along the bottom edge, the right way up.
    const QImage shown = onScreen();
    QVERIFY(hasLitPixels(shown, QRect(0, shown.height() - 30, shown.width(), 30)));
    QVERIFY(!hasLitPixels(shown, QRect(0, 0, shown.width(), shown.height() / 2)));
    // Its play/pause button, at the bar's left end, takes the mouse click.
    const QPoint pauseButton(8, player->height() - 7);
    moveMouse(player, pauseButton);
    QTest::mouseClick(player, Qt::LeftButton, {}, pauseButton);
    QTRY_COMPARE_WITH_TIMEOUT(player->status(), PlayerStatus::Paused, 5000);
    window->close();
  }

  // A TV stream: the picture is stretched over the whole window, whatever its shape.
  void televisionPictureFillsTheWindowAtAnySize() {
    const QString video = sandbox_->filePath(QStringLiteral("video.ogg"));
    QProcess mpv;
    mpv.start(QStringLiteral("mpv"),
              {QStringLiteral("--no-config"), QStringLiteral("av://lavfi:testsrc=size=320x240:rate=25:duration=20"),
               QStringLiteral("--audio-file=av://lavfi:sine=frequency=440:duration=20"), QStringLiteral("-o"), video,
               QStringLiteral("--of=ogg"), QStringLiteral("--ovc=libtheora"), QStringLiteral("--oac=libvorbis")});
    QVERIFY2(mpv.waitForFinished(60000) && mpv.exitCode() == 0, mpv.readAllStandardError().constData());
    QFile file(video);
    QVERIFY(file.open(QIODevice::ReadOnly));
    testsupport::LoopbackStream television(file.readAll(), 20);
    QVERIFY(television.listen());

    TForm5* window = playback::OpenPlayerWindow(television.url(QStringLiteral("/stream.ogg")));
    connect(this, &PlayerWindowTest::cleaningUp, window, &QObject::deleteLater);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_COMPARE_WITH_TIMEOUT(window->player()->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    // Far wider than the picture: with its proportions kept, both side strips would stay black.
    window->resize(800, 200);
    const auto sidesLit = [window] {
      const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
      return shown.width() == 800 && hasLitPixels(shown, QRect(0, 0, 80, shown.height())) &&
             hasLitPixels(shown, QRect(shown.width() - 80, 0, 80, shown.height()));
    };
    QTRY_VERIFY_WITH_TIMEOUT(sidesLit(), 10000);
    window->close();
    QTRY_COMPARE(television.listeners(), 0);
  }

  void addressThatCannotBeOpenedIsThePlayersOwnBusiness() {
    TForm5* window = open(QStringLiteral("/missing.ogg"));
    QVERIFY(window->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(window->player()->status(), PlayerStatus::Failed, kPlayTimeoutMs);
    QVERIFY(window->isVisible());
    window->close();
  }

  // START through the panels: every click a new window with its own stream.
  void startOpensAPlayingWindowPerClick() {
    testsupport::FakeShell shell;
    playbacktest::LauncherHarness h(shell, {playbacktest::tv("Ton", 2, stream_->url(QStringLiteral("/stream.ogg")))},
                                    {playbacktest::radio("Ton FM", 1, stream_->url(QStringLiteral("/stream.pls")))});
    h.choose(true, QStringLiteral("Ton"));
    h.launcher->BitBtn1Click();
    h.launcher->BitBtn1Click();
    h.choose(false, QStringLiteral("Ton FM"));
    h.launcher->BitBtn2Click();
    QCOMPARE(openPlayerWindows().size(), 3);
    for (TForm5* window : openPlayerWindows())
      QTRY_COMPARE_WITH_TIMEOUT(window->player()->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    QCOMPARE(stream_->listeners(), 3);
    QCOMPARE(h.tvRecent(), (QStringList{"Ton", "", ""}));
    QCOMPARE(h.radioRecent(), (QStringList{"Ton FM", "", ""}));
    QVERIFY(shell.calls.empty());
    QVERIFY(h.boxes.shown.empty());
    // The program ends with windows still open: their streams end with it.
    h.launcher.reset();
    QVERIFY(openPlayerWindows().isEmpty());
    QTRY_COMPARE(stream_->listeners(), 0);
  }

  void playerThatCannotBeCreatedIsReportedAndShowsNoWindow() {
    testsupport::FakeShell shell;
    playbacktest::LauncherHarness h(shell, {playbacktest::tv("Ton", 2, stream_->url(QStringLiteral("/stream.ogg")))},
                                    {});
    h.choose(true, QStringLiteral("Ton"));
    // The player library refuses to start unless numbers are formatted the C way.
    QVERIFY(std::setlocale(LC_NUMERIC, "C.utf8"));
    h.launcher->BitBtn1Click();
    std::setlocale(LC_NUMERIC, "C");
    QCOMPARE(h.boxes.shown.size(), size_t(1));
    QCOMPARE(h.boxes.shown[0].kind, testsupport::ShownBox::GeneralError);
    QVERIFY2(h.boxes.shown[0].text.startsWith(QStringLiteral("Nie można utworzyć odtwarzacza")),
             qPrintable(h.boxes.shown[0].text));
    QVERIFY(openPlayerWindows().isEmpty());
    QCOMPARE(h.tvRecent(), (QStringList{"Ton", "", ""}));
    QCOMPARE(stream_->listeners(), 0);
  }
};

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  PlayerWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_playback_player.moc"
