#include <QScrollBar>

#include "browserharness.h"

using namespace browsertest;
using testsupport::ShownBox;

namespace {

const QStringList kOnlyAdd{"Button7"};
const QStringList kStationChosen{"Button7", "Button8", "Button9", "Button10", "BitBtn1"};

catalogue::TvStations sample() {
  return {tv("TVP Info", 48), tv("Pierwszy Kanał", 7), tv("TVE", 34), tv("Rai Uno", 39), tv("Nowhere", 424242),
          tv("Polsat", 48, "mms://p", false)};
}

}  // namespace

class BrowserPanelsTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void startState() {
    Harness h(sample());
    QCOMPARE(Harness::texts(h.regions()),
             (QStringList{"Ulubione", "Hiszpania", "Kanaryjskie (Wyspy)", "Kazachstan", "Polska", "Rosja", "Watykan",
                          "Włochy"}));
    QCOMPARE(Harness::selectedText(h.regions()), QString());
    QCOMPARE(h.stations()->count(), 0);
    QCOMPARE(h.details(), (QStringList{"", "", ""}));
    QCOMPARE(h.enabledButtons(), kOnlyAdd);
    QCOMPARE(h.browser->SelectedTv(), -1);
    QVERIFY(h.tvControl<QPushButton>("BitBtn1")->isDefault());
    // The radio catalogue is empty: only the favourites.
    QCOMPARE(Harness::texts(h.fmControl<QListWidget>("ListBox3")), QStringList{"Ulubione"});
  }

  void missingCatalogueLeavesTheRegionListEmptyUntilTheFirstSave() {
    Harness h(sample());
    QFile::remove(h.feed(catalogue::kRadioFeedName));
    h.browser.reset();
    h.start();
    auto* radioRegions = h.fmControl<QListWidget>("ListBox3");
    QCOMPARE(radioRegions->count(), 0);
    h.browser->SaveRadioFeed();
    QCOMPARE(Harness::texts(radioRegions), QStringList{"Ulubione"});
    QVERIFY(QFile::exists(h.feed(catalogue::kRadioFeedName)));
  }

  // Read before the window exists, the catalogues are taken over whole: the same lists, and the
  // files watched as if the panels had read them.
  void cataloguesReadBeforehandAreTakenOverWhole() {
    Harness h(sample());
    const QStringList regions = Harness::texts(h.regions());
    h.browser.reset();
    h.start({}, browser::startReadingFeeds(h.sandbox.path()));
    QCOMPARE(Harness::texts(h.regions()), regions);
    QCOMPARE(h.browser->tvStations(), sample());
    catalogue::TvStations changed = sample();
    changed.push_back(tv("TV Trwam", 48));
    QVERIFY(catalogue::saveTvFeed(h.feed(catalogue::kTvFeedName), changed).ok);
    QTRY_COMPARE_WITH_TIMEOUT(h.browser->tvStations(), changed, 2000);
  }

  void sharedIdentifiersListTheSameStations() {
    Harness h(sample());
    h.chooseRegion("Kazachstan");
    QCOMPARE(Harness::texts(h.stations()), QStringList{"Pierwszy Kanał"});
    QCOMPARE(h.enabledButtons(), kOnlyAdd);  // Region chosen
    h.chooseStation("Pierwszy Kanał");
    QCOMPARE(h.browser->SelectedTv(), 1);
    QCOMPARE(h.enabledButtons(), kStationChosen);
    h.chooseRegion("Rosja");
    QCOMPARE(Harness::texts(h.stations()), QStringList{"Pierwszy Kanał"});
    QCOMPARE(Harness::selectedText(h.stations()), QString());
    QCOMPARE(h.browser->SelectedTv(), -1);
    QCOMPARE(h.details(), (QStringList{"", "", ""}));
    QCOMPARE(h.enabledButtons(), kOnlyAdd);
  }

  void stationLineDetailsAndButtons_data() {
    QTest::addColumn<bool>("live");
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("categories");
    QTest::addColumn<QString>("www");
    QTest::addColumn<QString>("schedule");
    QTest::addColumn<QString>("stream");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QStringList>("details");
    QTest::addColumn<QStringList>("buttons");
    QTest::newRow("live, quality and one kind")
        << true << 128000 << 1 << 0x03 << "" << "" << "rtsp://a" << "Kanał"
        << QStringList{"Kanał", "rozrywka, informacje", "128 kbps (RealPlayer)"} << kStationChosen;
    QTest::newRow("not live, no quality")
        << false << 0 << 1 << 0 << "www.k.pl" << "" << "" << "Kanał *" << QStringList{"Kanał", "", "RealPlayer"}
        << QStringList{"Button7", "Button8", "Button9", "Button10", "Button4", "BitBtn1"};
    QTest::newRow("below one kbit/s, two kinds, schedule only")
        << true << 999 << 3 << 0x40 << "" << "www.k.pl/r" << "" << "Kanał"
        << QStringList{"Kanał", "", "0 kbps (RealPlayer, Windows Media Video)"}
        << QStringList{"Button7", "Button8", "Button9", "Button10", "Button6"};
    QTest::newRow("kind without a name") << true << 0 << 0x30 << 0 << "" << "" << "mms://a" << "Kanał"
                                         << QStringList{"Kanał", "", ""} << kStationChosen;
  }
  void stationLineDetailsAndButtons() {
    QFETCH(bool, live);
    QFETCH(int, quality);
    QFETCH(int, kind);
    QFETCH(int, categories);
    QFETCH(QString, www);
    QFETCH(QString, schedule);
    QFETCH(QString, stream);
    QFETCH(QString, listed);
    QFETCH(QStringList, details);
    QFETCH(QStringList, buttons);
    catalogue::TvStation s = tv("Kanał", 48, stream, live);
    s.QualityBps = quality;
    s.PlayerKind = static_cast<quint8>(kind);
    s.Categories = static_cast<quint8>(categories);
    s.Www = www;
    s.ScheduleWww = schedule;
    Harness h({s});
    h.chooseRegion("Polska");
    QCOMPARE(Harness::texts(h.stations()), QStringList{listed});
    h.chooseStation(listed);
    QCOMPARE(h.details(), details);
    QCOMPARE(h.enabledButtons(), buttons);
    QCOMPARE(h.browser->selectedTvStation()->Name, QStringLiteral("Kanał"));
  }

  void radioListsNoMarker() {
    Harness h({}, {radio("Trójka", 48), radio("Jedynka", 48)});
    auto* regions = h.fmControl<QListWidget>("ListBox3");
    auto* stations = h.fmControl<QListWidget>("ListBox4");
    Harness::choose(regions, "Polska");
    QCOMPARE(Harness::texts(stations), (QStringList{"Trójka", "Jedynka"}));
    Harness::choose(stations, "Jedynka");
    QCOMPARE(h.browser->SelectedRadio(), 1);
    QCOMPARE(h.fmControl<QLineEdit>("Edit8")->text(), QStringLiteral("Shoutcast"));
    QVERIFY(h.fmControl<QPushButton>("BitBtn2")->isEnabled());
    QVERIFY(!h.fmControl<QPushButton>("Button14")->isEnabled());
  }

  void deleteAsksAndRewritesTheFile() {
    Harness h({tv("Alfa", 48), tv("Beta", 48), tv("Gamma", 48)});
    h.chooseRegion("Polska");
    h.chooseStation("Beta");
    h.button("Button9")->click();  // answered No
    QCOMPARE(h.boxes.shown.back().text, QStringLiteral("Czy na pewno chcesz usunąć stację \"Beta\"?"));
    QCOMPARE(h.browser->tvStations().size(), std::size_t{3});
    QCOMPARE(h.browser->SelectedTv(), 1);

    h.boxes.answers.push_back(true);
    h.button("Button9")->click();
    QCOMPARE(Harness::texts(h.stations()), (QStringList{"Alfa", "Gamma"}));
    QCOMPARE(Harness::selectedText(h.stations()), QString());
    QCOMPARE(h.browser->SelectedTv(), -1);
    QCOMPARE(h.enabledButtons(), kOnlyAdd);
    QCOMPARE(h.tvFile(), h.browser->tvStations());
    QCOMPARE(h.tvFile().size(), std::size_t{2});
  }

  void deletingTheLastStationOfARegionLosesTheRegion() {
    Harness h(sample());
    h.chooseRegion("Rosja");
    h.chooseStation("Pierwszy Kanał");
    h.boxes.answers.push_back(true);
    h.button("Button9")->click();
    // Region lost: the region is gone, the station list and details stay as they were.
    QVERIFY(!Harness::texts(h.regions()).contains("Rosja"));
    QVERIFY(!Harness::texts(h.regions()).contains("Kazachstan"));
    QCOMPARE(Harness::selectedText(h.regions()), QString());
    QCOMPARE(Harness::texts(h.stations()), QStringList{"Pierwszy Kanał"});
    QCOMPARE(Harness::selectedText(h.stations()), QStringLiteral("Pierwszy Kanał"));
    QCOMPARE(h.details()[0], QStringLiteral("Pierwszy Kanał"));
    QCOMPARE(h.browser->SelectedTv(), -1);
    QVERIFY(h.browser->selectedTvStation() == nullptr);
    QCOMPARE(h.tvFile().size(), sample().size() - 1);

    // Delete and copy do nothing; edit opens no dialog and only saves.
    const std::size_t boxesBefore = h.boxes.shown.size();
    h.button("Button9")->click();
    h.button("Button10")->click();
    QCOMPARE(h.boxes.shown.size(), boxesBefore);
    QFile::remove(h.feed(catalogue::kTvFeedName));
    int dialogs = 0;
    whenDialogOpens([](QDialog*) {}, &dialogs);
    h.button("Button8")->click();
    QCoreApplication::processEvents();
    QCOMPARE(dialogs, 0);
    QCOMPARE(h.tvFile(), h.browser->tvStations());

    // Choosing "Ulubione" refreshes in place: the old entry goes.
    h.chooseRegion("Ulubione");
    QCOMPARE(h.stations()->count(), 0);
    QCOMPARE(h.browser->SelectedTvRegion(), 0);
  }

  void favouritesCopyAndDelete() {
    Harness h({tv("Jedynka", 48), tv("Polonia", 48), tv("JEDYNKA", 44)});
    h.chooseRegion("Polska");
    h.chooseStation("Jedynka");
    h.button("Button10")->click();
    QCOMPARE(h.boxes.shown.back().kind, ShownBox::Information);
    QCOMPARE(h.boxes.shown.back().text, QStringLiteral("Strumień został dodany do Ulubionych"));
    QCOMPARE(Harness::selectedText(h.stations()), QStringLiteral("Jedynka"));  // lists and selection stay
    QCOMPARE(h.browser->tvStations().back().RegionId, 0);
    QCOMPARE(h.tvFile(), h.browser->tvStations());

    // A second copy of the same name, from here or from another region, is refused.
    h.button("Button10")->click();
    QCOMPARE(h.boxes.shown.back().kind, ShownBox::Error);
    QCOMPARE(h.boxes.shown.back().text, QStringLiteral("Strumień o tej nazwie jest już w Ulubionych"));
    h.chooseRegion("Wielka Brytania");
    h.chooseStation("JEDYNKA");
    h.button("Button10")->click();
    QCOMPARE(h.boxes.shown.back().text, QStringLiteral("Strumień o tej nazwie jest już w Ulubionych"));
    QCOMPARE(h.browser->tvStations().size(), std::size_t{4});

    // The station goes, its favourite copy stays.
    h.chooseRegion("Polska");
    h.chooseStation("Jedynka");
    h.boxes.answers.push_back(true);
    h.button("Button9")->click();
    h.chooseRegion("Ulubione");
    QCOMPARE(Harness::texts(h.stations()), QStringList{"Jedynka"});
    h.chooseStation("Jedynka");
    QVERIFY(!h.button("Button10")->isEnabled());
    h.boxes.answers.push_back(true);
    h.button("Button9")->click();
    QCOMPARE(h.boxes.shown.back().text, QStringLiteral("Czy na pewno chcesz usunąć z Ulubionych \"Jedynka\"?"));
    QCOMPARE(h.stations()->count(), 0);
    QCOMPARE(h.tvFile(), (catalogue::TvStations{tv("Polonia", 48), tv("JEDYNKA", 44)}));
  }

  void entriesMapToTheirOwnStations() {
    // Equal names in one region, and a region out of alphabetical order.
    Harness h({tv("Echo", 48, "mms://first"), tv("Zulu", 48), tv("ECHO", 48, "mms://second"), tv("Alfa", 48)});
    h.chooseRegion("Polska");
    QCOMPARE(Harness::texts(h.stations()), (QStringList{"Echo", "Zulu", "ECHO", "Alfa"}));
    h.chooseStation("ECHO");
    QCOMPARE(h.browser->SelectedTv(), 2);
    QCOMPARE(h.browser->selectedTvStation()->StreamUrl, QStringLiteral("mms://second"));
    h.chooseStation("Alfa");
    QCOMPARE(h.browser->SelectedTv(), 3);

    // A change elsewhere renumbers the array; the entries follow their stations.
    h.browser->tvStations().erase(h.browser->tvStations().begin());
    h.browser->SaveTvFeed();
    QCOMPARE(Harness::texts(h.stations()), (QStringList{"Zulu", "ECHO", "Alfa"}));
    QCOMPARE(Harness::selectedText(h.stations()), QStringLiteral("Alfa"));
    QCOMPARE(h.browser->SelectedTv(), 2);
    h.chooseStation("Zulu");
    QCOMPARE(h.browser->selectedTvStation()->Name, QStringLiteral("Zulu"));
  }

  void refreshKeepsSelectionAndScrollPosition() {
    catalogue::TvStations many;
    for (int i = 0; i < 300; ++i) many.push_back(tv(QStringLiteral("Kanał %1").arg(i, 3, 10, QLatin1Char('0')), 48));
    Harness h(many);
    h.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.main));
    h.chooseRegion("Polska");
    h.chooseStation("Kanał 250");
    h.stations()->scrollToItem(h.stations()->currentItem(), QAbstractItemView::PositionAtTop);
    const int scroll = h.stations()->verticalScrollBar()->value();
    QVERIFY(scroll > 0);
    // A new station at the front of the region, and one gone before the selected one.
    auto& stations = h.browser->tvStations();
    stations.erase(stations.begin() + 10);
    stations.insert(stations.begin(), tv("Kanał 000a", 48));
    h.browser->SaveTvFeed();
    QCOMPARE(h.stations()->count(), 300);
    QCOMPARE(h.stations()->item(0)->text(), QStringLiteral("Kanał 000a"));
    QVERIFY(!Harness::texts(h.stations()).contains("Kanał 010"));
    QCOMPARE(Harness::selectedText(h.stations()), QStringLiteral("Kanał 250"));
    QCOMPARE(h.browser->SelectedTv(), 250);
    QCOMPARE(h.stations()->verticalScrollBar()->value(), scroll);
  }

  // The copy is not in the file: only why the save failed is shown, no word of success.
  void aCopyWhoseSaveFailsShowsOnlyWhy() {
    Harness h({tv("Alfa", 48)});
    QFile::remove(h.feed(catalogue::kTvFeedName));
    QVERIFY(QDir(h.sandbox.path()).mkdir(catalogue::kTvFeedName));  // a folder in the file's place
    h.chooseRegion("Polska");
    h.chooseStation("Alfa");
    h.button("Button10")->click();
    QCOMPARE(h.boxes.shown.size(), std::size_t{1});
    QCOMPARE(h.boxes.shown[0].kind, ShownBox::Error);
    QVERIFY2(h.boxes.shown[0].text.contains(catalogue::kTvFeedName), qPrintable(h.boxes.shown[0].text));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
  }

  // What the user chose stays chosen: neither Ctrl with a click or with Space, nor a click beside
  // the entries, leaves a list without its selection.
  void theUserCannotEmptyAListsSelection() {
    Harness h({tv("Alfa", 48), tv("Beta", 48)});
    h.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.main));
    for (QListWidget* list : {h.regions(), h.stations()}) {
      const QString wanted = list == h.regions() ? QStringLiteral("Polska") : QStringLiteral("Alfa");
      const QRect entry = list->visualItemRect(list->findItems(wanted, Qt::MatchExactly).first());
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
      QCOMPARE(Harness::selectedText(list), wanted);
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, entry.center());
      QCOMPARE(Harness::selectedText(list), wanted);
      list->setFocus();
      QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
      QCOMPARE(Harness::selectedText(list), wanted);
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 3));
      QCOMPARE(Harness::selectedText(list), wanted);
    }
    QCOMPARE(h.browser->SelectedTv(), 0);
    QCOMPARE(h.details()[0], QStringLiteral("Alfa"));
  }

  // Enter presses START from the lists, and the focused button itself wherever a button has it.
  void enterPressesStartFromTheListAndTheFocusedButtonItself() {
    Harness h({tv("Alfa", 48)});
    h.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.main));
    int starts = 0;
    QObject::connect(h.button("BitBtn1"), &QPushButton::clicked, [&] { ++starts; });
    h.chooseRegion("Polska");
    h.chooseStation("Alfa");
    for (QListWidget* list : {h.regions(), h.stations()}) {
      list->setFocus();
      QTest::keyClick(list, Qt::Key_Return);
    }
    QCOMPARE(starts, 2);
    int dialogs = 0;
    whenDialogOpens([](QDialog*) {}, &dialogs);
    h.button("Button7")->setFocus();
    QTest::keyClick(h.button("Button7"), Qt::Key_Return);
    QCOMPARE(dialogs, 1);
    h.button("Button9")->setFocus();
    QTest::keyClick(h.button("Button9"), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(h.boxes.shown.size(), std::size_t{1});
    QCOMPARE(h.boxes.shown[0].kind, ShownBox::Question);
    QCOMPARE(starts, 2);
  }
};

QTEST_MAIN(BrowserPanelsTest)
#include "tst_browserpanels.moc"
