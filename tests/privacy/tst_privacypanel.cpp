#include <QtTest>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QDBusConnection>
#include <sqlite3.h>
#include <sys/mount.h>

#include "platform/folders.h"
#include "platform/registrystore.h"
#include "platform/settingsnotice.h"
#include "privacy/privacyctl.h"
#include "privacy/privacypanelform.h"
#include "privacy/tform1.h"
#include "support/fakes.h"
#include "support/sandbox.h"
#include "treebuilder.h"

using platform::RootKey;
using platform::StoredValue;
using platform::ValueType;
using namespace treebuilder;

Q_DECLARE_METATYPE(StoredValue)
Q_DECLARE_METATYPE(std::optional<StoredValue>)

namespace {

const QString kShellFolders = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
const QString kRecentDocs = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs");
const QString kRunMru = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU");
const QString kTypedUrls = QStringLiteral("Software\\Microsoft\\Internet Explorer\\TypedURLs");
const QString kPolicies = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");

struct Option {
  const char* box;
  QString key;
  QString name;
};
const std::map<int, Option> kOptions{
    {9, {"CheckBox9", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete", "AutoSuggest"}},
    {10, {"CheckBox10", "Software\\Microsoft\\Internet Explorer\\Main", "Use FormSuggest"}},
    {11, {"CheckBox11", "Software\\Microsoft\\Internet Explorer\\Main", "FormSuggest Passwords"}},
    {12, {"CheckBox12", "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Cache", "Persistent"}},
    {13, {"CheckBox13", kPolicies, "NoRecentDocsMenu"}},
    {14, {"CheckBox14", kPolicies, "NoRecentDocsHistory"}},
    {15, {"CheckBox15", kPolicies, "ClearRecentDocsOnExit"}},
};

// Reads and writes a root's store file directly, beside the program's own accessor.
struct Store {
  explicit Store(RootKey root = RootKey::CurrentUser) : hive(platform::openSettingsHive(root)) {}
  void set(const QString& key, const QString& name, const StoredValue& value) {
    hive->setValue(*hive->openKey(key, true), name, value);
  }
  std::optional<StoredValue> get(const QString& key, const QString& name) {
    const auto id = hive->openKey(key, false);
    return id ? hive->value(*id, name) : std::nullopt;
  }
  bool has(const QString& key) { return hive->openKey(key, false).has_value(); }
  QStringList names(const QString& key) { return hive->valueNames(*hive->openKey(key, false)); }
  std::unique_ptr<platform::SettingsHive> hive;
};

QByteArray storeBytes() {
  QFile file(platform::settingsStoreFile(RootKey::CurrentUser));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The user's store can be read but not written: a read-only mount as root, the file's rights
// otherwise.
bool makeUserStoreReadOnly() {
  const QString folder = QFileInfo(platform::settingsStoreFile(RootKey::CurrentUser)).path();
  const QByteArray path = QFile::encodeName(folder);
  if (::geteuid() != 0)
    return QFile::setPermissions(platform::settingsStoreFile(RootKey::CurrentUser), QFile::ReadOwner) &&
           QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
  return privateMounts() && ::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) == 0 &&
         ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

// Leaves the store as a copy of the program would that was killed in the middle of a change: the
// file half written and its journal beside it, to be rolled back by the next writer.
bool leaveHotJournal(const QString& file) {
  const QString copy = file + QStringLiteral(".copy");
  sqlite3* db = nullptr;
  const auto close = qScopeGuard([&] { sqlite3_close(db); });
  if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK) return false;
  // A one-page cache spills the change into the file before the transaction ends.
  if (sqlite3_exec(db, "PRAGMA cache_size=1; BEGIN; "
                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                       "INSERT INTO vals(key, name, folded, type, data) SELECT 1, 'v' || i, 'v' || i, 3, zeroblob(500) FROM n",
                   nullptr, nullptr, nullptr) != SQLITE_OK)
    return false;
  if (!QFile::copy(file, copy) || !QFile::copy(file + QStringLiteral("-journal"), copy + QStringLiteral("-journal")))
    return false;
  sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  db = nullptr;
  return QFile::remove(file) && QFile::rename(copy, file) &&
         QFile::rename(copy + QStringLiteral("-journal"), file + QStringLiteral("-journal"));
}

void makeUserStoreWritable() {
  const QString folder = QFileInfo(platform::settingsStoreFile(RootKey::CurrentUser)).path();
  if (::geteuid() == 0) ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QFile::setPermissions(platform::settingsStoreFile(RootKey::CurrentUser), QFile::ReadOwner | QFile::WriteOwner);
}

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

// Listens for the policy notice on a bus of the test's own.
class NoticeListener : public QObject {
  Q_OBJECT
 public Q_SLOTS:
  void SettingChange(const QString& area) { areas << area; }

 public:
  QStringList areas;
};

struct Panel {
  explicit Panel(privacy::PrivacyCtl& privacy, platform::MessageBoxes& boxes)
      : window(), form(new privacy::PrivacyPanelForm(&window, {shell, boxes}, &window, privacy)) {
    window.resize(534, 383);
    form->CreateBusyNote();
  }
  template <class T>
  T* find(const char* name) {
    T* found = form->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) qFatal("no control %s", name);
    return found;
  }
  QCheckBox* box(int number) { return find<QCheckBox>(("CheckBox" + std::to_string(number)).c_str()); }
  void tick(std::initializer_list<int> numbers) {
    for (int n : {1, 2, 3, 4, 5, 6, 7}) box(n)->setChecked(std::find(numbers.begin(), numbers.end(), n) != numbers.end());
  }
  testsupport::FakeShell shell;
  QWidget window;
  privacy::PrivacyPanelForm* form;
};

}  // namespace

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

