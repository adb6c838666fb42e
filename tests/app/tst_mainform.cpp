#include <QtTest>

#include <QListWidget>
#include <QPushButton>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>

#include "app/bannerschedule.h"
#include "app/producer.h"
#include "app/tmainform.h"
#include "catalogue/feedfile.h"
#include "privacy/privacyctl.h"
#include "support/fakes.h"
#include "support/sandbox.h"

using namespace testsupport;

namespace {

struct Harness {
  Sandbox sandbox;
  FakeShell shell;
  FakeMessageBoxes boxes;
  privacy::PrivacyCtl privacyModule{[] {}};
  bool online = false;
  bool haveQuery = true;
  QList<QUrl> bannerLoads;
  std::unique_ptr<app::TMainForm> form;

  explicit Harness(bool withQuery = true, bool withStations = false) : haveQuery(withQuery) {
    if (withStations) writeCatalogues();
    app::MainFormEnvironment environment{
        {shell, boxes},
        [this]() -> platform::ConnectedQuery {
          if (!haveQuery) return {};
          return [this] { return online; };
        },
        [this](QWidget*, const QUrl& page) { bannerLoads << page; },
        sandbox.path() + QLatin1Char('/'),
        privacyModule,
        sandbox.filePath(QStringLiteral("installed/help.html"))};
    form = std::make_unique<app::TMainForm>(environment);
  }
  // One station in each catalogue with every address, so that every station button is enabled.
  void writeCatalogues() {
    catalogue::TvStation tv;
    tv.Name = QStringLiteral("TVP Info");
    tv.RegionId = 48;
    tv.Www = QStringLiteral("www.tvp.info");
    tv.ScheduleWww = QStringLiteral("www.tvp.info/program");
    tv.StreamUrl = QStringLiteral("mms://tvp/info");
    tv.PlayerKind = 2;
    tv.Live = true;
    QVERIFY(catalogue::saveTvFeed(sandbox.filePath(catalogue::kTvFeedName), {tv}).ok);
    catalogue::RadioStation radio;
    radio.Name = QStringLiteral("Trójka");
    radio.RegionId = 48;
    radio.Www = QStringLiteral("www.polskieradio.pl");
    radio.StreamUrl = QStringLiteral("http://radio/trojka");
    radio.PlayerKind = 1;
    QVERIFY(catalogue::saveRadioFeed(sandbox.filePath(catalogue::kRadioFeedName), {radio}).ok);
  }
  void chooseFirstStation(const char* regions, const char* stations) {
    find<QListWidget>(regions)->setCurrentRow(1);
    find<QListWidget>(stations)->setCurrentRow(0);
  }
  // Presses Tab from the focused control until the focus comes back to where it started.
  QStringList tabChain() {
    QStringList names;
    for (int presses = 0; presses < 60; ++presses) {
      QWidget* focus = QApplication::focusWidget();
      if (focus == nullptr) return names << QStringLiteral("<no focus>");
      if (!names.isEmpty() && focus->objectName() == names.first()) return names;
      names << focus->objectName();
      QTest::keyClick(focus, Qt::Key_Tab);
    }
    return names << QStringLiteral("<no way back>");
  }
  template <class T>
  T* find(const char* name) {
    return form->findChild<T*>(QString::fromLatin1(name));
  }
  QStringList visiblePanels() {
    QStringList names;
    for (const char* name : {"TVPanel", "FMPanel", "SearchPanel", "PrivacyPanel"})
      if (find<QWidget>(name)->isVisibleTo(form.get())) names << QString::fromLatin1(name);
    return names;
  }
  void showAndPaint() {
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QTRY_VERIFY(find<QListWidget>("CategorySelect")->currentRow() == 0);
  }
  // Shown, active, with a station chosen on the TV and the radio panel, as a user at the keyboard
  // finds it.
  bool activeWithStationsChosen() {
    showAndPaint();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) return false;
    chooseFirstStation("ListBox1", "ListBox2");
    chooseFirstStation("ListBox3", "ListBox4");
    return true;
  }
};

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void designedStateBeforeTheFirstPaint() {
    Harness h;
    QCOMPARE(h.form->windowTitle(), QStringLiteral("Sieciownik"));
    QCOMPARE(h.visiblePanels(), QStringList{"TVPanel"});
    QCOMPARE(h.find<QLabel>("Label1")->text(), QStringLiteral("Telewizja"));
    QCOMPARE(h.find<QListWidget>("CategorySelect")->count(), 4);
    // Nothing done to the list before the first paint switches panels.
    h.find<QListWidget>("CategorySelect")->setCurrentRow(3);
    QCOMPARE(h.visiblePanels(), QStringList{"TVPanel"});
    QCOMPARE(h.find<QLabel>("Label1")->text(), QStringLiteral("Telewizja"));
  }

  void firstPaintSelectsTelevisionOnce() {
    Harness h;
    h.showAndPaint();
    QCOMPARE(h.visiblePanels(), QStringList{"TVPanel"});
    auto* list = h.find<QListWidget>("CategorySelect");
    list->setCurrentRow(2);
    QCOMPARE(h.visiblePanels(), QStringList{"SearchPanel"});
    // Another paint must not go back to "Telewizja".
    h.form->hide();
    h.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(h.form.get()));
    h.form->repaint();
    QCoreApplication::processEvents();
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(h.visiblePanels(), QStringList{"SearchPanel"});
  }

  void switchingKeepsOnePanelAndTheHeaderInStep() {
    Harness h;
    h.showAndPaint();
    auto* list = h.find<QListWidget>("CategorySelect");
    const QStringList panels{"TVPanel", "FMPanel", "SearchPanel", "PrivacyPanel"};
    const QStringList captions{"Telewizja", "Radio", "Wyszukiwarka", "Prywatność"};
    for (int row : {1, 3, 0, 2, 1}) {
      list->setCurrentRow(row);
      QCOMPARE(h.visiblePanels(), QStringList{panels[row]});
      QCOMPARE(h.find<QLabel>("Label1")->text(), captions[row]);
    }
  }

  void resizingKeepsTheAnchors() {
    Harness h;
    h.showAndPaint();
    QCOMPARE(h.form->size(), QSize(692, 556));
    h.form->resize(892, 656);
    QTRY_COMPARE(h.form->size(), QSize(892, 656));
    QCOMPARE(h.find<QPushButton>("CloseButton")->pos(), QPoint(787, 616));
    QCOMPARE(h.find<QPushButton>("HelpButton")->pos(), QPoint(603, 616));
    QCOMPARE(h.find<QWidget>("Label29")->pos(), QPoint(20, 620));
    QCOMPARE(h.find<QWidget>("CategoryPanel")->geometry(), QRect(20, 80, 101, 521));
    QCOMPARE(h.find<QWidget>("CategorySelect")->height(), 501);
    QCOMPARE(h.find<QWidget>("TVPanel")->geometry(), QRect(136, 118, 734, 483));
    QCOMPARE(h.find<QWidget>("Panel3")->width(), 892);
    QCOMPARE(h.find<QWidget>("Image1")->width(), 732);
    // Never below the designed size.
    h.form->resize(500, 400);
    QCoreApplication::processEvents();
    QVERIFY(h.form->width() >= 692 && h.form->height() >= 556);
  }

  void windowOpensAtTheScreenCentre() {
    Harness h;
    h.showAndPaint();
    const QRect screen = h.form->screen()->geometry();
    const QRect frame = h.form->frameGeometry();
    // Placed before its frame was known, by the outer size it was laid out with (700 x 590).
    QVERIFY2(qAbs(frame.center().x() - screen.center().x()) <= qAbs(700 - frame.width()) / 2 + 1,
             qPrintable(QStringLiteral("%1 in %2").arg(frame.center().x()).arg(screen.width())));
    QVERIFY2(qAbs(frame.center().y() - screen.center().y()) <= qAbs(590 - frame.height()) / 2 + 1,
             qPrintable(QStringLiteral("%1 in %2").arg(frame.center().y()).arg(screen.height())));
  }

  // The whole chain, by pressing Tab: the category list, the shown panel's controls in their own
  // order, the bottom bar, and round again.
  void tabGoesThroughTheShownPanelThenTheBottomBar_data() {
    QTest::addColumn<int>("category");
    QTest::addColumn<QStringList>("chain");
    const QStringList bottom{"HelpButton", "UpdateButton", "CloseButton"};
    QTest::newRow("Telewizja") << 0
                               << QStringList{"CategorySelect", "ListBox1", "ListBox2", "Button7", "Button8", "Button9",
                                              "Button10", "Edit3", "Edit4", "Edit5", "Button4", "Button6", "BitBtn1"} +
                                      bottom;
    QTest::newRow("Radio") << 1
                           << QStringList{"CategorySelect", "ListBox3", "ListBox4", "Button5", "Button11", "Button12",
                                          "Button13", "Edit6", "Edit7", "Edit8", "Button14", "BitBtn2"} +
                                  bottom;
    // Entering the category list on "Wyszukiwarka" moves on to the query at once.
    QTest::newRow("Wyszukiwarka") << 2
                                  << QStringList{"Edit1", "Button3", "RadioButton1", "CheckBox8"} + bottom;
    QTest::newRow("Prywatność") << 3
                                << QStringList{"CategorySelect", "CheckBox1", "CheckBox2", "CheckBox3", "Button1",
                                               "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox7", "Button2",
                                               "CheckBox9", "CheckBox10", "CheckBox12", "CheckBox11", "CheckBox13",
                                               "CheckBox14", "CheckBox15"} +
                                       bottom;
  }
  void tabGoesThroughTheShownPanelThenTheBottomBar() {
    QFETCH(int, category);
    QFETCH(QStringList, chain);
    Harness h(true, true);
    QVERIFY(h.activeWithStationsChosen());
    QVERIFY(h.find<QPushButton>("Button6")->isEnabled());
    auto* categories = h.find<QListWidget>("CategorySelect");
    categories->setCurrentRow(category);
    categories->setFocus(Qt::TabFocusReason);
    QCOMPARE(h.tabChain(), chain);
  }

  void bannerWaitsForTheFirstPaint() {
    Harness h;
    h.online = true;
    QTest::qWait(3 * app::kBannerFirstTickMs);
    QVERIFY(h.bannerLoads.isEmpty());
    QVERIFY(!h.form->bannerTimer().isActive());
    QSignalSpy painted(h.form.get(), &app::TMainForm::firstPainted);
    h.showAndPaint();
    QCOMPARE(painted.size(), 1);
    QTRY_COMPARE(h.bannerLoads.size(), 1);
    QCOMPARE(h.bannerLoads[0].scheme(), QStringLiteral("https"));
  }

  // Online, every tick loads the banner; offline, it empties the strip (an empty page).
  void bannerWaitsForTheConnection() {
    Harness h;
    QTimer& timer = h.form->bannerTimer();
    QCOMPARE(timer.interval(), app::kBannerFirstTickMs);
    h.form->BannerTimerTimer();
    QCOMPARE(timer.interval(), 3000);
    QCOMPARE(h.bannerLoads, QList<QUrl>{QUrl()});
    h.online = true;
    h.form->BannerTimerTimer();
    QCOMPARE(timer.interval(), 600000);
    QCOMPARE(h.bannerLoads.size(), 2);
    QCOMPARE(h.bannerLoads[1].path(), QStringLiteral("/siecio/bannery/"));
    h.form->BannerTimerTimer();
    QCOMPARE(h.bannerLoads[2], h.bannerLoads[1]);  // reloaded every tick while online
    h.online = false;
    h.form->BannerTimerTimer();
    QCOMPARE(timer.interval(), 3000);
    QCOMPARE(h.bannerLoads.last(), QUrl());
    // It runs from the first paint on and keeps running.
    QVERIFY(!timer.isActive());
    h.showAndPaint();
    QVERIFY(timer.isActive());
  }

  void bannerLoadsWithoutAQuery() {
    Harness h(false);
    h.form->BannerTimerTimer();
    QCOMPARE(h.form->bannerTimer().interval(), 600000);
    QCOMPARE(h.bannerLoads.size(), 1);
    QCOMPARE(app::bannerTick({}), (app::BannerTick{600000, true}));
    QCOMPARE(app::bannerTick([] { return false; }), (app::BannerTick{3000, false}));
  }

  // Packagers and testers point the strip elsewhere, or nowhere: set empty, there is no banner.
  void bannerAddressFromTheEnvironment() {
    Harness h(false);
    qputenv("SIECIOWNIK_BANNER_URL", "http://127.0.0.1:8/siecio/bannery/");
    h.form->BannerTimerTimer();
    qputenv("SIECIOWNIK_BANNER_URL", "");
    h.form->BannerTimerTimer();
    qunsetenv("SIECIOWNIK_BANNER_URL");
    QCOMPARE(h.bannerLoads, (QList<QUrl>{QUrl("http://127.0.0.1:8/siecio/bannery/"), QUrl()}));
    QCOMPARE(app::bannerPage(), QUrl(app::kBannerPage));
  }

  void helpAndProducerGoToTheShell() {
    Harness h;
    h.find<QPushButton>("HelpButton")->click();
    h.form->Label30Click();
    QCOMPARE(int(h.shell.calls.size()), 2);
    // The installed help page, not a copy beside the catalogues.
    QCOMPARE(h.shell.calls[0].target, h.sandbox.filePath(QStringLiteral("installed/help.html")));
    QVERIFY(h.shell.calls[0].parameters.isEmpty());
    QCOMPARE(h.shell.calls[0].show, platform::ShowState::Normal);
    QCOMPARE(h.shell.calls[1].target, app::kProducerHomePage);
    QCOMPARE(h.shell.calls[1].show, platform::ShowState::Maximised);
    QVERIFY(h.boxes.shown.empty());
  }

  void producerLinkOpensOnALeftClickReleasedInside() {
    Harness h;
    h.showAndPaint();
    auto* link = h.find<QLabel>("Label30");
    const QPoint inside = link->rect().center();
    QTest::mouseClick(link, Qt::RightButton, {}, inside);
    QTest::mouseClick(link, Qt::MiddleButton, {}, inside);
    QTest::mousePress(link, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 20, inside.y()));
    QTest::mousePress(link, Qt::RightButton, {}, inside);
    QTest::mouseRelease(link, Qt::LeftButton, {}, inside);
    QVERIFY(h.shell.calls.empty());
    QTest::mouseClick(link, Qt::LeftButton, {}, inside);
    QCOMPARE(int(h.shell.calls.size()), 1);
    QCOMPARE(h.shell.calls[0].target, app::kProducerHomePage);
    QVERIFY(app::kProducerHomePage.startsWith(QStringLiteral("https://")));
  }

  // Enter presses the focused button, wherever it is; the buttons' handlers are taken off so that
  // only the press is counted.
  void enterPressesTheFocusedButton() {
    Harness h(true, true);
    QVERIFY(h.activeWithStationsChosen());
    const QList<QStringList> buttonsByCategory{
        {"Button7", "Button8", "Button9", "Button10", "Button4", "Button6", "BitBtn1", "HelpButton", "UpdateButton",
         "CloseButton"},
        {"Button5", "Button11", "Button12", "Button13", "Button14", "BitBtn2"},
        {"Button3"},
        {"Button1", "Button2"}};
    QStringList expected;
    QStringList pressed;
    for (int category = 0; category < buttonsByCategory.size(); ++category) {
      h.find<QListWidget>("CategorySelect")->setCurrentRow(category);
      for (const QString& name : buttonsByCategory[category]) {
        auto* button = h.find<QPushButton>(qPrintable(name));
        QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
        QObject::connect(button, &QPushButton::clicked, [&pressed, name] { pressed << name; });
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        expected << name;
      }
    }
    QCOMPARE(pressed, expected);
    QVERIFY(h.boxes.shown.empty());
  }

  // The category list passes Enter to the shown panel's START; other panels have none.
  void enterInTheCategoryListPressesTheShownPanelsStart() {
    Harness h(true, true);
    h.showAndPaint();
    h.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    QStringList started;
    for (const char* name : {"BitBtn1", "BitBtn2"}) {
      auto* start = h.find<QPushButton>(name);
      QObject::disconnect(start, &QPushButton::clicked, nullptr, nullptr);
      QObject::connect(start, &QPushButton::clicked, [&started, name] { started << QString::fromLatin1(name); });
    }
    auto* categories = h.find<QListWidget>("CategorySelect");
    categories->setFocus();
    QTest::keyClick(categories, Qt::Key_Return);  // no station chosen: START is disabled
    h.chooseFirstStation("ListBox1", "ListBox2");
    h.chooseFirstStation("ListBox3", "ListBox4");
    for (int category : {0, 1, 3}) {
      categories->setCurrentRow(category);
      categories->setFocus();
      QTest::keyClick(categories, Qt::Key_Return);
    }
    QCOMPARE(started, (QStringList{"BitBtn1", "BitBtn2"}));
    QCOMPARE(categories->currentRow(), 3);
  }

  // Ctrl+Page Down and Ctrl+Page Up choose the next and the previous category from anywhere, round
  // and round, as a click on it would: the search panel resets its kind and takes the focus.
  void ctrlPageKeysGoThroughTheCategories() {
    Harness h(true, true);
    h.showAndPaint();
    h.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    h.find<QRadioButton>("RadioButton3")->setChecked(true);
    h.find<QWidget>("ListBox2")->setFocus();
    const auto press = [&h](Qt::Key key) {
      QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
      const QWidget* focus = QApplication::focusWidget();
      return h.visiblePanels().join(QLatin1Char(',')) + QLatin1Char('|') + h.find<QLabel>("Label1")->text() +
             QLatin1Char('|') + (focus != nullptr ? focus->objectName() : QStringLiteral("<no focus>"));
    };
    QStringList walk;
    for (int presses = 0; presses < 4; ++presses) walk << press(Qt::Key_PageDown);
    QCOMPARE(walk, (QStringList{"FMPanel|Radio|CategorySelect", "SearchPanel|Wyszukiwarka|Edit1",
                                "PrivacyPanel|Prywatność|CategorySelect", "TVPanel|Telewizja|CategorySelect"}));
    QVERIFY(h.find<QRadioButton>("RadioButton1")->isChecked());
    h.find<QWidget>("CloseButton")->setFocus();
    walk.clear();
    for (int presses = 0; presses < 2; ++presses) walk << press(Qt::Key_PageUp);
    QCOMPARE(walk, (QStringList{"PrivacyPanel|Prywatność|CategorySelect", "SearchPanel|Wyszukiwarka|Edit1"}));
    QVERIFY(h.form->isVisible());
  }

  void escapeCloses() {
    Harness h;
    h.showAndPaint();
    QTest::keyClick(h.form.get(), Qt::Key_Escape);
    QTRY_VERIFY(!h.form->isVisible());
  }
};

QTEST_MAIN(MainFormTest)
#include "tst_mainform.moc"
