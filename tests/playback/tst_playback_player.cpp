// Player windows against a radio stream served on 127.0.0.1. Needs a real X server (xvfb-run).
#include <QtTest>

#include <QGuiApplication>
#include <QProcess>
#include <QPixmap>
#include <QScreen>
#include <clocale>
#include <memory>

#include "platform/shell.h"
#include "playback/playersetup.h"
#include "playback/tform5.h"
#include "support/sandbox.h"
#include "launcherharness.h"
#include "loopbackstream.h"

using playback::PlayerStatus;
using playback::TForm5;

namespace {

constexpr int kPlayTimeoutMs = 20000;
constexpr int kToneSeconds = 60;

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
  QByteArray path_;

  // An Ogg Vorbis file made by sox from the given sound, with a tag when given one.
  QByteArray makeOgg(const QString& name, const QStringList& sound, int seconds, const QString& tag = {}) {
    const QString file = sandbox_->filePath(name);
    QStringList arguments{QStringLiteral("-n")};
    if (!tag.isEmpty()) arguments << QStringLiteral("--comment") << tag;
    arguments << QStringLiteral("-r") << QStringLiteral("22050") << QStringLiteral("-c") << QStringLiteral("1") << file
              << QStringLiteral("synth") << QString::number(seconds) << sound;
    QProcess sox;
    sox.start(QStringLiteral("sox"), arguments);
    if (!sox.waitForFinished(30000) || sox.exitCode() != 0) return {};
    QFile made(file);
    return made.open(QIODevice::ReadOnly) ? made.readAll() : QByteArray();
  }

  TForm5* open(const QString& path) {
    TForm5* window = playback::OpenPlayerWindow(stream_->url(path), QStringLiteral("Ton testowy"));
    // Closed windows free themselves; this only catches what a failed check leaves behind.
    connect(this, &PlayerWindowTest::cleaningUp, window, &QObject::deleteLater);
    return window;
  }

 Q_SIGNALS:
  void cleaningUp();

 private Q_SLOTS:
  void initTestCase() {
    sandbox_ = std::make_unique<testsupport::Sandbox>();
    // The page resolver mpv runs is the stand-in, never a real one that could reach the network.
    path_ = qgetenv("PATH");
    qputenv("PATH", QByteArray(PLAYBACK_STANDINS ":") + path_);
    // No sound card here: mpv's silent output plays in real time, as a sound card would.
    qputenv("SIECIOWNIK_AUDIO_OUTPUT", "null");

    const QByteArray tone = makeOgg(QStringLiteral("tone.ogg"), {QStringLiteral("sine"), QStringLiteral("440")}, kToneSeconds);
    QVERIFY(!tone.isEmpty());
    stream_ = std::make_unique<testsupport::LoopbackStream>(tone, kToneSeconds);
    QVERIFY(stream_->listen());
    qputenv("RESOLVER_STREAM_URL", stream_->url(QStringLiteral("/stream.ogg")).toLatin1());
  }

  void cleanup() {
    Q_EMIT cleaningUp();
    QTRY_VERIFY(openPlayerWindows().isEmpty());
    QTRY_COMPARE(stream_->listeners(), 0);
    qputenv("PATH", QByteArray(PLAYBACK_STANDINS ":") + path_);
    stream_->setCutAfter(0);
    stream_->setIcyTitle({});
    stream_->listen();
  }

  void cleanupTestCase() { qputenv("PATH", path_); }

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
    // What the user sees: the window's pixels on the X screen. No picture in a radio stream: the
    // station's name stands in the middle, and the whole bar along the bottom without the mouse
    // ever coming near.
    const auto onScreen = [window] { return window->screen()->grabWindow(window->winId()).toImage(); };
    const auto bottom = [](const QImage& image) { return QRect(0, image.height() - 30, image.width(), 30); };
    QTRY_VERIFY_WITH_TIMEOUT(hasLitPixels(onScreen(), bottom(onScreen())), 10000);
    QVERIFY(hasLitPixels(onScreen(), QRect(0, 100, 400, 100)));
    // The bar lies along the bottom edge, the right way up: nothing of it at the top.
    const QImage shown = onScreen();
    QVERIFY(!hasLitPixels(shown, QRect(0, 0, shown.width(), 60)));
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

