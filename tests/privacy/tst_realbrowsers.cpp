#include <QtTest>

#include <QCheckBox>
#include <QPushButton>
#include <csignal>

#include "browserfixtures.h"
#include "platform/folders.h"
#include "privacy/privacyctl.h"
#include "privacy/privacypanelform.h"
#include "support/fakes.h"
#include "support/pageserver.h"
#include "support/sandbox.h"
#include "treebuilder.h"

using namespace browserfixtures;
using namespace treebuilder;

// The cleaning steps against profiles that the real browsers made and read again: a page served
// here is visited headless, the browser ends, the steps run, and the browser opens the cleaned
// profile once more. A second profile, held by a browser that is still running, stays untouched.
namespace {

// One headless browser; ended with SIGTERM (as a desktop ends it) when the test is done with it.
class Browser {
 public:
  Browser(const QString& program, const QStringList& arguments) {
    process_.setProgram(program);
    process_.setArguments(arguments);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start();
  }
  ~Browser() { end(); }
  bool started() { return process_.waitForStarted(10000); }
  // Waits with the event loop running: the page it needs is served from this thread.
  bool finishes(int ms) {
    QDeadlineTimer deadline(ms);
    while (process_.state() != QProcess::NotRunning && !deadline.hasExpired()) QTest::qWait(100);
    return process_.state() == QProcess::NotRunning;
  }
  void pause() { ::kill(pid_t(process_.processId()), SIGSTOP); }
  void resume() { ::kill(pid_t(process_.processId()), SIGCONT); }
  bool end() {
    if (process_.state() == QProcess::NotRunning) return true;
    resume();
    process_.terminate();
    if (finishes(30000)) return true;
    process_.kill();
    process_.waitForFinished(5000);
    return false;
  }

 private:
  QProcess process_;
};

QStringList firefoxArguments(const QString& profile, const QString& url) {
  return {"--headless", "--no-remote", "--profile", profile, url};
}

// The flags keep it off the network and out of first-run pages; as root it needs --no-sandbox.
QStringList chromiumArguments(const QString& userData, const QString& url) {
  return {"--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
          "--disable-background-networking", "--disable-component-update", "--disable-sync",
          "--no-default-browser-check", "--user-data-dir=" + userData, url};
}

QStringList corruptFiles(const QString& folder) {
  return contents(folder).filter(QStringLiteral("corrupt"), Qt::CaseInsensitive);
}

// Runs the three internet steps as the user does, and gives the boxes shown afterwards.
QStringList runInternetSteps(privacy::PrivacyCtl& privacy) {
  testsupport::FakeShell shell;
  testsupport::FakeMessageBoxes boxes;
  QWidget window;
  auto* form = new privacy::PrivacyPanelForm(&window, {shell, boxes}, &window, privacy);
  form->CreateBusyNote();
  for (const char* box : {"CheckBox1", "CheckBox2", "CheckBox3"}) form->findChild<QCheckBox*>(box)->setChecked(true);
  form->findChild<QPushButton*>("Button1")->click();
  return boxes.texts();
}

const char* const kSchema = "SELECT type, name, sql FROM sqlite_master ORDER BY name";

}  // namespace

class RealBrowsersTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void firefox() {
    const QString program = QStandardPaths::findExecutable("firefox-esr");
    if (program.isEmpty()) QSKIP("firefox-esr is not installed (apt-get install firefox-esr): the Firefox profile test is skipped");
    testsupport::Sandbox sandbox;
    testsupport::PageServer server;
    QVERIFY(server.listening());
    const QString root = platform::homeFolder() + "/.mozilla/firefox";
    const QString cleaned = root + "/a.cleaned";
    const QString held = root + "/b.held";
    QVERIFY(writeProfilesIni(root, {"a.cleaned", "b.held"}));
    QVERIFY(QDir().mkpath(cleaned) && QDir().mkpath(held));

    Browser visit(program, firefoxArguments(cleaned, server.url("page.html?a")));
    Browser running(program, firefoxArguments(held, server.url("page.html?b")));
    QVERIFY(visit.started() && running.started());
    QTRY_VERIFY_WITH_TIMEOUT(server.served("page.html?a") && server.served("page.html?b"), 60000);
    QTest::qWait(3000);  // the visit is written a moment after the page loads, later on a busy machine
    QVERIFY(visit.end());

