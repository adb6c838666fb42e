#include <QtTest>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "platform/registrystore.h"
#include "privacy/privacyctl.h"
#include "privacy/privacypanelform.h"
#include "privacy/tform1.h"
#include "support/fakes.h"
#include "support/sandbox.h"
#include "panelfixture.h"
#include "privacystore.h"
#include "treebuilder.h"

using platform::RootKey;
using privacypanel::Panel;
using namespace privacystore;
using namespace treebuilder;

namespace {

// Records each step with what the user saw while it ran.
class RecordingPrivacy final : public privacy::PrivacyCtl {
 public:
  RecordingPrivacy() : PrivacyCtl([] {}) {}
  void ClearBrowserHistory() override { record("ClearBrowserHistory"); }
  void ClearUrlCache() override { record("ClearUrlCache"); }
  void ClearTypedUrls() override { record("ClearTypedUrls"); }
  void CleanTempFiles() override { record("CleanTempFiles"); }
  void ClearRunList() override { record("ClearRunList"); }
  void ClearRecentDocuments() override { record("ClearRecentDocuments"); }
  void EmptyRecycleBin() override { record("EmptyRecycleBin"); }

  privacy::PrivacyPanelForm* panel = nullptr;
  QStringList log;
  QString failAt;
  std::function<void()> duringStep;

 private:
  void record(const char* step) {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    log << QStringLiteral("%1 | %2 | %3 | %4")
               .arg(QLatin1String(step), panel->BusyNote()->Status(),
                    panel->BusyNote()->isVisible() ? QStringLiteral("shown") : QStringLiteral("hidden"),
                    cursor != nullptr && cursor->shape() == Qt::WaitCursor ? QStringLiteral("busy") : QStringLiteral("?"));
    if (duringStep) duringStep();
    if (failAt == QLatin1String(step)) throw platform::ValueError(QStringLiteral("Nieprawidłowy typ danych wartości „Recent”."));
  }
};

// Notes what the window looked like when the general error report came.
class StateAtErrorBoxes final : public platform::MessageBoxes {
 public:
  void showError(QWidget*, const QString&) override {}
  bool askQuestion(QWidget*, const QString&) override { return false; }
  void showInformation(QWidget*, const QString&) override {}
  void showGeneralError(QWidget*, const QString& text) override {
    texts << text;
    noteVisible = panel->BusyNote()->isVisible();
    cursorRestored = QGuiApplication::overrideCursor() == nullptr;
  }
  privacy::PrivacyPanelForm* panel = nullptr;
  QStringList texts;
  bool noteVisible = true;
  bool cursorRestored = false;
};

}  // namespace