    TForm5* window = playback::OpenPlayerWindow(television.url(QStringLiteral("/stream.ogg")), QStringLiteral("Test TV"));
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
    // Said on the player's own screen, in the user's words.
    QCOMPARE(window->player()->notice(),
             QStringLiteral("Nie można odtworzyć strumienia: nie udało się pobrać danych spod tego adresu."));
    window->close();
  }

  // A broadcaster's web page instead of a stream address: the page resolver finds the stream.
  void webPagePlaysThroughThePageResolver() {
    TForm5* window = open(QStringLiteral("/live.html"));
    QTRY_COMPARE_WITH_TIMEOUT(window->player()->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    QCOMPARE(stream_->listeners(), 1);
    QVERIFY(window->player()->notice().isEmpty());
    window->close();
  }

  void webPageTheResolverCannotReadFailsOnScreen() {
    TForm5* window = open(QStringLiteral("/other.html"));
    QTRY_COMPARE_WITH_TIMEOUT(window->player()->status(), PlayerStatus::Failed, kPlayTimeoutMs);
    QVERIFY2(window->player()->notice().contains(QStringLiteral("nie udało się odnaleźć strumienia")),
             qPrintable(window->player()->notice()));
    QCOMPARE(stream_->listeners(), 0);
    window->close();
  }

  // Without a resolver the window says what is missing, and the TV station's page still opens.
  void webPageWithoutAResolverFailsAndTheStationKeepsItsPage() {
    const QString empty = sandbox_->filePath(QStringLiteral("no-programs"));
    QVERIFY(QDir().mkpath(empty));
    qputenv("PATH", empty.toLocal8Bit());
    testsupport::FakeShell shell;
    playbacktest::LauncherHarness h(
        shell, {playbacktest::tv("Na żywo TV", 2, stream_->url(QStringLiteral("/live.html")), "tv.example/na-zywo")}, {});
    h.choose(true, QStringLiteral("Na żywo TV"));
    h.launcher->BitBtn1Click();
    QCOMPARE(openPlayerWindows().size(), 1);
    TForm5* window = openPlayerWindows().first();
    QTRY_COMPARE_WITH_TIMEOUT(window->player()->status(), PlayerStatus::Failed, kPlayTimeoutMs);
    QVERIFY2(window->player()->notice().contains(QStringLiteral("potrzebny jest program yt-dlp")),
             qPrintable(window->player()->notice()));
    QVERIFY(h.boxes.shown.empty());
    QPushButton* www = h.tvControl<QPushButton>("Button4");
    QVERIFY(www->isEnabled());
    www->click();
    QCOMPARE(shell.calls.size(), size_t(1));
    QCOMPARE(shell.calls[0].target, QStringLiteral("http://tv.example/na-zywo"));
    window->close();
  }

  // The server drops its listeners after a few seconds and takes the next connection.
  void droppedStreamReconnectsAndPlaysOn() {
    const int served = stream_->streamsServed();
    stream_->setCutAfter(2500);
    TForm5* window = open(QStringLiteral("/stream.ogg"));
    playback::MediaPlayer* player = window->player();
    QStringList notices;
    connect(player, &playback::MediaPlayer::nowPlayingChanged, window, [&] { notices << player->notice(); });
    QTRY_COMPARE_WITH_TIMEOUT(player->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(stream_->streamsServed() >= served + 3, 15000);
    QVERIFY2(notices.filter(QStringLiteral("ponowne łączenie")).size() >= 2, qPrintable(notices.join('|')));
    stream_->setCutAfter(0);
    // Back to plain playing, with nothing left on the screen about the break.
    QTRY_VERIFY_WITH_TIMEOUT(player->notice().isEmpty() && player->status() == PlayerStatus::Playing, 10000);
    QCOMPARE(stream_->listeners(), 1);
    window->close();
  }

  // A server that goes away for good: a few tries, then the window stops and says why.
  void streamThatStaysGoneStopsAfterAFewTriesAndSaysWhy() {
    const int served = stream_->streamsServed();
    stream_->setCutAfter(2000);
    TForm5* window = open(QStringLiteral("/stream.ogg"));
    playback::MediaPlayer* player = window->player();
    QTRY_COMPARE_WITH_TIMEOUT(player->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    stream_->stopListening();
    QTRY_VERIFY_WITH_TIMEOUT(player->notice().contains(QStringLiteral("ponowne łączenie")), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(player->status(), PlayerStatus::Failed, 30000);
    QCOMPARE(player->notice(),
             QStringLiteral("Połączenie ze stacją zostało przerwane i mimo kolejnych prób nie udało się go wznowić."));
    QCOMPARE(stream_->streamsServed(), served + 1);
    QVERIFY(window->isVisible());
    window->close();
  }

  // A sound-only stream shows the station and what it plays now, as the stream's titles change.
  void radioShowsTheStationAndTheTitleNowPlaying() {
    // An MP3 stream at a radio station's rate, as ICY titles usually come with: a title is heard
    // once the server's burst of a second or so has played.
    const QString mp3 = sandbox_->filePath(QStringLiteral("music.mp3"));
    QProcess mpv;
    mpv.start(QStringLiteral("mpv"), {QStringLiteral("--no-config"), QStringLiteral("av://lavfi:sine=frequency=440:duration=60"),
                                      QStringLiteral("-o"), mp3, QStringLiteral("--of=mp3"),
                                      QStringLiteral("--oac=libmp3lame"), QStringLiteral("--oacopts=b=128k")});
    QVERIFY2(mpv.waitForFinished(60000) && mpv.exitCode() == 0, mpv.readAllStandardError().constData());
    QFile music(mp3);
    QVERIFY(music.open(QIODevice::ReadOnly));
    testsupport::LoopbackStream radio(music.readAll(), 60, "audio/mpeg");
    QVERIFY(radio.listen());
    radio.setIcyTitle("Wykonawca – Pierwszy utwór");
    TForm5* window = playback::OpenPlayerWindow(radio.url(QStringLiteral("/stream.ogg")), QStringLiteral("Ton testowy"));
    connect(this, &PlayerWindowTest::cleaningUp, window, &QObject::deleteLater);
    playback::MediaPlayer* player = window->player();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_COMPARE_WITH_TIMEOUT(player->nowPlaying(), QStringLiteral("Wykonawca – Pierwszy utwór"), kPlayTimeoutMs);
    QVERIFY(!player->hasVideo());
    // A station that still sends its titles in the Windows code page.
    radio.setIcyTitle("Zesp\xf3\xb3 \xaf\xf3\xb3\xe6 \x96 G\xea\x9cl\xb9 ja\x9f\xf1");
    QTRY_COMPARE_WITH_TIMEOUT(player->nowPlaying(), QStringLiteral("Zespół Żółć – Gęślą jaźń"), 15000);
    QCOMPARE(window->windowTitle(), QStringLiteral("Odbiór strumienia"));
    QVERIFY(player->accessibleDescription().contains(QStringLiteral("Ton testowy")));
    QVERIFY(player->accessibleDescription().contains(QStringLiteral("Zespół Żółć – Gęślą jaźń")));
    // The name and the title stand in the middle of the otherwise black screen.
    const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
    QVERIFY(hasLitPixels(shown, QRect(0, 80, shown.width(), 140)));
    window->close();
    QTRY_COMPARE(radio.listeners(), 0);
  }

  // An Ogg radio stream names each piece in its own tags; they change with the piece.
  void oggStreamTagsGiveTheTitle() {
    const QByteArray chain = makeOgg(QStringLiteral("first.ogg"), {QStringLiteral("sine"), QStringLiteral("440")}, 4,
                                     QStringLiteral("TITLE=Pierwszy utwór")) +
                             makeOgg(QStringLiteral("second.ogg"), {QStringLiteral("sine"), QStringLiteral("660")}, 4,
                                     QStringLiteral("TITLE=Drugi utwór"));
    QVERIFY(!chain.isEmpty());
    testsupport::LoopbackStream chained(chain, 8);
    QVERIFY(chained.listen());
    TForm5* window = playback::OpenPlayerWindow(chained.url(QStringLiteral("/stream.ogg")), QStringLiteral("Ogg FM"));
    connect(this, &PlayerWindowTest::cleaningUp, window, &QObject::deleteLater);
    QTRY_COMPARE_WITH_TIMEOUT(window->player()->nowPlaying(), QStringLiteral("Pierwszy utwór"), kPlayTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(window->player()->nowPlaying(), QStringLiteral("Drugi utwór"), 15000);
    window->close();
    QTRY_COMPARE(chained.listeners(), 0);
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

  // A RealPlayer station where no "realplay" is installed plays in the window instead, or the
  // window says why it cannot; where the program is found, it gets the stream.
  void realPlayerStationWithoutTheProgramPlaysInTheWindow() {
    const QString empty = sandbox_->filePath(QStringLiteral("no-realplay"));
    QVERIFY(QDir().mkpath(empty));
    qputenv("PATH", empty.toLocal8Bit() + ':' + path_);
    QVERIFY(!platform::programInstalled(QStringLiteral("realplay")));
    testsupport::FakeShell shell;
    playbacktest::LauncherHarness h(shell, {playbacktest::tv("Real TV", 1, stream_->url(QStringLiteral("/stream.ogg")))},
                                    {playbacktest::radio("Real FM", 2, QStringLiteral("rtsp://127.0.0.1:9/live"))});
    h.choose(true, QStringLiteral("Real TV"));
    h.launcher->BitBtn1Click();
    QCOMPARE(openPlayerWindows().size(), 1);
    TForm5* television = openPlayerWindows().first();
    QTRY_COMPARE_WITH_TIMEOUT(television->player()->status(), PlayerStatus::Playing, kPlayTimeoutMs);
    television->close();
    QTRY_VERIFY(openPlayerWindows().isEmpty());
    h.choose(false, QStringLiteral("Real FM"));
    h.launcher->BitBtn2Click();
    QCOMPARE(openPlayerWindows().size(), 1);
    TForm5* radio = openPlayerWindows().first();
    QTRY_COMPARE_WITH_TIMEOUT(radio->player()->status(), PlayerStatus::Failed, kPlayTimeoutMs);
    QVERIFY2(radio->player()->notice().startsWith(QStringLiteral("Nie można odtworzyć strumienia")),
             qPrintable(radio->player()->notice()));
    radio->close();
    QTRY_VERIFY(openPlayerWindows().isEmpty());
    QVERIFY(shell.calls.empty());
    QVERIFY(h.boxes.shown.empty());

    QFile realplay(empty + QStringLiteral("/realplay"));
    QVERIFY(realplay.open(QIODevice::WriteOnly));
    realplay.write("#!/bin/sh\nexit 0\n");
    realplay.close();
    QVERIFY(realplay.setPermissions(realplay.permissions() | QFile::ExeOwner));
    h.launcher->BitBtn2Click();
    QCOMPARE(shell.calls.size(), std::size_t{1});
    QCOMPARE(shell.calls[0].target, QStringLiteral("realplay"));
    QCOMPARE(shell.calls[0].parameters, QStringLiteral("rtsp://127.0.0.1:9/live"));
    QVERIFY(openPlayerWindows().isEmpty());
    QCOMPARE(h.radioRecent(), (QStringList{"Real FM", "", ""}));
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
  QApplication application(argc, argv);
  playback::formatNumbersForPlayers();
  PlayerWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_playback_player.moc"
