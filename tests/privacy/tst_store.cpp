#include <QtTest>

#include <cstdio>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/folders.h"
#include "platform/registrystore.h"
#include "privacy/privacyregistry.h"
#include "support/sandbox.h"
#include "support/filebytes.h"

using platform::RootKey;
using platform::StoredValue;
using platform::ValueType;
using privacy::PrivacyRegistry;

Q_DECLARE_METATYPE(StoredValue)

namespace {

const QString kMain = QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main");

// Runs check in a child process, as an ordinary user when we are root; its exit code is what the
// child found wrong (0 for nothing).
int inChild(const std::function<int()>& check) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0)) _exit(100);
    // An error must end the child here, never unwind into the test runner it was forked from.
    try {
      _exit(check());
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
      _exit(201);
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

}  // namespace

class StoreTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void namesInAnyLetterCaseKeepTheirFirstSpelling() {
    testsupport::Sandbox sandbox;
    PrivacyRegistry registry;
    QVERIFY(registry.OpenKey(kMain, true));
    registry.WriteString(QStringLiteral("Use FormSuggest"), QStringLiteral("yes"));
    QVERIFY(registry.OpenKey(QStringLiteral("SOFTWARE\\microsoft\\INTERNET explorer\\main"), false));
    QVERIFY(registry.ValueExists(QStringLiteral("USE FORMSUGGEST")));
    QCOMPARE(registry.ReadString(QStringLiteral("use formsuggest")), QStringLiteral("yes"));
    registry.WriteString(QStringLiteral("USE formsuggest"), QStringLiteral("no"));
    QCOMPARE(registry.GetValueNames(), QStringList{QStringLiteral("Use FormSuggest")});
    QCOMPARE(registry.ReadString(QStringLiteral("Use FormSuggest")), QStringLiteral("no"));
    // Polish letters fold too.
    QVERIFY(registry.OpenKey(QStringLiteral("Software\\Zażółć"), true));
    QVERIFY(registry.OpenKey(QStringLiteral("software\\ZAŻÓŁĆ"), false));
    // One key, not two, whatever spelling created it.
    platform::SettingsHive hive(platform::settingsStoreFile(RootKey::CurrentUser));
    const auto software = hive.openKey(QStringLiteral("software"), false);
    QVERIFY(software);
    QCOMPARE(hive.subKeyNames(*software), (QStringList{QStringLiteral("Microsoft"), QStringLiteral("Zażółć")}));
    QVERIFY(registry.DeleteValue(QStringLiteral("Missing")) == false);
    registry.CloseKey();
  }

  void readersFollowTheTypeRules_data() {
    QTest::addColumn<StoredValue>("stored");
    QTest::addColumn<bool>("textReadable");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("integerReadable");
    QTest::addColumn<int>("integer");
    QTest::newRow("string") << platform::stringValue(QStringLiteral("yes")) << true << "yes" << false << 0;
    QTest::newRow("expandable") << platform::stringValue(QStringLiteral("%HOME%/x"), ValueType::ExpandString) << true
                                << "%HOME%/x" << false << 0;
    QTest::newRow("text up to the first zero")
        << StoredValue{ValueType::String, QByteArray("ab\0cd\0", 6)} << true << "ab" << false << 0;
    QTest::newRow("no terminating zero") << StoredValue{ValueType::String, QByteArray("abc")} << true << "abc" << false << 0;
    QTest::newRow("empty string") << platform::stringValue(QString()) << true << "" << false << 0;
    QTest::newRow("integer") << platform::integerValue(-7) << false << "" << true << -7;
    QTest::newRow("integer zero") << platform::integerValue(0) << false << "" << true << 0;
    QTest::newRow("short integer") << StoredValue{ValueType::Integer32, QByteArray(2, '\1')} << false << "" << false << 0;
    QTest::newRow("big-endian integer") << StoredValue{ValueType::Integer32BigEndian, QByteArray(4, '\0')} << false << ""
                                        << false << 0;
    QTest::newRow("64-bit integer") << StoredValue{ValueType::Integer64, QByteArray(8, '\0')} << false << "" << false << 0;
    QTest::newRow("binary") << StoredValue{ValueType::Binary, QByteArray("yes")} << false << "" << false << 0;
    QTest::newRow("multi-string") << StoredValue{ValueType::MultiString, QByteArray("a\0\0", 3)} << false << "" << false
                                  << 0;
    QTest::newRow("none") << StoredValue{ValueType::None, QByteArray()} << false << "" << false << 0;
  }
  void readersFollowTheTypeRules() {
    QFETCH(StoredValue, stored);
    QFETCH(bool, textReadable);
    QFETCH(QString, text);
    QFETCH(bool, integerReadable);
    QFETCH(int, integer);
    testsupport::Sandbox sandbox;
    {
      platform::SettingsHive hive(platform::settingsStoreFile(RootKey::CurrentUser));
      hive.setValue(*hive.openKey(kMain, true), QStringLiteral("V"), stored);
    }
    PrivacyRegistry registry;
    QVERIFY(registry.OpenKey(kMain, false));
    QVERIFY(registry.ValueExists(QStringLiteral("v")));
    if (textReadable) QCOMPARE(registry.ReadString(QStringLiteral("v")), text);
    else QVERIFY_THROWS_EXCEPTION(platform::ValueError, registry.ReadString(QStringLiteral("v")));
    if (integerReadable) QCOMPARE(registry.ReadInteger(QStringLiteral("v")), integer);
    else QVERIFY_THROWS_EXCEPTION(platform::ValueError, registry.ReadInteger(QStringLiteral("v")));
    // A missing value: empty text, but no integer.
    QVERIFY(!registry.ValueExists(QStringLiteral("w")));
    QCOMPARE(registry.ReadString(QStringLiteral("w")), QString());
    QVERIFY_THROWS_EXCEPTION(platform::ValueError, registry.ReadInteger(QStringLiteral("w")));
  }

  void writesStoreTheirTypes() {
    testsupport::Sandbox sandbox;
    PrivacyRegistry registry;
    QVERIFY(registry.OpenKey(kMain, true));
    registry.WriteString(QStringLiteral("T"), QStringLiteral("tak"));
    registry.WriteInteger(QStringLiteral("I"), 0x01020304);
    registry.WriteInteger(QStringLiteral("T2"), 1);
    registry.WriteString(QStringLiteral("T2"), QStringLiteral("no"));  // a new type replaces the old one
    registry.CloseKey();
    platform::SettingsHive hive(platform::settingsStoreFile(RootKey::CurrentUser));
    const auto key = *hive.openKey(kMain, false);
    QCOMPARE(*hive.value(key, QStringLiteral("t")), (StoredValue{ValueType::String, QByteArray("tak\0", 4)}));
    QCOMPARE(*hive.value(key, QStringLiteral("i")), (StoredValue{ValueType::Integer32, QByteArray("\4\3\2\1", 4)}));
    QCOMPARE(*hive.value(key, QStringLiteral("t2")), (StoredValue{ValueType::String, QByteArray("no\0", 3)}));
    QCOMPARE(hive.valueNames(key), (QStringList{"T", "I", "T2"}));
  }

  void openingResolvesUnderTheRootAndClosesTheOpenKey() {
    testsupport::Sandbox sandbox;
    PrivacyRegistry registry;
    QVERIFY(registry.OpenKey(QStringLiteral("Software\\A"), true));
    // The path is never taken relative to the open key.
    QVERIFY(!registry.OpenKey(QStringLiteral("B"), false));
    QVERIFY(!registry.HasOpenKey());
    QVERIFY_THROWS_EXCEPTION(platform::ValueError, registry.ValueExists(QStringLiteral("x")));
    QVERIFY(registry.OpenKey(QStringLiteral("\\Software\\A"), false));
    QVERIFY(!registry.OpenKey(QStringLiteral("Software\\\\A"), true));
    QVERIFY(!registry.HasOpenKey());
    // Creating with parents.
    QVERIFY(registry.OpenKey(QStringLiteral("X\\Y\\Z"), true));
    QVERIFY(registry.OpenKey(QStringLiteral("X\\Y"), false));
    registry.SetRootKey(RootKey::LocalMachine);
    QVERIFY(!registry.HasOpenKey());
  }

  void deletingAKeyTakesItsWholeTree() {
    testsupport::Sandbox sandbox;
    PrivacyRegistry registry;
    const QString recentDocs = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs");
    for (const QString& path : {recentDocs, recentDocs + "\\.txt", recentDocs + "\\.txt\\Deep\\Deeper",
                                recentDocs + "\\Folder", recentDocs + "Sibling"}) {
      QVERIFY(registry.OpenKey(path, true));
      registry.WriteInteger(QStringLiteral("MRUListEx"), 1);
    }
    QVERIFY(registry.DeleteKey(recentDocs.toUpper()));
    QVERIFY(!registry.OpenKey(recentDocs, false));
    QVERIFY(!registry.OpenKey(recentDocs + "\\.txt\\Deep\\Deeper", false));
    QVERIFY(registry.OpenKey(recentDocs + "Sibling", false));
    QCOMPARE(registry.ReadInteger(QStringLiteral("MRUListEx")), 1);
    QVERIFY(registry.OpenKey(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"), false));
    QVERIFY(!registry.DeleteKey(recentDocs));  // gone already
    QVERIFY(!registry.DeleteKey(QString()));   // the root stays
    QVERIFY(!registry.HasOpenKey());
    // Nothing of the deleted tree is left behind in the file.
    platform::SettingsHive hive(platform::settingsStoreFile(RootKey::CurrentUser));
    const auto explorer = hive.openKey(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"), false);
    QCOMPARE(hive.subKeyNames(*explorer), (QStringList{"User Shell Folders", "RecentDocsSibling"}));
  }

  void eachRootHasItsOwnFile() {
    testsupport::Sandbox sandbox;
    PrivacyRegistry registry;
    QCOMPARE(registry.RootKey(), RootKey::CurrentUser);
    QVERIFY(registry.OpenKey(kMain, true));
    registry.WriteInteger(QStringLiteral("Where"), 1);
    registry.SetRootKey(RootKey::LocalMachine);
    QVERIFY(!registry.OpenKey(kMain, false));
    QVERIFY(registry.OpenKey(kMain, true));
    registry.WriteInteger(QStringLiteral("Where"), 2);
    registry.SetRootKey(RootKey::CurrentUser);
    QVERIFY(registry.OpenKey(kMain, false));
    QCOMPARE(registry.ReadInteger(QStringLiteral("Where")), 1);
    registry.CloseKey();
    QVERIFY(QFileInfo::exists(sandbox.home() + "/.config/sieciownik/current-user.sqlite"));
    QVERIFY(QFileInfo::exists(sandbox.machineRoot() + "/var/lib/sieciownik/local-machine.sqlite"));
  }

  void aFreshProfileKnowsItsRecentFolder() {
    testsupport::Sandbox sandbox;
    PrivacyRegistry registry;
    QVERIFY(registry.OpenKey(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"),
                             false));
    QCOMPARE(registry.ReadString(QStringLiteral("Recent")), QStringLiteral("%HOME%/.local/share/RecentDocuments"));
    QCOMPARE(platform::expandEnvironmentStrings(registry.ReadString(QStringLiteral("Recent"))),
             sandbox.home() + QStringLiteral("/.local/share/RecentDocuments"));
    registry.CloseKey();
    // The machine's root starts empty.
    registry.SetRootKey(RootKey::LocalMachine);
    QVERIFY(!registry.OpenKey(QStringLiteral("Software"), false));
  }

  void aTransactionKeepsAllOrNothing() {
    testsupport::Sandbox sandbox;
    PrivacyRegistry registry;
    QVERIFY(registry.OpenKey(kMain, true));
    registry.WriteString(QStringLiteral("Use FormSuggest"), QStringLiteral("yes"));
    QVERIFY_THROWS_EXCEPTION(platform::ValueError, registry.Transaction([&] {
      QVERIFY(registry.DeleteValue(QStringLiteral("Use FormSuggest")));
      throw platform::ValueError(QStringLiteral("przerwane"));
    }));
    QCOMPARE(registry.ReadString(QStringLiteral("Use FormSuggest")), QStringLiteral("yes"));
    registry.Transaction([&] {
      registry.DeleteValue(QStringLiteral("Use FormSuggest"));
      registry.WriteString(QStringLiteral("Use FormSuggest"), QStringLiteral("no"));
    });
    QCOMPARE(registry.ReadString(QStringLiteral("Use FormSuggest")), QStringLiteral("no"));
  }

  void aCrashInsideAWriteLeavesTheStoreWhole() {
    testsupport::Sandbox sandbox;
    {
      PrivacyRegistry registry;
      QVERIFY(registry.OpenKey(kMain, true));
      registry.WriteString(QStringLiteral("Use FormSuggest"), QStringLiteral("yes"));
    }
    const pid_t pid = fork();
    if (pid == 0) {
      PrivacyRegistry registry;
      if (!registry.OpenKey(kMain, false)) _exit(1);
      registry.Transaction([&] {
        registry.DeleteValue(QStringLiteral("Use FormSuggest"));
        _exit(0);  // dies between the delete and the write
      });
      _exit(2);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    QCOMPARE(WEXITSTATUS(status), 0);
    PrivacyRegistry registry;
    QVERIFY(registry.OpenKey(kMain, false));
    QCOMPARE(registry.ReadString(QStringLiteral("Use FormSuggest")), QStringLiteral("yes"));
  }

  void twoRunningCopiesShareTheStore() {
    testsupport::Sandbox sandbox;
    { PrivacyRegistry warmUp; QVERIFY(warmUp.OpenKey(kMain, true)); }
    const auto writeMany = [](const QString& prefix) {
      PrivacyRegistry registry;
      for (int i = 0; i < 60; ++i) {
        if (!registry.OpenKey(kMain, true)) return 1;
        registry.Transaction([&] { registry.WriteInteger(prefix + QString::number(i), i); });
      }
      return 0;
    };
    const pid_t pid = fork();
    if (pid == 0) _exit(writeMany(QStringLiteral("child")));
    QCOMPARE(writeMany(QStringLiteral("parent")), 0);
    int status = 0;
    waitpid(pid, &status, 0);
    QCOMPARE(WEXITSTATUS(status), 0);
    PrivacyRegistry registry;
    QVERIFY(registry.OpenKey(kMain, false));
    QCOMPARE(registry.GetValueNames().size(), 120);
    QCOMPARE(registry.ReadInteger(QStringLiteral("child59")), 59);
  }

  void theMachineRootWithoutRightsFailsQuietly() {
    testsupport::Sandbox sandbox;
    const QString recentDocs = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs");
    {
      PrivacyRegistry registry;
      registry.SetRootKey(RootKey::LocalMachine);
      QVERIFY(registry.OpenKey(recentDocs + "\\.txt", true));
      registry.WriteInteger(QStringLiteral("0"), 5);
    }
    const QString file = platform::settingsStoreFile(RootKey::LocalMachine);
    const QByteArray before = testsupport::fileBytes(file);
    // The machine's files as a machine has them: readable by all, writable by their owner only.
    for (const QString& path : {sandbox.path(), sandbox.machineRoot(), sandbox.machineRoot() + "/var",
                                sandbox.machineRoot() + "/var/lib", QFileInfo(file).path()})
      QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                              QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    if (geteuid() != 0) {
      QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
      QVERIFY(QFile::setPermissions(QFileInfo(file).path(), QFile::ReadOwner | QFile::ExeOwner));
    }
    const int found = inChild([&] {
      PrivacyRegistry registry;
      registry.SetRootKey(RootKey::LocalMachine);
      if (!registry.OpenKey(recentDocs + "\\.txt", false)) return 1;  // still readable
      if (registry.ReadInteger(QStringLiteral("0")) != 5) return 2;
      try {
        registry.WriteInteger(QStringLiteral("0"), 6);
        return 3;
      } catch (const platform::ValueError&) {
      }
      if (registry.DeleteValue(QStringLiteral("0"))) return 4;
      if (registry.OpenKey(QStringLiteral("Software\\New"), true)) return 5;
      if (registry.DeleteKey(recentDocs)) return 6;
      if (registry.HasOpenKey()) return 7;
      // The store itself says why: each refused change is an error.
      const std::unique_ptr<platform::SettingsHive> hive = platform::openSettingsHive(RootKey::LocalMachine);
      const std::optional<platform::SettingsHive::KeyId> key = hive->openKey(recentDocs + "\\.txt", false);
      if (!key) return 8;
      const auto refused = [](const std::function<void()>& change) {
        try {
          change();
        } catch (const platform::ValueError&) {
          return true;
        }
        return false;
      };
      if (!refused([&] { hive->deleteValue(*key, QStringLiteral("0")); })) return 9;
      if (!refused([&] { hive->openKey(QStringLiteral("Software\\New"), true); })) return 10;
      if (!refused([&] { hive->deleteKeyTree(recentDocs); })) return 11;
      if (hive->deleteValue(*key, QStringLiteral("missing"))) return 12;  // nothing there: an answer
      return 0;
    });
    QCOMPARE(found, 0);
    QFile::setPermissions(QFileInfo(file).path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(testsupport::fileBytes(file), before);

    // No store file and no rights to make one: every key is missing, nothing is an error.
    QVERIFY(QFile::remove(file));
    if (geteuid() != 0)
      QVERIFY(QFile::setPermissions(QFileInfo(file).path(), QFile::ReadOwner | QFile::ExeOwner));
    QCOMPARE(inChild([&] {
               PrivacyRegistry registry;
               registry.SetRootKey(RootKey::LocalMachine);
               if (registry.OpenKey(recentDocs, true)) return 1;
               if (registry.DeleteKey(recentDocs)) return 2;
               return 0;
             }),
             0);
    QFile::setPermissions(QFileInfo(file).path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!QFileInfo::exists(file));
  }

  void aDamagedStoreFileIsAClearError_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("garbage") << QByteArray(4096, 'x');
    QTest::newRow("cut short") << QByteArray("SQLite format 3\0\x10\0\1\1\0@  ", 24);
  }
  void aDamagedStoreFileIsAClearError() {
    QFETCH(QByteArray, content);
    testsupport::Sandbox sandbox;
    const QString file = platform::settingsStoreFile(RootKey::CurrentUser);
    QDir().mkpath(QFileInfo(file).path());
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(content);
    out.close();
    PrivacyRegistry registry;
    try {
      registry.OpenKey(kMain, false);
      QFAIL("a damaged store opened");
    } catch (const platform::StoreDamagedError& error) {
      QVERIFY2(error.message().contains(file), qPrintable(error.message()));
      QVERIFY(error.message().contains(QStringLiteral("uszkodzony")));
    }
    QVERIFY(!registry.HasOpenKey());
    QCOMPARE(testsupport::fileBytes(file), content);  // left as it was for the user to look at
  }

  void aForeignDatabaseIsNotTakenForAStore() {
    testsupport::Sandbox sandbox;
    const QString file = platform::settingsStoreFile(RootKey::CurrentUser);
    QDir().mkpath(QFileInfo(file).path());
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "CREATE TABLE other(x)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    PrivacyRegistry registry;
    QVERIFY_THROWS_EXCEPTION(platform::StoreDamagedError, registry.OpenKey(kMain, true));
  }
};

QTEST_GUILESS_MAIN(StoreTest)
#include "tst_store.moc"
