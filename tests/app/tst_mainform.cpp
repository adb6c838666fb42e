#include <QtTest>

#include <QListWidget>
#include <QPushButton>
#include <QLabel>

#include "app/bannerschedule.h"
#include "app/producer.h"
#include "app/tmainform.h"
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

  explicit Harness(bool withQuery = true) : haveQuery(withQuery) {
    app::MainFormEnvironment environment{
        {shell, boxes},
        [this]() -> platform::ConnectedQuery {
          if (!haveQuery) return {};
          return [this] { return online; };
        },
        [this](QWidget*, const QUrl& page) { bannerLoads << page; },
        sandbox.path() + QLatin1Char('/'),
        privacyModule};
    form = std::make_unique<app::TMainForm>(environment);
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

  void bannerWaitsForTheConnection() {
    Harness h;
    QTimer& timer = h.form->bannerTimer();
    QCOMPARE(timer.interval(), app::kBannerFirstTickMs);
    h.form->BannerTimerTimer();
    QCOMPARE(timer.interval(), 3000);
    QVERIFY(h.bannerLoads.isEmpty());
    h.online = true;
    h.form->BannerTimerTimer();
    QCOMPARE(timer.interval(), 600000);
    QCOMPARE(h.bannerLoads.size(), 1);
    QCOMPARE(h.bannerLoads[0].path(), QStringLiteral("/siecio/bannery/"));
    h.form->BannerTimerTimer();
    QCOMPARE(h.bannerLoads.size(), 2);  // reloaded every tick while online
    h.online = false;
    h.form->BannerTimerTimer();
    QCOMPARE(timer.interval(), 3000);
    QCOMPARE(h.bannerLoads.size(), 2);
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

  void helpAndProducerGoToTheShell() {
    Harness h;
    h.find<QPushButton>("HelpButton")->click();
    h.form->Label30Click();
    QCOMPARE(int(h.shell.calls.size()), 2);
    QCOMPARE(h.shell.calls[0].target, h.sandbox.path() + QStringLiteral("/help.html"));
    QVERIFY(h.shell.calls[0].parameters.isEmpty());
    QCOMPARE(h.shell.calls[0].show, platform::ShowState::Normal);
    QCOMPARE(h.shell.calls[1].target, app::kProducerHomePage);
    QCOMPARE(h.shell.calls[1].show, platform::ShowState::Maximised);
    QVERIFY(h.boxes.shown.empty());
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