    const QString places = cleaned + "/places.sqlite";
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_historyvisits v JOIN moz_places p ON p.id = v.place_id "
                          "WHERE p.url LIKE '%page.html?a'"),
             QStringList{"1"});
    // Marks the address bar leaves when the address is typed.
    QVERIFY(runScript(places, "UPDATE moz_places SET typed = 1 WHERE url LIKE '%page.html?a';"
                              "INSERT INTO moz_inputhistory SELECT id, 'pag', 1 FROM moz_places WHERE url LIKE '%page.html?a';"));
    const QStringList bookmarks = rows(places, "SELECT b.guid, b.title, p.url FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.guid");
    QVERIFY(bookmarks.size() > 3);
    const QStringList schema = rows(places, kSchema);
    const QString cache = platform::userCacheHome() + "/mozilla/firefox/a.cleaned/cache2";
    QVERIFY(!contents(cache).isEmpty());

    running.pause();  // still running, but holding still while its files are compared
    const QStringList heldFolders{held, platform::userCacheHome() + "/mozilla/firefox/b.held"};
    const auto heldBefore = snapshot(heldFolders);
    privacy::PrivacyCtl privacy([] {});
    QCOMPARE(runInternetSteps(privacy), QStringList{privacy::SkippedBrowsersText.arg("Firefox")});
    QCOMPARE(snapshot(heldFolders), heldBefore);
    QVERIFY(running.end());

    QCOMPARE(rows(places, "SELECT count(*) FROM moz_historyvisits"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_places WHERE url LIKE '%127.0.0.1%' OR typed <> 0 OR visit_count <> 0"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_inputhistory"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_origins WHERE host LIKE '127.0.0.1%'"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT b.guid, b.title, p.url FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.guid"), bookmarks);
    QCOMPARE(rows(places, kSchema), schema);
    QCOMPARE(rows(places, "PRAGMA integrity_check"), QStringList{"ok"});
    QCOMPARE(contents(cache), QStringList());

    // The browser takes the cleaned profile as its own: no damage declared, bookmarks there, and
    // the new visit recorded.
    Browser again(program, firefoxArguments(cleaned, server.url("page.html?again")));
    QVERIFY(again.started());
    QTRY_VERIFY_WITH_TIMEOUT(server.served("page.html?again"), 60000);
    QTest::qWait(3000);
    QVERIFY(again.end());
    QCOMPARE(corruptFiles(cleaned), QStringList());
    QCOMPARE(rows(places, "SELECT b.guid, b.title, p.url FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.guid"), bookmarks);
    QCOMPARE(rows(places, "SELECT p.url LIKE '%page.html?again' FROM moz_historyvisits v JOIN moz_places p ON p.id = v.place_id"), QStringList{"1"});
  }

  void chromium() {
    const QString program = QStandardPaths::findExecutable("chromium");
    if (program.isEmpty()) QSKIP("chromium is not installed (apt-get install chromium): the Chromium profile test is skipped");
    testsupport::Sandbox sandbox;
    testsupport::PageServer server;
    QVERIFY(server.listening());
    const QString cleaned = platform::userConfigHome() + "/chromium";
    const QString held = platform::homeFolder() + "/.var/app/org.chromium.Chromium/config/chromium";  // a Flatpak's home

    Browser visit(program, chromiumArguments(cleaned, server.url("close.html?a")));
    Browser running(program, chromiumArguments(held, server.url("page.html?b")));
    QVERIFY(visit.started() && running.started());
    QVERIFY2(visit.finishes(60000), "the browser did not close its window");

    const QString history = cleaned + "/Default/History";
    QCOMPARE(rows(history, "SELECT count(*) FROM visits v JOIN urls u ON u.id = v.url WHERE u.url LIKE '%close.html?a' AND u.typed_count > 0"),
             QStringList{"1"});
    // A mark of our own: a database the browser found damaged would be made anew without it.
    QVERIFY(runScript(history, "INSERT INTO meta VALUES ('sieciownik-test', 'kept')"));
    const QString bookmarksFile = cleaned + "/Default/Bookmarks";
    const QByteArray bookmarks = R"({"roots": {"bookmark_bar": {"children": [{"id": "4", "name": "Zakładka", "type": "url", "url": "http://bookmark.example/"}], "id": "1", "name": "Pasek zakładek", "type": "folder"}, "other": {"children": [], "id": "2", "name": "Inne", "type": "folder"}, "synced": {"children": [], "id": "3", "name": "Mobile", "type": "folder"}}, "version": 1})";
    QVERIFY(writeFile(bookmarksFile, bookmarks));
    const QStringList schema = rows(history, kSchema);
    const QString cache = platform::userCacheHome() + "/chromium/Default/Cache";
    QVERIFY(!contents(cache).filter("Cache_Data/").isEmpty());

    QTRY_VERIFY_WITH_TIMEOUT(server.served("page.html?b"), 60000);
    running.pause();
    const QStringList heldFolders{held, platform::homeFolder() + "/.var/app/org.chromium.Chromium/cache"};
    const auto heldBefore = snapshot(heldFolders);
    privacy::PrivacyCtl privacy([] {});
    QCOMPARE(runInternetSteps(privacy), QStringList{privacy::SkippedBrowsersText.arg("Chromium")});
    QCOMPARE(snapshot(heldFolders), heldBefore);
    QVERIFY(running.end());

    QCOMPARE(rows(history, "SELECT count(*) FROM visits"), QStringList{"0"});
    QCOMPARE(rows(history, "SELECT count(*) FROM urls"), QStringList{"0"});
    QCOMPARE(rows(history, kSchema), schema);
    QCOMPARE(rows(history, "PRAGMA integrity_check"), QStringList{"ok"});
    QCOMPARE(fileBytes(bookmarksFile), bookmarks);
    QCOMPARE(contents(cache).filter("Cache_Data/"), QStringList());

    Browser again(program, chromiumArguments(cleaned, server.url("close.html?again")));
    QVERIFY(again.started());
    QVERIFY2(again.finishes(60000), "the browser did not close its window");
    QCOMPARE(corruptFiles(cleaned), QStringList());
    QCOMPARE(rows(history, "SELECT value FROM meta WHERE key = 'sieciownik-test'"), QStringList{"kept"});
    QCOMPARE(rows(history, "SELECT url LIKE '%close.html?again' FROM urls"), QStringList{"1"});
    QVERIFY(fileBytes(bookmarksFile).contains("http://bookmark.example/"));
  }
};

QTEST_MAIN(RealBrowsersTest)
#include "tst_realbrowsers.moc"