// The panel runs the ticked steps in order under its busy note.
class PrivacyPanelTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // The designed panel: captions, first states, hints and tab order.
  void designedPanel() {
    testsupport::Sandbox sandbox;
    testsupport::FakeMessageBoxes boxes;
    privacy::PrivacyCtl privacy([] {});
    Panel p(privacy, boxes);
    QCOMPARE(p.find<QGroupBox>("GroupBox1")->geometry(), QRect(0, 0, 257, 180));
    QCOMPARE(p.find<QGroupBox>("GroupBox2")->title(), QStringLiteral(" System - działania "));
    QCOMPARE(p.find<QGroupBox>("GroupBox4")->geometry(), QRect(276, 241, 257, 140));
    QCOMPARE(p.find<QPushButton>("Button2")->geometry(), QRect(91, 135, 75, 25));
    QCOMPARE(p.find<QLabel>("Label2")->text(),
             QStringLiteral("Poniższe ustawienia są aktualizowane automatycznie – wystarczy jedno kliknięcie!"));
    for (int n : {1, 2, 3, 4, 5, 6}) QVERIFY(p.box(n)->isChecked());
    QVERIFY(!p.box(7)->isChecked());
    QCOMPARE(p.box(5)->text(), QStringLiteral("Kasuj listę Start -> Uruchom"));
    QCOMPARE(p.box(6)->toolTip(), QStringLiteral("Usuwa zawartość listy \"(Moje bieżące) dokumenty\" z Menu Start"));
    // A caption wider than the box in the face at hand lets the box grow to the right.
    QCOMPARE(p.box(11)->pos(), QPoint(24, 80));
    QCOMPARE(p.box(11)->height(), 17);
    QVERIFY(p.box(11)->width() >= 209);
    QCOMPARE(p.box(13)->text(), QStringLiteral("Zezwalaj na \"Moje bieżące dokumenty\""));
    QCOMPARE(p.box(12)->nextInFocusChain(), p.box(11));
    QCOMPARE(p.box(10)->nextInFocusChain(), p.box(12));
    QCOMPARE(p.form->BusyNote()->size(), QSize(237, 56));
    QVERIFY(p.form->BusyNote()->windowFlags() & Qt::FramelessWindowHint);
  }

  void runsTheTickedStepsInOrder_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("internet, all") << 1 << QList<int>{1, 2, 3} << QStringList{
        "ClearBrowserHistory | Kasowanie historii... | shown | busy",
        "ClearUrlCache | Kasowanie pamięci podręcznej... | shown | busy",
        "ClearTypedUrls | Kasowanie zapamiętanych adresów... | shown | busy"};
    QTest::newRow("system, all") << 2 << QList<int>{4, 5, 6, 7} << QStringList{
        "CleanTempFiles | Kasowanie plików tymczasowych... | shown | busy",
        "ClearRunList | Kasowanie Start->Uruchom... | shown | busy",
        "ClearRecentDocuments | Kasowanie \"Moje bieżące dokumenty\"... | shown | busy",
        "EmptyRecycleBin | Opróżnianie Kosza... | shown | busy"};
    QTest::newRow("system, some") << 2 << QList<int>{7, 5} << QStringList{
        "ClearRunList | Kasowanie Start->Uruchom... | shown | busy", "EmptyRecycleBin | Opróżnianie Kosza... | shown | busy"};
    QTest::newRow("other group's boxes ignored") << 1 << QList<int>{3, 4, 5, 6, 7} << QStringList{
        "ClearTypedUrls | Kasowanie zapamiętanych adresów... | shown | busy"};
  }
  void runsTheTickedStepsInOrder() {
    QFETCH(int, button);
    QFETCH(QList<int>, ticked);
    QFETCH(QStringList, expected);
    testsupport::Sandbox sandbox;
    testsupport::FakeMessageBoxes boxes;
    RecordingPrivacy privacy;
    Panel p(privacy, boxes);
    privacy.panel = p.form;
    for (int n : {1, 2, 3, 4, 5, 6, 7}) p.box(n)->setChecked(ticked.contains(n));
    p.find<QPushButton>(button == 1 ? "Button1" : "Button2")->click();
    QCOMPARE(privacy.log, expected);
    QVERIFY(!p.form->BusyNote()->isVisible());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QVERIFY(boxes.shown.empty());
    // The note keeps its last text; the boxes keep their states.
    QCOMPARE(p.form->BusyNote()->Status(), expected.last().section(QStringLiteral(" | "), 1, 1));
    for (int n : {1, 2, 3, 4, 5, 6, 7}) QCOMPARE(p.box(n)->isChecked(), ticked.contains(n));
  }

  void nothingTickedShowsNothing() {
    testsupport::Sandbox sandbox;
    testsupport::FakeMessageBoxes boxes;
    RecordingPrivacy privacy;
    Panel p(privacy, boxes);
    privacy.panel = p.form;
    p.tick({});
    QSignalSpy shown(p.form->BusyNote(), &QWidget::windowTitleChanged);
    int shows = 0;
    struct ShowCounter : QObject {
      int* count;
      bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) ++*count;
        return false;
      }
    } counter;
    counter.count = &shows;
    p.form->BusyNote()->installEventFilter(&counter);
    p.find<QPushButton>("Button1")->click();
    p.find<QPushButton>("Button2")->click();
    QCOMPARE(shows, 0);
    QVERIFY(privacy.log.isEmpty());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(p.form->BusyNote()->Status(), QString());
  }

  void aSecondClickDuringTheRunIsIgnored() {
    testsupport::Sandbox sandbox;
    testsupport::FakeMessageBoxes boxes;
    RecordingPrivacy privacy;
    Panel p(privacy, boxes);
    privacy.panel = p.form;
    p.tick({1, 2, 4});
    auto* button1 = p.find<QPushButton>("Button1");
    int otherRuns = 0;
    privacy.duringStep = [&] {
      if (privacy.log.size() == 1) {
        button1->click();  // ignored: its run is going on
        ++otherRuns;
        p.find<QPushButton>("Button2")->click();  // the other group still answers
      }
    };
    button1->click();
    QCOMPARE(otherRuns, 1);
    QCOMPARE(privacy.log.size(), 3);
    QVERIFY(privacy.log[0].startsWith("ClearBrowserHistory"));
    QVERIFY(privacy.log[1].startsWith("CleanTempFiles"));
    QVERIFY(privacy.log[2].startsWith("ClearUrlCache | Kasowanie pamięci podręcznej... | shown | busy"));
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    // Attached again afterwards.
    privacy.duringStep = nullptr;
    button1->click();
    QCOMPARE(privacy.log.size(), 5);
  }

  void anErrorEndsTheRunAndRestoresEverythingFirst() {
    testsupport::Sandbox sandbox;
    StateAtErrorBoxes boxes;
    RecordingPrivacy privacy;
    Panel p(privacy, boxes);
    privacy.panel = p.form;
    boxes.panel = p.form;
    p.tick({4, 5, 6, 7});
    privacy.failAt = QStringLiteral("ClearRunList");
    p.find<QPushButton>("Button2")->click();
    QCOMPARE(privacy.log.size(), 2);  // the steps after the error do not run
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("Nieprawidłowy typ danych wartości „Recent”.")});
    QVERIFY(!boxes.noteVisible);
    QVERIFY(boxes.cursorRestored);
    privacy.failAt.clear();
    p.find<QPushButton>("Button2")->click();
    QCOMPARE(privacy.log.size(), 6);
  }

  void aRecentFolderOfTheWrongTypeReachesTheErrorReport() {
    testsupport::Sandbox sandbox;
    Store().set(kShellFolders, "Recent", platform::integerValue(1));
    QVERIFY(writeFile(sandbox.home() + "/.local/share/RecentDocuments/keep.desktop"));
    StateAtErrorBoxes boxes;
    privacy::PrivacyCtl privacy([] {});
    Panel p(privacy, boxes);
    boxes.panel = p.form;
    p.tick({6, 7});
    p.find<QPushButton>("Button2")->click();
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("Nieprawidłowy typ danych wartości „Recent”.")});
    QVERIFY(QFileInfo::exists(sandbox.home() + "/.local/share/RecentDocuments/keep.desktop"));
    QCOMPARE(privacy.Registry().RootKey(), RootKey::CurrentUser);
    QVERIFY(!privacy.Registry().HasOpenKey());
  }

  void runningBrowsersAreNamedOnceAfterTheRun() {
    testsupport::Sandbox sandbox;
    const QString chromium = sandbox.home() + "/.config/chromium";
    const QString chrome = sandbox.home() + "/.config/google-chrome";
    QVERIFY(writeFile(chromium + "/Default/Cache/entry"));
    QVERIFY(writeFile(chrome + "/Profile 2/Cache/entry"));
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const QString lock = QString::fromLocal8Bit(host) + "-" + QString::number(::getpid());
    QVERIFY(link(lock, chromium + "/SingletonLock"));
    QVERIFY(link(lock, chrome + "/SingletonLock"));
    testsupport::FakeMessageBoxes boxes;
    privacy::PrivacyCtl privacy([] {});
    Panel p(privacy, boxes);
    p.tick({1, 2, 3});
    p.find<QPushButton>("Button1")->click();
    QCOMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].kind, testsupport::ShownBox::Information);
    QCOMPARE(boxes.shown[0].text, privacy::SkippedBrowsersText.arg("Chromium, Google Chrome"));
    QVERIFY(!p.form->BusyNote()->isVisible());
    QVERIFY(QFileInfo::exists(chromium + "/Default/Cache/entry"));
    // Closed: cleaned, and nothing to tell.
    QVERIFY(QFile::remove(chromium + "/SingletonLock") && QFile::remove(chrome + "/SingletonLock"));
    p.find<QPushButton>("Button1")->click();
    QCOMPARE(int(boxes.shown.size()), 1);
    QVERIFY(!QFileInfo::exists(chromium + "/Default/Cache/entry"));
  }
};

QTEST_MAIN(PrivacyPanelTest)
#include "tst_privacypanel.moc"
