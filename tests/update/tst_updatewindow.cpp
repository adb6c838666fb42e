#include <QtTest>

#include <QListWidget>
#include <QPushButton>

#include "app/tform4.h"
#include "app/tmainform.h"
#include "browser/stationbrowser.h"
#include "catalogue/feedfile.h"
#include "privacy/privacyctl.h"
#include "support/fakes.h"
#include "support/filebytes.h"
#include "support/sandbox.h"
#include "testserver.h"
#include "fixtures.h"

using namespace catalogue;
using namespace testsupport;
using updatetest::Route;
using updatetest::TestServer;

namespace {

QStringList itemsOf(QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

// The program's main window with its catalogues in a sandbox and the update's sources on a server
// of the test's own.
struct Program {
  Sandbox sandbox;
  TestServer server;
  FakeShell shell;
  FakeMessageBoxes boxes;
  privacy::PrivacyCtl privacyModule{[] {}};
  QString folder = sandbox.path() + QLatin1Char('/');
  std::unique_ptr<app::TMainForm> form;

  Program() {
    saveTvFeed(folder + kTvFeedName,
               {{QStringLiteral("Moja TV"), {}, {}, QStringLiteral("http://moja.example/tv"), 0, 0, 8, 0, true},
                {QStringLiteral("Stara TV"), {}, {}, QStringLiteral("http://stara.example/tv"), 48, 0, 8, 0, true}});
    saveRadioFeed(folder + kRadioFeedName,
                  {{QStringLiteral("Moje radio"), {}, QStringLiteral("http://moje.example/"), 0, 0, 1, 0},
                   {QStringLiteral("Stare radio"), {}, QStringLiteral("http://stare.example/"), 48, 0, 1, 0}});
    server.route("/json/stations", {200, fixture("radio-stations.json")});
    server.route("/channels.json", {200, fixture("tv-channels.json")});
    server.route("/streams.json", {200, fixture("tv-streams.json")});
    qputenv("SIECIOWNIK_RADIO_SOURCE", server.base().toUtf8());
    qputenv("SIECIOWNIK_TV_SOURCE", (server.base() + QStringLiteral("/")).toUtf8());
    form = std::make_unique<app::TMainForm>(app::MainFormEnvironment{
        {shell, boxes}, {}, [](QWidget*, const QUrl&) {}, folder, privacyModule, folder + QStringLiteral("help.html")});
    form->CreateSecondaryWindows();
    form->show();
  }
  ~Program() {
    form.reset();
    qunsetenv("SIECIOWNIK_RADIO_SOURCE");
    qunsetenv("SIECIOWNIK_TV_SOURCE");
  }
  template <class T>
  T* find(const char* name) {
    return form->findChild<T*>(QString::fromLatin1(name));
  }
  app::TForm4* updateWindow() { return form->findChild<app::TForm4*>(); }
  void selectRegion(const char* list, const QString& region) {
    auto* regions = find<QListWidget>(list);
    const auto items = regions->findItems(region, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    regions->setCurrentItem(items.front());
  }
};

}  // namespace

class UpdateWindowTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void updateThroughTheWindow() {
    Program p;
    QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
    p.selectRegion("ListBox1", QStringLiteral("Polska"));
    QCOMPARE(itemsOf(p.find<QListWidget>("ListBox2")), QStringList{"Stara TV"});
    p.server.route("/channels.json", {200, fixture("tv-channels.json"), 300});

    p.boxes.answers = {true};
    p.find<QPushButton>("UpdateButton")->click();
    QVERIFY(p.updateWindow()->isVisible());
    QTRY_VERIFY(!p.boxes.shown.empty());
    QVERIFY(!p.updateWindow()->isVisible());
    QCOMPARE(p.boxes.shown.size(), std::size_t(1));
    QCOMPARE(p.boxes.shown[0].kind, ShownBox::Question);

    // The lists changed in place: the selected region stays, its stations are the new ones.
    QCOMPARE(p.find<QListWidget>("ListBox1")->currentItem()->text(), QStringLiteral("Polska"));
    QCOMPARE(itemsOf(p.find<QListWidget>("ListBox2")), (QStringList{"TVP Info", "tvp info (2)"}));
    const QStringList tvRegions = itemsOf(p.find<QListWidget>("ListBox1"));
    QCOMPARE(tvRegions.front(), QStringLiteral("Ulubione"));
    QVERIFY(tvRegions.contains(QStringLiteral("Hawaje")) && tvRegions.contains(QStringLiteral("Wielka Brytania")));
    QVERIFY(itemsOf(p.find<QListWidget>("ListBox3")).contains(QStringLiteral("Alaska")));

    // What the panels show is what the files hold, favourites first.
    TvStations tv;
    RadioStations radio;
    loadTvFeed(p.folder + kTvFeedName, tv);
    loadRadioFeed(p.folder + kRadioFeedName, radio);
    QVERIFY(tv == p.form->stationBrowser().tvStations());
    QVERIFY(radio == p.form->stationBrowser().radioStations());
    QCOMPARE(tv.front().Name, QStringLiteral("Moja TV"));
    QCOMPARE(radio.front().Name, QStringLiteral("Moje radio"));
    QCOMPARE(tv.size(), std::size_t(7));
    QCOMPARE(radio.size(), std::size_t(8));
  }

  // Another program adds a favourite while the lists come in: the update keeps it.
  void aFavouriteWrittenMeanwhileByAnotherProgramStays() {
    Program p;
    p.server.route("/channels.json", {200, fixture("tv-channels.json"), 300});
    p.boxes.answers = {true};
    p.find<QPushButton>("UpdateButton")->click();
    QTRY_VERIFY(!p.server.paths.empty());
    QVERIFY(p.boxes.shown.empty());
    const TvStation theirs{QStringLiteral("Cudza TV"), {}, {}, QStringLiteral("http://cudza.example/tv"), 0, 0, 8, 0, true};
    TvStations onDisk;
    loadTvFeed(p.folder + kTvFeedName, onDisk);
    onDisk.push_back(theirs);
    QVERIFY(saveTvFeed(p.folder + kTvFeedName, onDisk).ok);
    QTRY_VERIFY(!p.boxes.shown.empty());
    TvStations tv;
    loadTvFeed(p.folder + kTvFeedName, tv);
    QCOMPARE(tv.size(), std::size_t(8));
    QCOMPARE(tv[0].Name, QStringLiteral("Moja TV"));
    QCOMPARE(tv[1], theirs);
    QVERIFY(tv == p.form->stationBrowser().tvStations());
  }

  void cancelThroughTheWindow() {
    Program p;
    const QByteArray tvBefore = fileBytes(p.folder + kTvFeedName);
    const QByteArray radioBefore = fileBytes(p.folder + kRadioFeedName);
    p.server.route("/json/stations", {200, fixture("radio-stations.json"), 20000});
    p.find<QPushButton>("UpdateButton")->click();
    QTRY_COMPARE(p.server.paths.size(), 1);
    // The main window still handles events while the list is coming.
    QVERIFY(p.updateWindow()->isVisible());
    QTest::keyClick(p.updateWindow(), Qt::Key_Escape);
    QVERIFY(!p.updateWindow()->isVisible());
    QTRY_COMPARE(p.server.openConnections(), 0);
    QVERIFY(p.boxes.shown.empty());
    QCOMPARE(fileBytes(p.folder + kTvFeedName), tvBefore);
    QCOMPARE(fileBytes(p.folder + kRadioFeedName), radioBefore);
    QCOMPARE(p.form->stationBrowser().tvStations().size(), std::size_t(2));
  }
};

QTEST_MAIN(UpdateWindowTest)
#include "tst_updatewindow.moc"
