#include <QtTest>

#include "platform/folders.h"
#include "platform/registrystore.h"
#include "privacy/privacyctl.h"
#include "support/sandbox.h"
#include "privacystore.h"
#include "treebuilder.h"

using platform::RootKey;
using platform::StoredValue;
using platform::ValueType;
using namespace privacystore;
using namespace treebuilder;

// The cleaning steps themselves, over a sandbox.
class CleaningStepsTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
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

  // Nothing on Linux writes the run list's key: KRunner's history counts as the key being there.
  void runListAndTheDesktopsHistories() {
    testsupport::Sandbox sandbox;
    sandbox.set("XDG_DATA_DIRS", sandbox.filePath("share"));  // no GNOME Shell here
    const QString krunner = sandbox.home() + "/.config/krunnerstaterc";
    const QByteArray state = "[General]\nhistory=ls,firefox\nSize=3\n[PlasmaRunnerManager]\nhistory[$e]=x\nLaunchCounts=1\n";
    const QByteArray cleared = "[General]\nSize=3\n[PlasmaRunnerManager]\nLaunchCounts=1\n";
    const auto krunnerState = [&krunner] {
      QFile file(krunner);
      return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearRunList();  // neither the key nor a history: nothing written
    QVERIFY(!Store().has(kRunMru));
    QVERIFY(!QFileInfo::exists(krunner));

    QVERIFY(writeFile(krunner, state));
    privacy.ClearRunList();
    QCOMPARE(krunnerState(), cleared);
    QVERIFY(!Store().has(kRunMru));  // the key is not made for it

    QVERIFY(writeFile(krunner, state));
    Store().set(kRunMru, "a", platform::stringValue("notepad\\1"));
    Store().set(kRunMru, "MRUList", platform::stringValue("a"));
    privacy.ClearRunList();
    QCOMPARE(Store().names(kRunMru), QStringList{"MRUList"});
    QCOMPARE(Store().get(kRunMru, "mrulist"), (StoredValue{ValueType::String, QByteArray("\0", 1)}));
    QCOMPARE(krunnerState(), cleared);
  }

  // GNOME Shell's history lives in its settings: where the shell is installed, the run list's step
  // clears it even without the key.
  void gnomeShellForgetsItsCommands() {
    testsupport::Sandbox sandbox;
    const QString bin = sandbox.filePath("bin");
    const QString called = sandbox.filePath("gsettings-called");
    QVERIFY(writeFile(bin + "/gsettings", "#!/bin/sh\necho \"$@\" > '" + QFile::encodeName(called) + "'\n"));
    QVERIFY(QFile::setPermissions(bin + "/gsettings", QFile::ReadOwner | QFile::ExeOwner));
    sandbox.set("PATH", bin + ":" + qEnvironmentVariable("PATH"));
    sandbox.set("XDG_DATA_DIRS", sandbox.filePath("share"));
    privacy::PrivacyCtl privacy([] {});
    privacy.ClearRunList();  // no GNOME Shell installed: gsettings is not asked
    privacy.RefreshShellRunList();
    QTest::qWait(300);
    QVERIFY(!QFileInfo::exists(called));
    QVERIFY(writeFile(sandbox.filePath("share/glib-2.0/schemas/org.gnome.shell.gschema.xml")));
    privacy.ClearRunList();
    QTRY_VERIFY(QFileInfo(called).size() > 0);
    QFile file(called);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("set org.gnome.shell command-history []\n"));
    QVERIFY(!Store().has(kRunMru));
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
};

QTEST_MAIN(CleaningStepsTest)
#include "tst_cleaningsteps.moc"
