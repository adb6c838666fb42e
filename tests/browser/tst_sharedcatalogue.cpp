// A catalogue file that another program replaces while the panel shows it: the lists follow it,
// and a save made before they could makes its change on the new file.
#include <QProcess>
#include <QtTest>

#include "browserharness.h"

using namespace browsertest;

namespace {

// Another program puts `stations` in place of the TV catalogue, as sync tools do: a new file
// renamed over the old one.
void replaceByAnotherProgram(const Harness& h, const catalogue::TvStations& stations) {
  const QString fresh = h.sandbox.filePath(QStringLiteral("fresh.feed"));
  QVERIFY(catalogue::saveTvFeed(fresh, stations).ok);
  QProcess mv;
  mv.start(QStringLiteral("mv"), {fresh, h.feed(catalogue::kTvFeedName)});
  QVERIFY(mv.waitForFinished(10000) && mv.exitCode() == 0);
}

}  // namespace

class SharedCatalogueTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void theListsFollowTheFileAndKeepTheSelection() {
    Harness h({tv("Alfa", 48), tv("Beta", 48, "mms://old")});
    h.chooseRegion("Polska");
    h.chooseStation("Beta");
    catalogue::TvStation beta = tv("Beta", 48, "mms://new");
    beta.QualityBps = 128000;
    replaceByAnotherProgram(h, {tv("Alfa", 48), beta, tv("Delta", 48)});
    QTRY_COMPARE_WITH_TIMEOUT(Harness::texts(h.stations()), (QStringList{"Alfa", "Beta", "Delta"}), 1000);
    QCOMPARE(Harness::selectedText(h.stations()), QStringLiteral("Beta"));
    QCOMPARE(h.browser->selectedTvStation()->StreamUrl, QStringLiteral("mms://new"));
    QCOMPARE(h.details()[2], QStringLiteral("128 kbps (Windows Media Video)"));
    QVERIFY(h.boxes.shown.empty());
  }

  // The file replaced between the program's read and its save, before the lists could follow it.
  void aSaveMakesItsChangeOnTheReplacedFile() {
    Harness h({tv("Alfa", 48), tv("Gamma", 48)});
    h.chooseRegion("Polska");
    replaceByAnotherProgram(h, {tv("Alfa", 48), tv("Delta", 48), tv("Gamma", 48)});
    whenDialogOpens([](QDialog* dialog) {
      dialog->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("Beta"));
      dialog->findChild<QLineEdit*>(QStringLiteral("Edit4"))->setText(QStringLiteral("mms://s"));
      dialog->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    h.button("Button7")->click();
    const catalogue::TvStations expected{tv("Alfa", 48), tv("Beta", 48), tv("Delta", 48), tv("Gamma", 48)};
    QCOMPARE(h.tvFile(), expected);
    QCOMPARE(h.browser->tvStations(), expected);
    QCOMPARE(Harness::texts(h.stations()), (QStringList{"Alfa", "Beta", "Delta", "Gamma"}));
    QVERIFY(h.boxes.shown.empty());
  }
};

QTEST_MAIN(SharedCatalogueTest)
#include "tst_sharedcatalogue.moc"
