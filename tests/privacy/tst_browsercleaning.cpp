#include <QtTest>

#include <QXmlStreamReader>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "browserfixtures.h"
#include "hotjournal.h"
#include "platform/folders.h"
#include "privacy/browsers/profiles.h"
#include "privacy/privacyctl.h"
#include "privacy/recentlyused.h"
#include "support/sandbox.h"
#include "treebuilder.h"

using namespace browserfixtures;
using namespace treebuilder;

namespace {

const char* const kPlacesState =
    "SELECT group_concat(id || ':' || visit_count || ':' || typed || ':' || ifnull(last_visit_date, '-'), ' ') FROM moz_places";

QString firefoxRoot() { return platform::homeFolder() + "/.mozilla/firefox"; }
QString chromiumRoot() { return platform::userConfigHome() + "/chromium"; }

QString hostName() {
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  return QString::fromLocal8Bit(host);
}

// A lock on the file as another program would hold it (locks of one's own process do not show).
class HeldLock {
 public:
  explicit HeldLock(const QString& file) : fd_(::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT, 0644)) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    held_ = fd_ >= 0 && ::fcntl(fd_, F_OFD_SETLK, &lock) == 0;
  }
  ~HeldLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool held() const { return held_; }

 private:
  int fd_;
  bool held_ = false;
};

// A process id that no process has any more.
pid_t endedProcess() {
  QProcess process;
  process.start("true", {});
  process.waitForFinished();
  return pid_t(process.processId());
}

}  // namespace

class BrowserCleaningTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void firefoxHistoryKeepsWhatBookmarksKeywordsAndAnnotationsNeed() {
    testsupport::Sandbox sandbox;
    const QString profile = firefoxRoot() + "/abc.default-esr";
    QVERIFY(writeProfilesIni(firefoxRoot(), {"abc.default-esr"}));
    QVERIFY(makeFirefoxProfile(profile));
    const QString places = profile + "/places.sqlite";
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearBrowserHistory();
    QCOMPARE(rows(places, kPlacesState), QStringList{"2:0:1:- 3:0:0:- 4:0:0:-"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_historyvisits"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_historyvisits_extra"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_inputhistory"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_places_metadata"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_places_metadata_search_queries"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_places_extra"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT id, host, recalc_frecency FROM moz_origins"), QStringList{"2|kept.example|1"});
    QCOMPARE(rows(places, "SELECT id, fk, title FROM moz_bookmarks"), (QStringList{"1||", "2|2|Zakładka"}));
    QCOMPARE(rows(places, "SELECT keyword, place_id FROM moz_keywords"), QStringList{"kw|3"});
    QCOMPARE(rows(places, "PRAGMA integrity_check"), QStringList{"ok"});
    QCOMPARE(rows(places, "PRAGMA journal_mode"), QStringList{"wal"});
    QVERIFY(privacy.TakeSkippedBrowsers().isEmpty());
  }

  void firefoxTypedMarksGoAndVisitsStay() {
    testsupport::Sandbox sandbox;
    const QString profile = firefoxRoot() + "/abc.default-esr";
    QVERIFY(writeProfilesIni(firefoxRoot(), {"abc.default-esr"}));
    QVERIFY(makeFirefoxProfile(profile));
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearTypedUrls();
    const QString places = profile + "/places.sqlite";
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_places WHERE typed <> 0"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_inputhistory"), QStringList{"0"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_historyvisits"), QStringList{"5"});
    QCOMPARE(rows(places, "SELECT count(*) FROM moz_places"), QStringList{"4"});
  }

  void chromiumHistoryTypedAndPredictions() {
    testsupport::Sandbox sandbox;
    const QString first = chromiumRoot() + "/Default";
    const QString second = chromiumRoot() + "/Profile 3";
    const QString guest = chromiumRoot() + "/Guest Profile";
    for (const QString& profile : {first, second, guest}) QVERIFY(makeChromiumProfile(profile));
    const QByteArray guestHistory = fileBytes(guest + "/History");
    privacy::PrivacyCtl privacy([] {});

    privacy.ClearTypedUrls();
    for (const QString& profile : {first, second}) {
      QCOMPARE(rows(profile + "/History", "SELECT group_concat(typed_count) FROM urls"), QStringList{"0,0"});
      QCOMPARE(rows(profile + "/History", "SELECT count(*) FROM visits"), QStringList{"3"});
      QCOMPARE(rows(profile + "/Network Action Predictor", "SELECT count(*) FROM network_action_predictor"), QStringList{"0"});
      QCOMPARE(rows(profile + "/Shortcuts", "SELECT count(*) FROM omni_box_shortcuts"), QStringList{"0"});
      QCOMPARE(rows(profile + "/Shortcuts", "SELECT value FROM meta"), QStringList{"1"});
    }

    privacy.ClearBrowserHistory();
    for (const QString& profile : {first, second}) {
      const QString history = profile + "/History";
      for (const char* table : {"urls", "visits", "visit_source", "keyword_search_terms", "segments", "segment_usage",
                                "visited_links", "context_annotations"})
        QCOMPARE(rows(history, QByteArray("SELECT count(*) FROM ") + table), QStringList{"0"});
      QCOMPARE(rows(history, "SELECT url FROM downloads_url_chains"), QStringList{"http://visited.example/plik.zip"});
      QCOMPARE(rows(history, "SELECT key, value FROM meta ORDER BY key"), (QStringList{"last_compatible_version|16", "version|70"}));
      QCOMPARE(rows(history, "PRAGMA integrity_check"), QStringList{"ok"});
      QCOMPARE(rows(profile + "/Top Sites", "SELECT count(*) FROM top_sites"), QStringList{"0"});
      QVERIFY(!QFileInfo::exists(profile + "/Visited Links"));
    }
    // Not a profile the user browses with.
    QCOMPARE(fileBytes(guest + "/History"), guestHistory);
    QVERIFY(QFileInfo::exists(guest + "/Visited Links"));
  }

  void cachesAreEmptiedAndTheirFoldersStay() {
    testsupport::Sandbox sandbox;
    QVERIFY(writeProfilesIni(firefoxRoot(), {"abc.default"}));
    const QString firefoxCache = platform::userCacheHome() + "/mozilla/firefox/abc.default/cache2";
    QVERIFY(writeFile(firefoxCache + "/entries/0A1B"));
    QVERIFY(writeFile(firefoxRoot() + "/abc.default/prefs.js"));
    QVERIFY(writeFile(platform::userCacheHome() + "/mozilla/firefox/abc.default/startupCache/startupCache.8.little"));
    const QString chromiumCache = platform::userCacheHome() + "/chromium/Default";
    for (const char* folder : {"Cache/Cache_Data/index", "Code Cache/js/index"}) QVERIFY(writeFile(chromiumCache + "/" + folder));
    QVERIFY(writeFile(chromiumRoot() + "/Default/GPUCache/data_0"));
    QVERIFY(writeFile(chromiumRoot() + "/Default/Local Storage/leveldb/000003.log"));
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearUrlCache();
    QCOMPARE(contents(firefoxCache), QStringList());
    QVERIFY(QFileInfo::exists(firefoxRoot() + "/abc.default/prefs.js"));
    QVERIFY(QFileInfo::exists(platform::userCacheHome() + "/mozilla/firefox/abc.default/startupCache/startupCache.8.little"));
    QCOMPARE(contents(chromiumCache), (QStringList{"Cache", "Code Cache"}));
    QCOMPARE(contents(chromiumRoot() + "/Default/GPUCache"), QStringList());
    QVERIFY(QFileInfo::exists(chromiumRoot() + "/Default/Local Storage/leveldb/000003.log"));
  }

  // Where Snap and Flatpak put the profiles and caches of the same browsers.
  void snapAndFlatpakHomes_data() {
    QTest::addColumn<QString>("profilesRoot");
    QTest::addColumn<QString>("profile");
    QTest::addColumn<QString>("cache");
    QTest::addColumn<bool>("firefox");
    QTest::newRow("Firefox Snap") << "snap/firefox/common/.mozilla/firefox" << "x.default"
                                  << "snap/firefox/common/.cache/mozilla/firefox/x.default/cache2" << true;
    QTest::newRow("Firefox Flatpak") << ".var/app/org.mozilla.firefox/.mozilla/firefox" << "y.default-release"
                                     << ".var/app/org.mozilla.firefox/cache/mozilla/firefox/y.default-release/cache2" << true;
    QTest::newRow("Firefox Flatpak, XDG layout") << ".var/app/org.mozilla.firefox/config/mozilla/firefox" << "z.default"
                                                 << ".var/app/org.mozilla.firefox/cache/mozilla/firefox/z.default/cache2" << true;
    QTest::newRow("Chromium Snap") << "snap/chromium/common/chromium" << "Default"
                                   << "snap/chromium/common/.cache/chromium/Default/Cache" << false;
    QTest::newRow("Chromium Flatpak") << ".var/app/org.chromium.Chromium/config/chromium" << "Profile 1"
                                      << ".var/app/org.chromium.Chromium/cache/chromium/Profile 1/Code Cache" << false;
    QTest::newRow("Brave Flatpak") << ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser" << "Default"
                                   << ".var/app/com.brave.Browser/cache/BraveSoftware/Brave-Browser/Default/Cache" << false;
    QTest::newRow("Chrome Flatpak") << ".var/app/com.google.Chrome/config/google-chrome" << "Default"
                                    << ".var/app/com.google.Chrome/config/google-chrome/Default/GPUCache" << false;
  }
  void snapAndFlatpakHomes() {
    QFETCH(QString, profilesRoot);
    QFETCH(QString, profile);
    QFETCH(QString, cache);
    QFETCH(bool, firefox);
    testsupport::Sandbox sandbox;
    const QString root = sandbox.home() + "/" + profilesRoot;
    if (firefox) {
      QVERIFY(writeProfilesIni(root, {profile}));
      QVERIFY(makeFirefoxProfile(root + "/" + profile));
    } else {
      QVERIFY(makeChromiumProfile(root + "/" + profile));
    }
    const QString cacheFolder = sandbox.home() + "/" + cache;
    QVERIFY(writeFile(cacheFolder + "/entry"));
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearBrowserHistory();
    privacy.ClearUrlCache();
    if (firefox) QCOMPARE(rows(root + "/" + profile + "/places.sqlite", "SELECT count(*) FROM moz_historyvisits"), QStringList{"0"});
    else QCOMPARE(rows(root + "/" + profile + "/History", "SELECT count(*) FROM visits"), QStringList{"0"});
    QCOMPARE(contents(cacheFolder), QStringList());
    QVERIFY(QFileInfo(cacheFolder).isDir());
  }

  void profilesIniEntries() {
    const QByteArray ini =
        "[Install4F96D1932A9F858E]\nDefault=inst.default\nLocked=1\n\n"
        "[Profile1]\nName=relative\nIsRelative=1\nPath=Profiles/a.default\n\n"
        "[Profile0]\r\nName=absolute\r\nIsRelative=0\r\nPath=/data/ff/b.work\r\nDefault=1\r\n\n"
        "[Profile2]\nName=no flag means absolute\nPath=/data/ff/c\n"
        "[Profile3]\nName=again\nIsRelative=1\nPath=Profiles/a.default\n"
        "[Profile4]\nName=no path\nIsRelative=1\n"
        "[General]\nPath=general-is-not-a-profile\nIsRelative=1\n";
    QCOMPARE(privacy::browsers::profilesListedIn(ini, "/home/u/.mozilla/firefox"),
             (QStringList{"/home/u/.mozilla/firefox/Profiles/a.default", "/data/ff/b.work", "/data/ff/c"}));
  }

  // Whatever SQLite cannot safely change, or the program does not know, stays byte for byte.
  void databasesLeftAsTheyWere_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("busy") << "busy";
    QTest::newRow("damaged") << "damaged";
    QTest::newRow("not a database") << "garbage";
    QTest::newRow("unknown schema") << "schema";
    QTest::newRow("a change left unfinished in its journal") << "hot journal";
    QTest::newRow("database is a link") << "link";
    QTest::newRow("journal is a link") << "journal link";
    QTest::newRow("profile folder is a link") << "folder link";
  }
  void databasesLeftAsTheyWere() {
    QFETCH(QString, kind);
    testsupport::Sandbox sandbox;
    const QString profile = firefoxRoot() + "/abc.default";
    const QString places = profile + "/places.sqlite";
    const QString elsewhere = sandbox.filePath("elsewhere");
    QVERIFY(writeProfilesIni(firefoxRoot(), {"abc.default"}));
    QVERIFY(makeFirefoxProfile(kind.contains("link") ? elsewhere : profile));
    QVERIFY(QDir().mkpath(profile));
    sqlite3* holder = nullptr;
    if (kind == "busy") {
      QCOMPARE(sqlite3_open(QFile::encodeName(places).constData(), &holder), SQLITE_OK);
      QCOMPARE(sqlite3_exec(holder, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    } else if (kind == "damaged") {
      QByteArray content = fileBytes(places);
      content.replace(4096 * 3, 16, QByteArray(16, '\x5a'));  // a table page's header
      QVERIFY(writeFile(places, content));
    } else if (kind == "garbage") {
      QVERIFY(writeFile(places, QByteArray(8192, 'g')));
    } else if (kind == "hot journal") {
      QVERIFY(runScript(places, "PRAGMA journal_mode = DELETE; CREATE TABLE filler(x)"));
      QVERIFY(leaveHotJournal(places, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                                      "INSERT INTO filler SELECT zeroblob(500) FROM n"));
      QVERIFY(QFileInfo(places + "-journal").size() > 0);
    } else if (kind == "schema") {
      QVERIFY(runScript(places, "ALTER TABLE moz_inputhistory RENAME COLUMN input TO text"));
    } else if (kind == "link") {
      QVERIFY(link(elsewhere + "/places.sqlite", places));
    } else if (kind == "journal link") {
      QVERIFY(QFile::copy(elsewhere + "/places.sqlite", places));
      QVERIFY(writeFile(elsewhere + "/wal"));
      QVERIFY(link(elsewhere + "/wal", places + "-wal"));
    } else if (kind == "folder link") {
      QVERIFY(QDir(profile).removeRecursively());
      QVERIFY(link(elsewhere, profile));
    }
    const auto before = snapshot({profile});
    const auto elsewhereBefore = snapshot({elsewhere});
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearBrowserHistory();
    privacy.ClearTypedUrls();
    QCOMPARE(snapshot({profile}).keys(), before.keys());
    QCOMPARE(snapshot({profile}), before);
    QCOMPARE(snapshot({elsewhere}), elsewhereBefore);
    if (holder != nullptr) sqlite3_close(holder);
    // What another program holds, or left half done, is its to finish: the user is asked to close it.
    const bool held = kind == "busy" || kind == "hot journal";
    QCOMPARE(privacy.TakeSkippedBrowsers(), held ? QStringList{"Firefox"} : QStringList());
  }

  // A Flatpak browser numbers its processes in its own sandbox: its lock counts as held whatever
  // process of this system the number names. A pipe standing for a profile list blocks nothing.
  void sandboxedLocksAndOddFiles() {
    testsupport::Sandbox sandbox;
    const QString flatpak = sandbox.home() + "/.var/app/org.chromium.Chromium/config/chromium";
    QVERIFY(makeChromiumProfile(flatpak + "/Default"));
    QVERIFY(link(hostName() + "-" + QString::number(endedProcess()), flatpak + "/SingletonLock"));
    QVERIFY(QDir().mkpath(firefoxRoot()));
    QCOMPARE(::mkfifo(QFile::encodeName(firefoxRoot() + "/profiles.ini").constData(), 0600), 0);
    const auto before = snapshot({flatpak});
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearBrowserHistory();
    QCOMPARE(privacy.TakeSkippedBrowsers(), QStringList{"Chromium"});
    QCOMPARE(snapshot({flatpak}), before);
  }

  void runningBrowsersAreLeftAloneAndNamed() {
    testsupport::Sandbox sandbox;
    const QString firefoxHeld = firefoxRoot() + "/held.default";
    const QString firefoxLinked = firefoxRoot() + "/linked.default";
    const QString firefoxFree = firefoxRoot() + "/free.default";
    QVERIFY(writeProfilesIni(firefoxRoot(), {"held.default", "linked.default", "free.default"}));
    for (const QString& profile : {firefoxHeld, firefoxLinked, firefoxFree}) QVERIFY(makeFirefoxProfile(profile));
    HeldLock lock(firefoxHeld + "/.parentlock");
    QVERIFY(lock.held());
    QVERIFY(link("127.0.0.1:+" + QString::number(::getpid()), firefoxLinked + "/lock"));
    QVERIFY(link("127.0.0.1:+" + QString::number(endedProcess()), firefoxFree + "/lock"));

    // Chromium: running here, running on another machine, and a lock left by a browser that ended.
    const QString chrome = platform::userConfigHome() + "/google-chrome";
    const QString brave = platform::userConfigHome() + "/BraveSoftware/Brave-Browser";
    for (const QString& profile : {chromiumRoot() + "/Default", chromiumRoot() + "/Profile 1", chrome + "/Default", brave + "/Default"})
      QVERIFY(makeChromiumProfile(profile));
    QVERIFY(link(hostName() + "-" + QString::number(::getpid()), chromiumRoot() + "/SingletonLock"));
    QVERIFY(link("another-machine-" + QString::number(::getpid()), chrome + "/SingletonLock"));
    QVERIFY(link(hostName() + "-" + QString::number(endedProcess()), brave + "/SingletonLock"));
    QVERIFY(writeFile(chromiumRoot() + "/Default/Cache/entry"));

    const QStringList untouched{firefoxHeld, firefoxLinked, chromiumRoot(), chrome};
    const auto before = snapshot(untouched);
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearBrowserHistory();
    privacy.ClearUrlCache();
    privacy.ClearTypedUrls();
    QCOMPARE(privacy.TakeSkippedBrowsers(), (QStringList{"Firefox", "Chromium", "Google Chrome"}));
    QVERIFY(privacy.TakeSkippedBrowsers().isEmpty());
    QCOMPARE(snapshot(untouched), before);
    QCOMPARE(rows(firefoxFree + "/places.sqlite", "SELECT count(*) FROM moz_historyvisits"), QStringList{"0"});
    QCOMPARE(rows(brave + "/Default/History", "SELECT count(*) FROM visits"), QStringList{"0"});
  }

  void recentlyUsedListBecomesAValidEmptyList() {
    testsupport::Sandbox sandbox;
    const QString list = platform::userDataHome() + "/recently-used.xbel";
    QVERIFY(writeFile(list,
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\" "
                      "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\">\n"
                      "<bookmark href=\"file:///home/u/tajne.odt\" added=\"2024-01-01T00:00:00Z\"/>\n</xbel>\n"));
    QVERIFY(QFile::setPermissions(list, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearRecentDocuments();
    QCOMPARE(fileBytes(list), privacy::kEmptyRecentlyUsedList);
    QCOMPARE(QFile::permissions(list), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
    QXmlStreamReader xml(fileBytes(list));
    QStringList elements;
    while (!xml.atEnd())
      if (xml.readNext() == QXmlStreamReader::StartElement) elements << xml.name().toString();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(elements, QStringList{"xbel"});
    QCOMPARE(contents(platform::userDataHome()), QStringList{"recently-used.xbel"});  // no temporary file left
  }

  void recentlyUsedListLeftAlone_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("absent") << "absent";
    QTest::newRow("a link") << "link";
    QTest::newRow("read-only") << "read-only";
    QTest::newRow("a folder") << "folder";
  }
  void recentlyUsedListLeftAlone() {
    QFETCH(QString, kind);
    testsupport::Sandbox sandbox;
    const QString list = platform::userDataHome() + "/recently-used.xbel";
    const QString target = sandbox.filePath("target.xbel");
    QVERIFY(writeFile(target, "<xbel version=\"1.0\"><bookmark href=\"file:///x\"/></xbel>"));
    if (kind == "link") QVERIFY(link(target, list));
    if (kind == "read-only") {
      QVERIFY(QFile::copy(target, list));
      QVERIFY(QFile::setPermissions(list, QFile::ReadOwner));
    }
    if (kind == "folder") QVERIFY(QDir().mkpath(list));
    const auto before = snapshot({platform::userDataHome()});
    QVERIFY(!privacy::emptyRecentlyUsedList(platform::userDataHome()));
    QCOMPARE(snapshot({platform::userDataHome()}), before);
    QCOMPARE(fileBytes(target), QByteArray("<xbel version=\"1.0\"><bookmark href=\"file:///x\"/></xbel>"));
  }

  void theRunningWebEngineIsClearedThroughItsOwnCalls() {
    testsupport::Sandbox sandbox;
    const QString data = platform::webEngineStorageFolder();
    QVERIFY(writeFile(data + "/Visited Links"));
    QVERIFY(writeFile(platform::webEngineCacheFolder() + "/Cache/Cache_Data/index"));
    QStringList calls;
    privacy::PrivacyCtl privacy([] {});
    privacy.SetEmbeddedBrowser({[&] { calls << "history"; return true; }, [&] { calls << "cache"; return true; }});
    privacy.ClearBrowserHistory();
    privacy.ClearUrlCache();
    QCOMPARE(calls, (QStringList{"history", "cache"}));
    QVERIFY(QFileInfo::exists(data + "/Visited Links"));
    QVERIFY(QFileInfo::exists(platform::webEngineCacheFolder() + "/Cache/Cache_Data/index"));
    // Not running: its files go.
    privacy.SetEmbeddedBrowser({[] { return false; }, [] { return false; }});
    privacy.ClearBrowserHistory();
    privacy.ClearUrlCache();
    QVERIFY(!QFileInfo::exists(data + "/Visited Links"));
    QCOMPARE(contents(platform::webEngineCacheFolder()), QStringList());
  }
};

QTEST_MAIN(BrowserCleaningTest)
#include "tst_browsercleaning.moc"
