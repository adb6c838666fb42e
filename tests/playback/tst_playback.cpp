#include <QtTest>

#include <QPainter>
#include <QProcess>

#include "catalogue/pageaddress.h"
#include "catalogue/stationnames.h"
#include "launcherharness.h"
#include "platform/shell.h"
#include "playback/recentstations.h"
#include "playback/screentext.h"
#include "playback/startroute.h"
#include "playback/streamnotes.h"

#include <mpv/client.h>

using playback::RecentNames;
using playback::StartRoute;
using playback::StreamNotes;
using playback::StreamTags;
using playbacktest::LauncherHarness;
using playbacktest::radio;
using playbacktest::tv;
using testsupport::FakeShell;

namespace {

QStringList shellCalls(const FakeShell& shell) {
  QStringList calls;
  for (const testsupport::ShellCall& call : shell.calls)
    calls << call.target + QLatin1Char('|') + call.parameters +
                 (call.show == platform::ShowState::Normal ? QString() : QStringLiteral("|maximised"));
  return calls;
}

// A user's double click on the list's current entry: press, release, then the second press.
void doubleClickCurrent(QListWidget* list) {
  const QPoint at = list->visualItemRect(list->currentItem()).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class PlaybackLogicTest : public QObject {
  Q_OBJECT
  QTemporaryDir standIns_;
  QByteArray path_;

 private Q_SLOTS:
  // A "realplay" that does nothing is installed: no player window can open here, and the RealPlayer
  // stations go to the shell.
  void initTestCase() {
    QVERIFY(standIns_.isValid());
    QFile realplay(standIns_.filePath(QStringLiteral("realplay")));
    QVERIFY(realplay.open(QIODevice::WriteOnly));
    realplay.write("#!/bin/sh\nexit 0\n");
    realplay.close();
    QVERIFY(realplay.setPermissions(realplay.permissions() | QFile::ExeOwner));
    path_ = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(standIns_.path()) + ':' + path_);
  }
  void cleanupTestCase() { qputenv("PATH", path_); }

  void recentNames_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("started");
    QTest::addColumn<QStringList>("after");
    const QString none;
    QTest::newRow("first start") << QStringList{none, none, none} << "TVP1" << QStringList{"TVP1", none, none};
    QTest::newRow("same station again") << QStringList{"TVP1", none, none} << "TVP1" << QStringList{"TVP1", none, none};
    QTest::newRow("other letter case") << QStringList{"Polsat", "TVN", none} << "POLSAT"
                                       << QStringList{"Polsat", "TVN", none};
    QTest::newRow("Polish letters, other case") << QStringList{"Radio Łódź", "X", "Y"} << "RADIO ŁÓDŹ"
                                                << QStringList{"Radio Łódź", "X", "Y"};
    QTest::newRow("l is not ł") << QStringList{"Radio Łódź", none, none} << "Radio Lodz"
                                << QStringList{"Radio Lodz", "Radio Łódź", none};
    QTest::newRow("only place 1 is compared") << QStringList{"X", "Y", "Z"} << "Y" << QStringList{"Y", "X", "Y"};
    QTest::newRow("place 3 is compared neither") << QStringList{"X", "Y", "Z"} << "z" << QStringList{"z", "X", "Y"};
    QTest::newRow("fourth station drops the oldest") << QStringList{"Y", "X", "Y"} << "W" << QStringList{"W", "Y", "X"};
    QTest::newRow("empty name over an empty list") << QStringList{none, none, none} << none
                                                   << QStringList{none, none, none};
  }
  void recentNames() {
    QFETCH(QStringList, before);
    QFETCH(QString, started);
    QFETCH(QStringList, after);
    RecentNames names{before[0], before[1], before[2]};
    playback::pushRecentName(names, started, catalogue::stationNameCollator());
    QCOMPARE((QStringList{names[0], names[1], names[2]}), after);
  }