  // --- The cleaning steps themselves, over a sandbox. ---

  void tempFilesOfBothFolders() {
    testsupport::Sandbox sandbox;
    QVERIFY(writeFile(sandbox.filePath("tmp/a/b.txt")));
    QVERIFY(writeFile(sandbox.machineRoot() + "/var/tmp/c.txt"));
    QVERIFY(writeFile(sandbox.home() + "/keep.txt"));
    privacy::PrivacyCtl privacy([] {});
    privacy.CleanTempFiles();
    QCOMPARE(contents(sandbox.filePath("tmp")), QStringList());
    QCOMPARE(contents(sandbox.machineRoot() + "/var/tmp"), QStringList());
    QVERIFY(QFileInfo::exists(sandbox.home() + "/keep.txt"));
  }

  void recentDocumentsUnderBothRoots() {
    testsupport::Sandbox sandbox;
    const QString recent = sandbox.home() + "/.local/share/RecentDocuments";
    QVERIFY(writeFile(recent + "/report.odt.desktop"));
    Store().set(kRecentDocs + "\\.odt", "0", StoredValue{ValueType::Binary, "x"});
    Store(RootKey::LocalMachine).set(kRecentDocs, "MRUListEx", StoredValue{ValueType::Binary, "x"});
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearRecentDocuments();
    QCOMPARE(contents(recent), QStringList());
    QVERIFY(QFileInfo(recent).isDir());
    QVERIFY(!Store().has(kRecentDocs));
    QVERIFY(!Store(RootKey::LocalMachine).has(kRecentDocs));
    QCOMPARE(privacy.Registry().RootKey(), RootKey::CurrentUser);
    QVERIFY(!privacy.Registry().HasOpenKey());
    // The options still go to the user's root afterwards.
    privacy.SetAutoSuggest(false);
    QCOMPARE(Store().get(kOptions.at(9).key, "AutoSuggest"), platform::stringValue("no"));
  }

  void anEmptyRecentFolderSettingTouchesNoFile() {
    testsupport::Sandbox sandbox;
    Store().set(kShellFolders, "Recent", platform::stringValue(QString()));
    Store().set(kRecentDocs, "x", platform::integerValue(1));
    QVERIFY(writeFile(sandbox.filePath("tmp/keep.txt")));
    const QString current = QDir::currentPath();
    QVERIFY(QDir::setCurrent(sandbox.filePath("tmp")));
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearRecentDocuments();
    QVERIFY(QDir::setCurrent(current));
    QVERIFY(QFileInfo::exists(sandbox.filePath("tmp/keep.txt")));
    QVERIFY(!Store().has(kRecentDocs));
  }

  void typedAddresses() {
    testsupport::Sandbox sandbox;
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearTypedUrls();
    QVERIFY(!Store().has(kTypedUrls));
    Store().set(kTypedUrls, "url1", platform::stringValue("http://a.example/"));
    Store().set(kTypedUrls, "url2", platform::stringValue("http://b.example/"));
    privacy.ClearTypedUrls();
    QVERIFY(Store().has(kTypedUrls));
    QCOMPARE(Store().names(kTypedUrls), QStringList());
  }

