#include <QtTest>

#include <QCheckBox>
#include <QDBusConnection>
#include <sqlite3.h>

#include "platform/folders.h"
#include "platform/registrystore.h"
#include "platform/settingsnotice.h"
#include "privacy/privacyctl.h"
#include "privacy/privacypanelform.h"
#include "support/fakes.h"
#include "support/sandbox.h"
#include "hotjournal.h"
#include "panelfixture.h"
#include "privacystore.h"
#include "treebuilder.h"

using platform::RootKey;
using platform::StoredValue;
using platform::ValueType;
using privacypanel::Panel;
using namespace privacystore;
using namespace treebuilder;

Q_DECLARE_METATYPE(StoredValue)
Q_DECLARE_METATYPE(std::optional<StoredValue>)

namespace {

// Listens for the policy notice on a bus of the test's own.
class NoticeListener : public QObject {
  Q_OBJECT
 public Q_SLOTS:
  void SettingChange(const QString& area) { areas << area; }

 public:
  QStringList areas;
};

}  // namespace

// The seven options: read from the store, written at once on a click.
class PrivacyOptionsTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
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
    QCOMPARE(p.optionStates(), (QList<bool>{true, true, true, false, true, true, false}));
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
    QCOMPARE(next.states({9, 12, 13, 10, 15}), (QList<bool>{true, true, false, true, false}));
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
      QVERIFY(leaveHotJournal(file, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                                    "INSERT INTO vals(key, name, folded, type, data) "
                                    "SELECT 1, 'v' || i, 'v' || i, 3, zeroblob(500) FROM n"));
      if (!makeUserStoreReadOnly()) QSKIP("cannot make the store read-only here");
    }
    privacy::PrivacyCtl privacy([] {});
    testsupport::FakeMessageBoxes boxes;
    Panel p(privacy, boxes);
    p.form->ReadOptions();
    QCOMPARE(p.optionStates(), (QList<bool>{true, true, true, false, true, true, false}));
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

QTEST_MAIN(PrivacyOptionsTest)
#include "tst_privacyoptions.moc"