  void startRoutes_data() {
    QTest::addColumn<bool>("tv");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("stream");
    QTest::addColumn<int>("route");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<bool>("installed");  // whether "realplay" is found
    const QString url = QStringLiteral("rtsp://media.example.pl/live?a=1&b=2 x");
    const int window = StartRoute::PlayerWindow, external = StartRoute::ExternalPlayer, home = StartRoute::HomePage;
    QTest::newRow("TV RealPlayer") << true << 1 << url << external << "realplay" << url << true;
    QTest::newRow("TV Windows Media") << true << 2 << url << window << url << QString() << true;
    QTest::newRow("TV 3 is not RealPlayer") << true << 3 << url << window << url << QString() << true;
    QTest::newRow("TV 0") << true << 0 << url << window << url << QString() << true;
    QTest::newRow("TV outside the table") << true << 255 << url << window << url << QString() << true;
    QTest::newRow("radio Shoutcast") << false << 1 << url << window << url << QString() << true;
    QTest::newRow("radio RealPlayer") << false << 2 << url << external << "realplay" << url << true;
    QTest::newRow("radio 3 is not RealPlayer") << false << 3 << url << window << url << QString() << true;
    QTest::newRow("radio 16") << false << 16 << url << window << url << QString() << true;
    // Without the external player the window plays the stream, or says why it cannot.
    QTest::newRow("TV RealPlayer, none installed") << true << 1 << url << window << url << QString() << false;
    QTest::newRow("radio RealPlayer, none installed") << false << 2 << url << window << url << QString() << false;
    QTest::newRow("TV without stream") << true << 1 << QString() << home << "http://www.tvp.pl/x" << QString() << true;
    QTest::newRow("radio without stream") << false << 2 << QString() << home << "http://www.tvp.pl/x" << QString() << true;
  }
  void pageAddresses_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("address");
    QTest::newRow("plain host") << "www.tvp.pl" << "http://www.tvp.pl";
    QTest::newRow("path") << "www.tvp.pl/program-tv" << "http://www.tvp.pl/program-tv";
    QTest::newRow("a field that is an address already") << "http://x.pl" << "http://x.pl";
    QTest::newRow("the prefix in capitals") << "HTTP://x.pl" << "HTTP://x.pl";
    QTest::newRow("https page") << "https://www.rmf.fm/" << "https://www.rmf.fm/";
    QTest::newRow("https in mixed case") << "HttpS://www.rmf.fm/" << "HttpS://www.rmf.fm/";
    QTest::newRow("host with a port") << "radio.pl:8000/info" << "http://radio.pl:8000/info";
    // Never a target of its own for the desktop: a local file, a share, a handler's scheme.
    QTest::newRow("file") << "file:///etc/passwd" << "http://file:///etc/passwd";
    QTest::newRow("share") << "smb://serwer/dysk" << "http://smb://serwer/dysk";
    QTest::newRow("handler") << "steam://run/1" << "http://steam://run/1";
    QTest::newRow("script") << "javascript:alert(1)" << "http://javascript:alert(1)";
    QTest::newRow("ftp") << "ftp://x.pl" << "http://ftp://x.pl";
    QTest::newRow("https without its slashes") << "https:x.pl" << "http://https:x.pl";
  }
  void pageAddresses() {
    QFETCH(QString, field);
    QFETCH(QString, address);
    QCOMPARE(catalogue::pageAddress(field), address);
  }

  void startRoutes() {
    QFETCH(bool, tv);
    QFETCH(int, kind);
    QFETCH(QString, stream);
    QFETCH(int, route);
    QFETCH(QString, target);
    QFETCH(QString, parameters);
    QFETCH(bool, installed);
    const QString www = QStringLiteral("www.tvp.pl/x");
    const StartRoute got =
        tv ? playback::routeTvStart({QStringLiteral("TVP"), www, QStringLiteral("program.tvp.pl"), stream, 5, 0,
                                     quint8(kind), 0, true},
                                    installed)
           : playback::routeRadioStart({QStringLiteral("Trójka"), www, stream, 5, 0, quint8(kind), 0}, installed);
    QCOMPARE(int(got.kind), route);
    QCOMPARE(got.target, target);
    QCOMPARE(got.parameters, parameters);
  }

  void titleNowPlaying_data() {
    QTest::addColumn<StreamTags>("tags");
    QTest::addColumn<QString>("title");
    QTest::newRow("ICY title before the tags") << StreamTags{{"TITLE", "Z tagu"}, {"icy-title", "Wykonawca – Utwór"}}
                                               << "Wykonawca – Utwór";
    QTest::newRow("Ogg artist and title, any letter case")
        << StreamTags{{"Title", "Utwór"}, {"ARTIST", "Zespół"}, {"icy-name", "Radio"}} << "Zespół – Utwór";
    QTest::newRow("title alone") << StreamTags{{"title", "Utwór"}} << "Utwór";
    QTest::newRow("artist alone") << StreamTags{{"artist", "Zespół"}} << "Zespół";
    QTest::newRow("blank ICY title gives way to the tags") << StreamTags{{"icy-title", "  "}, {"title", "Utwór"}}
                                                           << "Utwór";
    QTest::newRow("only the station's own name") << StreamTags{{"icy-name", "Radio"}, {"encoder", "x"}} << "";
    QTest::newRow("Windows code page") << StreamTags{{"icy-title", "\xa3\xf3" "d\x9f \x96 \x8cl\xb9sk"}}
                                       << "Łódź – Śląsk";
    QTest::newRow("UTF-8 stays UTF-8") << StreamTags{{"icy-title", "Łódź – Śląsk"}} << "Łódź – Śląsk";
  }
  void titleNowPlaying() {
    QFETCH(StreamTags, tags);
    QFETCH(QString, title);
    QCOMPARE(playback::currentTitle(tags), title);
  }

  // What mpv's log says about a broken connection, as the player window reads it.
  void reconnectsAreShownUntilNewDataComes() {
    StreamNotes notes;
    QVERIFY(!notes.logLine("cplayer", "http: Will reconnect at 100 in 0 second(s)\n", 5));
    QVERIFY(notes.logLine("ffmpeg", "http: Will reconnect at 20971 in 0 second(s), error=End of file.\n", 12.5));
    QVERIFY(notes.notice().contains(QStringLiteral("ponowne łączenie (próba 1)")));
    QVERIFY(notes.logLine("ffmpeg", "http: Will reconnect at 20971 in 1 second(s), error=Connection refused\n", 12.5));
    QVERIFY(notes.notice().contains(QStringLiteral("(próba 2)")));
    // What was buffered before the break is no sign of a new connection.
    QVERIFY(!notes.buffered(12.5));
    QVERIFY(notes.reconnecting());
    QVERIFY(notes.buffered(12.9));
    QVERIFY(notes.notice().isEmpty());
    QVERIFY(!notes.reconnecting());
    // The next break counts from the start.
    QVERIFY(notes.logLine("ffmpeg", "http: Will reconnect at 9 in 0 second(s)\n", 30));
    QVERIFY(notes.notice().contains(QStringLiteral("(próba 1)")));
    QVERIFY(!notes.failed());
  }

  void aStreamThatEnds() {
    StreamNotes broken;
    broken.logLine("ffmpeg", "http: Will reconnect at 9 in 7 second(s)\n", 3);
    QVERIFY(broken.ended(0));
    QCOMPARE(broken.notice(),
             QStringLiteral("Połączenie ze stacją zostało przerwane i mimo kolejnych prób nie udało się go wznowić."));
    // A file that simply comes to its end is no failure.
    StreamNotes whole;
    QVERIFY(!whole.ended(0));
    QVERIFY(whole.notice().isEmpty());
  }

  void whyAStreamCouldNotBeOpened_data() {
    QTest::addColumn<QByteArray>("resolverSaid");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("notice");
    QTest::newRow("page, no resolver") << QByteArray("youtube-dl failed: not found or not enough permissions") << int(MPV_ERROR_UNKNOWN_FORMAT)
                                       << "Nie można odtworzyć strumienia: pod tym adresem jest strona internetowa, a do "
                                          "odtwarzania stacji ze stron potrzebny jest program yt-dlp, którego nie znaleziono.";
    QTest::newRow("page the resolver cannot read") << QByteArray("youtube-dl failed: unexpected error occurred")
                                                   << int(MPV_ERROR_UNKNOWN_FORMAT)
                                                   << "Nie można odtworzyć strumienia: pod tym adresem jest strona internetowa, "
                                                      "na której nie udało się odnaleźć strumienia.";
    // The resolver is asked after every failed address; a missing one is then no web page.
    QTest::newRow("address not found") << QByteArray("youtube-dl failed: unexpected error occurred")
                                       << int(MPV_ERROR_LOADING_FAILED)
                                       << "Nie można odtworzyć strumienia: nie udało się pobrać danych spod tego adresu.";
    QTest::newRow("no sound output") << QByteArray() << int(MPV_ERROR_AO_INIT_FAILED)
                                     << "Nie można odtworzyć strumienia: nie można uruchomić odtwarzania dźwięku.";
  }
  void whyAStreamCouldNotBeOpened() {
    QFETCH(QByteArray, resolverSaid);
    QFETCH(int, error);
    QFETCH(QString, notice);
    StreamNotes notes;
    notes.tags({{"icy-title", "Stary tytuł"}});
    notes.logLine("ytdl_hook", resolverSaid, 0);
    QVERIFY(notes.ended(error));
    QCOMPARE(notes.notice(), notice);
    // The next stream starts afresh.
    QVERIFY(notes.opening());
    QVERIFY(notes.notice().isEmpty() && notes.title().isEmpty() && !notes.failed());
  }

  // mpv's control bar, always shown, takes 56 of every 720 rows at the bottom of the player: the
  // station, the title and the notice stay above it at any size, however long the title.
  void screenTextsStayAboveTheControlBar() {
    const playback::ScreenText text{QStringLiteral("Radio Testowe"),
                                    QStringLiteral("Bardzo długi tytuł nadawanego utworu ").repeated(20),
                                    QStringLiteral("Połączenie ze stacją zostało przerwane – ponowne łączenie (próba 1)…")};
    for (const QSize size : {QSize(400, 300), QSize(800, 600), QSize(1920, 1080)}) {
      QImage screen(size, QImage::Format_RGB32);
      screen.fill(Qt::black);
      QPainter painter(&screen);
      playback::paintScreenText(painter, screen.rect(), text);
      painter.end();
      int lowestText = -1;
      for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
          if (qGray(screen.pixel(x, y)) > 0) lowestText = y;
      const int barTop = size.height() - (size.height() * 56 + 719) / 720;
      QVERIFY2(lowestText >= 0 && lowestText < barTop,
               qPrintable(QStringLiteral("%1x%2: text down to %3, bar from %4")
                              .arg(size.width()).arg(size.height()).arg(lowestText).arg(barTop)));
    }
  }

  // The panels' buttons and lists, wired the way the main window wires them. No player window
  // opens here: those run on a real X server in the player test.
  void startButtonsRecordTheStationAndHandItOn() {
    FakeShell shell;
    LauncherHarness h(shell,
                      {tv("TVP Info", 1, "rtsp://tvp.pl/info", "www.tvp.pl"),
                       tv("Polsat", 2, "", "www.polsat.pl", "www.polsat.pl/ramowka"), tv("polsat", 4, "", "x.pl", "", playbacktest::kGermany)},
                      {radio("Trójka", 2, "pnm://radio/trojka", "www.polskieradio.pl")});
    h.choose(true, "TVP Info");
    QTest::mouseClick(h.tvControl<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(shellCalls(shell), QStringList{"realplay|rtsp://tvp.pl/info"});
    QCOMPARE(h.tvRecent(), (QStringList{"TVP Info", "", ""}));

    // No stream: the home page instead, and the station still counts as started.
    h.choose(true, "Polsat");
    QTest::mouseClick(h.tvControl<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(shellCalls(shell).last(), QStringLiteral("http://www.polsat.pl|"));
    QCOMPARE(h.tvRecent(), (QStringList{"Polsat", "TVP Info", ""}));
    // Same name in other letter case: still the same station at place 1.
    h.choose(true, "polsat", "Niemcy");
    QTest::mouseClick(h.tvControl<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(shellCalls(shell).last(), QStringLiteral("http://x.pl|"));
    QCOMPARE(h.tvRecent(), (QStringList{"Polsat", "TVP Info", ""}));

    h.choose(true, "Polsat");
    QTest::mouseClick(h.tvControl<QPushButton>("Button4"), Qt::LeftButton);
    QTest::mouseClick(h.tvControl<QPushButton>("Button6"), Qt::LeftButton);
    QCOMPARE(shellCalls(shell).mid(3), (QStringList{"http://www.polsat.pl|", "http://www.polsat.pl/ramowka|"}));

    // The radio panel has its own labels and its own RealPlayer kind.
    h.choose(false, "Trójka");
    QTest::mouseClick(h.fmControl<QPushButton>("BitBtn2"), Qt::LeftButton);
    QTest::mouseClick(h.fmControl<QPushButton>("Button14"), Qt::LeftButton);
    QCOMPARE(shellCalls(shell).mid(5), (QStringList{"realplay|pnm://radio/trojka", "http://www.polskieradio.pl|"}));
    QCOMPARE(h.radioRecent(), (QStringList{"Trójka", "", ""}));
    QCOMPARE(h.tvRecent(), (QStringList{"Polsat", "TVP Info", ""}));
    QVERIFY(h.boxes.shown.empty());
  }

  void doubleClickStartsOnlyWhatStartCanStart() {
    FakeShell shell;
    LauncherHarness h(shell, {tv("Bez adresów", 1, ""), tv("TVP Info", 1, "rtsp://tvp.pl/info")},
                      {radio("RMF", 2, "http://rmf.fm/stream")});
    h.show(true);
    QListWidget* tvList = h.tvControl<QListWidget>("ListBox2");
    h.choose(true, "Bez adresów");
    QVERIFY(!h.tvControl<QPushButton>("BitBtn1")->isEnabled());
    doubleClickCurrent(tvList);
    QVERIFY(shell.calls.empty());
    QCOMPARE(h.tvRecent(), (QStringList{"", "", ""}));

    h.choose(true, "TVP Info");
    doubleClickCurrent(tvList);
    QCOMPARE(shellCalls(shell), QStringList{"realplay|rtsp://tvp.pl/info"});

    h.show(false);
    QListWidget* radioList = h.fmControl<QListWidget>("ListBox4");
    h.choose(false, "RMF");
    doubleClickCurrent(radioList);
    QCOMPARE(shellCalls(shell).last(), QStringLiteral("realplay|http://rmf.fm/stream"));
  }

  // Beside the entries as on them: the selected station starts while START may start it.
  void doubleClickAnywhereOnTheStationList() {
    FakeShell shell;
    LauncherHarness h(shell, {tv("Bez adresów", 1, ""), tv("TVP Info", 1, "rtsp://tvp.pl/info")}, {});
    h.show(true);
    QListWidget* list = h.tvControl<QListWidget>("ListBox2");
    const QPoint beside(5, list->viewport()->height() - 3);
    QVERIFY(list->indexAt(beside) == QModelIndex());
    h.choose(true, "Bez adresów");
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, beside);
    QVERIFY(shell.calls.empty());
    h.choose(true, "TVP Info");
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, beside);
    QCOMPARE(shellCalls(shell), QStringList{"realplay|rtsp://tvp.pl/info"});
    QTest::mouseDClick(list->viewport(), Qt::RightButton, {}, beside);
    QCOMPARE(shell.calls.size(), std::size_t{1});
    QCOMPARE(h.tvRecent(), (QStringList{"TVP Info", "", ""}));
  }

  // A station's name is shown as it is written, never read as markup.
  void recentPlacesShowNamesAsWritten() {
    FakeShell shell;
    LauncherHarness h(shell, {tv("<b>X</b>", 1, "rtsp://a"), tv("A &amp; B", 1, "rtsp://b")}, {});
    h.show(true);
    h.choose(true, "<b>X</b>");
    h.tvControl<QPushButton>("BitBtn1")->click();
    h.choose(true, "A &amp; B");
    h.tvControl<QPushButton>("BitBtn1")->click();
    QCOMPARE(h.tvRecent(), (QStringList{"A &amp; B", "<b>X</b>", ""}));
    for (const char* name : {"Label9", "Label10"}) {
      auto* label = h.tvControl<QLabel>(name);
      // Read as markup, the text would need less room than its own characters.
      QVERIFY2(label->sizeHint().width() >= label->fontMetrics().horizontalAdvance(label->text()), name);
    }
  }

  // With the region list's selection gone the buttons may still be enabled; nothing is read then.
  void handlersDoNothingWithoutASelectedStation() {
    FakeShell shell;
    LauncherHarness h(shell, {tv("TVP Info", 1, "rtsp://tvp.pl/info", "www.tvp.pl", "www.tvp.pl/r")},
                      {radio("RMF", 2, "http://rmf.fm/stream", "www.rmf.fm")});
    QVERIFY(!h.browser->selectedTvStation());
    h.launcher->BitBtn1Click();
    h.launcher->BitBtn2Click();
    h.launcher->Button4Click();
    h.launcher->Button6Click();
    h.launcher->Button14Click();
    QVERIFY(shell.calls.empty());
    QCOMPARE(h.tvRecent(), (QStringList{"", "", ""}));
    QCOMPARE(h.radioRecent(), (QStringList{"", "", ""}));
  }

  void externalPlayerGetsExactlyTheStreamAddress() {
    testsupport::Sandbox outer;
    const QString bin = outer.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    const QString record = outer.filePath(QStringLiteral("realplay.args"));
    QFile script(bin + QStringLiteral("/realplay"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" + record.toLocal8Bit() + ".part\"\nmv \"" +
                 record.toLocal8Bit() + ".part\" \"" + record.toLocal8Bit() + "\"\n");
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toLocal8Bit() + ':' + path);

    const QString address = QStringLiteral("rtsp://media.example.pl/live stream?a=1&b='2';$(x)");
    platform::DesktopShell shell;
    LauncherHarness h(shell, {tv("TVP Info", 1, address)}, {});
    h.choose(true, "TVP Info");
    QTest::mouseClick(h.tvControl<QPushButton>("BitBtn1"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    qputenv("PATH", path);
    QFile arguments(record);
    QVERIFY(arguments.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(arguments.readAll()), QStringLiteral("1\n") + address + QLatin1Char('\n'));
  }
};

QTEST_MAIN(PlaybackLogicTest)
#include "tst_playback.moc"