  void runListAndTheDesktopsHistories() {
    testsupport::Sandbox sandbox;
    const QString krunner = sandbox.home() + "/.config/krunnerstaterc";
    const QByteArray state = "[General]\nhistory=ls,firefox\nSize=3\n[PlasmaRunnerManager]\nhistory[$e]=x\nLaunchCounts=1\n";
    QVERIFY(writeFile(krunner, state));
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearRunList();  // no run list: nothing written, the desktop left alone
    QVERIFY(!Store().has(kRunMru));
    QCOMPARE(QFile(krunner).size(), qint64(state.size()));

    Store().set(kRunMru, "a", platform::stringValue("notepad\\1"));
    Store().set(kRunMru, "MRUList", platform::stringValue("a"));
    privacy.ClearRunList();
    QCOMPARE(Store().names(kRunMru), QStringList{"MRUList"});
    QCOMPARE(Store().get(kRunMru, "mrulist"), (StoredValue{ValueType::String, QByteArray("\0", 1)}));
    QFile file(krunner);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("[General]\nSize=3\n[PlasmaRunnerManager]\nLaunchCounts=1\n"));
  }

  void gnomeShellForgetsItsCommands() {
    testsupport::Sandbox sandbox;
    const QByteArray oldPath = qgetenv("PATH");
    const QByteArray oldDataDirs = qgetenv("XDG_DATA_DIRS");
    const QString bin = sandbox.filePath("bin");
    const QString called = sandbox.filePath("gsettings-called");
    QVERIFY(writeFile(bin + "/gsettings", "#!/bin/sh\necho \"$@\" > '" + QFile::encodeName(called) + "'\n"));
    QVERIFY(QFile::setPermissions(bin + "/gsettings", QFile::ReadOwner | QFile::ExeOwner));
    qputenv("PATH", QFile::encodeName(bin) + ":" + oldPath);
    qputenv("XDG_DATA_DIRS", QFile::encodeName(sandbox.filePath("share")));
    privacy::PrivacyCtl privacy([] {});
    privacy.RefreshShellRunList();  // no GNOME Shell installed: gsettings is not asked
    QTest::qWait(300);
    QVERIFY(!QFileInfo::exists(called));
    QVERIFY(writeFile(sandbox.filePath("share/glib-2.0/schemas/org.gnome.shell.gschema.xml")));
    privacy.RefreshShellRunList();
    QTRY_VERIFY(QFileInfo(called).size() > 0);
    QFile file(called);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("set org.gnome.shell command-history []\n"));
    qputenv("PATH", oldPath);
    if (oldDataDirs.isNull()) qunsetenv("XDG_DATA_DIRS");
    else qputenv("XDG_DATA_DIRS", oldDataDirs);
  }

  void aRunListThatCannotBeWrittenIsAnError() {
    testsupport::Sandbox sandbox;
    Store().set(kRunMru, "a", platform::stringValue("x"));
    if (!makeUserStoreReadOnly()) QSKIP("cannot make the store read-only here");
    privacy::PrivacyCtl privacy([] {});
    QVERIFY_THROWS_EXCEPTION(platform::ValueError, privacy.ClearRunList());
    QVERIFY(!privacy.Registry().HasOpenKey());
    makeUserStoreWritable();
    QCOMPARE(Store().names(kRunMru), QStringList{"a"});
  }

  void theWebEnginesHistoryAndCache() {
    testsupport::Sandbox sandbox;
    const QString data = platform::webEngineStorageFolder();
    const QString cache = platform::webEngineCacheFolder();
    for (const char* name : {"Visited Links", "History", "History-journal", "Cookies", "Local Storage/leveldb/x"})
      QVERIFY(writeFile(data + "/" + name));
    QVERIFY(writeFile(cache + "/Cache/Cache_Data/index"));
    QVERIFY(data.startsWith(sandbox.home()) && cache.startsWith(sandbox.home()));
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearBrowserHistory();
    QCOMPARE(contents(data), (QStringList{"Cookies", "Local Storage", "Local Storage/leveldb", "Local Storage/leveldb/x"}));
    privacy.ClearUrlCache();
    QCOMPARE(contents(cache), QStringList());
  }

  // --- The seven options. ---

  void optionsShowTheStore_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<std::optional<StoredValue>>("stored");
    QTest::addColumn<bool>("checked");
    const auto text = [](const char* t) { return std::optional<StoredValue>(platform::stringValue(t)); };
    const auto number = [](qint32 n) { return std::optional<StoredValue>(platform::integerValue(n)); };
    const std::optional<StoredValue> none;
    QTest::newRow("9 absent") << 9 << none << true;
    QTest::newRow("9 yes") << 9 << text("yes") << true;
    QTest::newRow("9 YeS") << 9 << text("YeS") << true;
    QTest::newRow("9 no") << 9 << text("no") << false;
    QTest::newRow("9 empty") << 9 << text("") << false;
    QTest::newRow("9 yes!") << 9 << text("yes!") << false;
    QTest::newRow("9 integer") << 9 << number(0) << true;
    QTest::newRow("9 expandable yes") << 9 << std::optional(platform::stringValue("YES", ValueType::ExpandString)) << true;
    QTest::newRow("10 no") << 10 << text("no") << false;
    QTest::newRow("11 binary") << 11 << std::optional(StoredValue{ValueType::Binary, "no"}) << true;
    QTest::newRow("12 absent") << 12 << none << false;
    QTest::newRow("12 zero") << 12 << number(0) << true;
    QTest::newRow("12 one") << 12 << number(1) << false;
    QTest::newRow("12 seven") << 12 << number(7) << false;
    QTest::newRow("12 text") << 12 << text("0") << false;
    QTest::newRow("13 absent") << 13 << none << true;
    QTest::newRow("13 zero") << 13 << number(0) << true;
    QTest::newRow("13 two") << 13 << number(2) << false;
    QTest::newRow("13 text") << 13 << text("1") << true;
    QTest::newRow("14 one") << 14 << number(1) << false;
    QTest::newRow("15 absent") << 15 << none << false;
    QTest::newRow("15 five") << 15 << number(5) << true;
    QTest::newRow("15 zero") << 15 << number(0) << false;
    QTest::newRow("15 text") << 15 << text("1") << false;
  }
  void optionsShowTheStore() {
    QFETCH(int, box);
    QFETCH(std::optional<StoredValue>, stored);
    QFETCH(bool, checked);
    testsupport::Sandbox sandbox;
    const Option& option = kOptions.at(box);
    if (stored) Store().set(option.key, option.name, *stored);
    const QByteArray before = storeBytes();
    int notices = 0;
    privacy::PrivacyCtl privacy([&] { ++notices; });
    testsupport::FakeMessageBoxes boxes;
    Panel p(privacy, boxes);
    p.form->ReadOptions();
    QCOMPARE(p.box(box)->isChecked(), checked);
    // Reading writes nothing, creates no key and sends nothing.
    QCOMPARE(notices, 0);
    if (stored) QCOMPARE(storeBytes(), before);
    else QVERIFY(!Store().has(option.key));
    QVERIFY(!privacy.Registry().HasOpenKey());
  }

  void noKeyAtAllShowsTheDefaults() {
    testsupport::Sandbox sandbox;
    privacy::PrivacyCtl privacy([] {});
    testsupport::FakeMessageBoxes boxes;
    Panel p(privacy, boxes);
    p.form->ReadOptions();
    QList<bool> states;
    for (int n = 9; n <= 15; ++n) states << p.box(n)->isChecked();
    QCOMPARE(states, (QList<bool>{true, true, true, false, true, true, false}));
    QVERIFY(!Store().has(QStringLiteral("Software\\Microsoft\\Internet Explorer")));
    QVERIFY(!Store().has(kPolicies));
  }

  void clicksWriteAtOnce_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<std::optional<StoredValue>>("whenChecked");
    QTest::addColumn<std::optional<StoredValue>>("whenUnchecked");
    QTest::addColumn<int>("noticesPerClick");
    const std::optional<StoredValue> deleted;
    const auto yes = std::optional(platform::stringValue("yes"));
    const auto no = std::optional(platform::stringValue("no"));
    const auto zero = std::optional(platform::integerValue(0));
    const auto one = std::optional(platform::integerValue(1));
    QTest::newRow("9") << 9 << yes << no << 0;
    QTest::newRow("10") << 10 << yes << no << 0;
    QTest::newRow("11") << 11 << yes << no << 0;
    QTest::newRow("12") << 12 << zero << one << 0;
    QTest::newRow("13") << 13 << deleted << one << 1;
    QTest::newRow("14") << 14 << deleted << one << 1;
    QTest::newRow("15") << 15 << one << deleted << 1;
  }
  void clicksWriteAtOnce() {
    QFETCH(int, box);
    QFETCH(std::optional<StoredValue>, whenChecked);
    QFETCH(std::optional<StoredValue>, whenUnchecked);
    QFETCH(int, noticesPerClick);
    testsupport::Sandbox sandbox;
    const Option& option = kOptions.at(box);
    // A value of some other type and spelling is replaced, not kept beside.
    Store().set(option.key, option.name.toUpper(), StoredValue{ValueType::Binary, "old"});
    int notices = 0;
    privacy::PrivacyCtl privacy([&] { ++notices; });
    testsupport::FakeMessageBoxes boxes;
    Panel p(privacy, boxes);
    p.form->ReadOptions();
    QCheckBox* check = p.box(box);
    int clicks = 0;
    for (bool wanted : {true, false, true}) {
      if (check->isChecked() == wanted) {
        QTest::mouseClick(check, Qt::LeftButton);
        ++clicks;
      }
      QTest::mouseClick(check, Qt::LeftButton);
      ++clicks;
      QCOMPARE(check->isChecked(), wanted);
      QCOMPARE(Store().get(option.key, option.name), wanted ? whenChecked : whenUnchecked);
      QVERIFY(!privacy.Registry().HasOpenKey());
    }
    QCOMPARE(notices, clicks * noticesPerClick);
    QVERIFY(boxes.shown.empty());
  }

  void anUnwritableStoreLeavesTheValueAndTheClick() {
    testsupport::Sandbox sandbox;
    Store().set(kOptions.at(9).key, "AutoSuggest", platform::stringValue("yes"));
    Store().set(kOptions.at(12).key, "Persistent", platform::integerValue(0));
    Store().set(kPolicies, "NoRecentDocsMenu", platform::integerValue(1));
    if (!makeUserStoreReadOnly()) QSKIP("cannot make the store read-only here");
    int notices = 0;
    privacy::PrivacyCtl privacy([&] { ++notices; });
    testsupport::FakeMessageBoxes boxes;
    Panel p(privacy, boxes);
    p.form->ReadOptions();
    for (int n : {9, 12, 13, 10, 15}) QTest::mouseClick(p.box(n), Qt::LeftButton);
    QCOMPARE(p.box(9)->isChecked(), false);
    QCOMPARE(p.box(12)->isChecked(), false);
    QCOMPARE(p.box(13)->isChecked(), true);
    QCOMPARE(p.box(10)->isChecked(), false);
    QCOMPARE(p.box(15)->isChecked(), true);
    // Nothing was stored, so the desktop is told nothing, and the user is not bothered.
    QCOMPARE(notices, 0);
    QVERIFY(boxes.shown.empty());
    // The next start shows what is stored.
    privacy::PrivacyCtl again([&] { ++notices; });
    Panel next(again, boxes);
    next.form->ReadOptions();
    QList<bool> states;
    for (int n : {9, 12, 13, 10, 15}) states << next.box(n)->isChecked();
    QCOMPARE(states, (QList<bool>{true, true, false, true, false}));
    makeUserStoreWritable();
    QCOMPARE(Store().get(kOptions.at(9).key, "AutoSuggest"), platform::stringValue("yes"));
    QCOMPARE(Store().get(kOptions.at(12).key, "Persistent"), platform::integerValue(0));
    QCOMPARE(Store().get(kPolicies, "NoRecentDocsMenu"), platform::integerValue(1));
    QCOMPARE(Store().get(kPolicies, "ClearRecentDocsOnExit"), std::nullopt);
    QVERIFY(!Store().has(kOptions.at(10).key));
  }

  void noKeyAndNoRightsSendsNoNotice() {
    testsupport::Sandbox sandbox;
    Store().set(QStringLiteral("Software"), "x", platform::integerValue(1));
    if (!makeUserStoreReadOnly()) QSKIP("cannot make the store read-only here");
    int notices = 0;
    privacy::PrivacyCtl privacy([&] { ++notices; });
    privacy.SetRecentDocsMenu(false);
    privacy.SetClearRecentDocsOnExit(true);
    QCOMPARE(notices, 0);
    makeUserStoreWritable();
    QVERIFY(!Store().has(kPolicies));
  }

  void thePolicyNoticeGoesOverTheSessionBus() {
    testsupport::Sandbox sandbox;
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) QSKIP("no dbus-daemon");
    const QString address = QStringLiteral("unix:path=") + sandbox.filePath("bus");
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                 QStringLiteral("--address=") + address});
    QVERIFY(daemon.waitForStarted());
    QTRY_VERIFY(QFileInfo::exists(sandbox.filePath("bus")));
    const QByteArray oldAddress = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    QDBusConnection listenerBus = QDBusConnection::connectToBus(address, QStringLiteral("listener"));
    QVERIFY(listenerBus.isConnected());
    NoticeListener listener;
    QVERIFY(listenerBus.connect(QString(), QStringLiteral("/org/sieciownik/Settings"), QStringLiteral("org.sieciownik.Settings"),
                                QStringLiteral("SettingChange"), &listener, SLOT(SettingChange(QString))));
    privacy::PrivacyCtl privacy;
    privacy.SetRecentDocsHistory(false);
    QTRY_COMPARE(listener.areas, QStringList{QStringLiteral("Policy")});
    privacy.SetAutoSuggest(false);  // not a policy: no notice
    QTest::qWait(200);
    QCOMPARE(listener.areas.size(), 1);
    QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
    daemon.kill();
    daemon.waitForFinished();
    if (oldAddress.isNull()) qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    else qputenv("DBUS_SESSION_BUS_ADDRESS", oldAddress);
  }

  // A store that cannot be read just now, for any reason, is not a reason to end the program: the
  // boxes show their defaults and one message says why.
  void anUnreadableStoreAtStartShowsTheDefaultsAndOneMessage_data() {
    QTest::addColumn<bool>("busy");
    QTest::newRow("left half-written where it cannot be repaired") << false;
    QTest::newRow("held by another program beyond the wait") << true;
  }
  void anUnreadableStoreAtStartShowsTheDefaultsAndOneMessage() {
    QFETCH(bool, busy);
    testsupport::Sandbox sandbox;
    Store().set(kOptions.at(9).key, "AutoSuggest", platform::stringValue("no"));
    Store().set(kOptions.at(12).key, "Persistent", platform::integerValue(0));
    const QString file = platform::settingsStoreFile(RootKey::CurrentUser);
    sqlite3* holder = nullptr;
    const auto release = qScopeGuard([&] { sqlite3_close(holder); });
    if (busy) {
      QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &holder), SQLITE_OK);
      QCOMPARE(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    } else {
      QVERIFY(leaveHotJournal(file));
      if (!makeUserStoreReadOnly()) QSKIP("cannot make the store read-only here");
    }
    privacy::PrivacyCtl privacy([] {});
    testsupport::FakeMessageBoxes boxes;
    Panel p(privacy, boxes);
    p.form->ReadOptions();
    QList<bool> states;
    for (int n = 9; n <= 15; ++n) states << p.box(n)->isChecked();
    QCOMPARE(states, (QList<bool>{true, true, true, false, true, true, false}));
    QTRY_COMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].kind, testsupport::ShownBox::GeneralError);
    QVERIFY2(boxes.shown[0].text.startsWith(QStringLiteral("Nie można odczytać ustawień prywatności")),
             qPrintable(boxes.shown[0].text));
    QVERIFY2(boxes.shown[0].text.contains(busy ? QStringLiteral("zajęty") : QStringLiteral("Brak prawa zapisu")),
             qPrintable(boxes.shown[0].text));
    QVERIFY(!privacy.Registry().HasOpenKey());
    if (!busy) makeUserStoreWritable();
  }

  void aDamagedStoreIsReportedOnceAtStart() {
    testsupport::Sandbox sandbox;
    QVERIFY(writeFile(platform::settingsStoreFile(RootKey::CurrentUser), QByteArray(2048, 'z')));
    privacy::PrivacyCtl privacy([] {});
    testsupport::FakeMessageBoxes boxes;
    Panel p(privacy, boxes);
    p.form->ReadOptions();
    QVERIFY(p.box(9)->isChecked());
    QVERIFY(!p.box(12)->isChecked());
    QTRY_COMPARE(int(boxes.shown.size()), 1);
    QCOMPARE(boxes.shown[0].kind, testsupport::ShownBox::GeneralError);
    QVERIFY(boxes.shown[0].text.contains(QStringLiteral("uszkodzony")));
    QTest::mouseClick(p.box(9), Qt::LeftButton);
    QCOMPARE(int(boxes.shown.size()), 2);
  }
};

QTEST_MAIN(PrivacyPanelTest)
#include "tst_privacypanel.moc"
