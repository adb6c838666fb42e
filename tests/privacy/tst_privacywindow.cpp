#include <QtTest>

#include <QCheckBox>
#include <QListWidget>

#include "app/tmainform.h"
#include "platform/registrystore.h"
#include "privacy/privacyctl.h"
#include "support/fakes.h"
#include "support/sandbox.h"

using platform::RootKey;
using platform::StoredValue;

namespace {

const QString kMain = QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main");
const QString kAutoComplete = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete");
const QString kCache = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Cache");
const QString kPolicies = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");

}  // namespace

// The options as the user meets them: the whole main window started on a store that holds values.
class PrivacyWindowTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void theMainWindowMirrorsTheStore() {
    testsupport::Sandbox sandbox;
    {
      auto hive = platform::openSettingsHive(RootKey::CurrentUser);
      hive->setValue(*hive->openKey(kAutoComplete, true), "AutoSuggest", platform::stringValue("no"));
      hive->setValue(*hive->openKey(kMain, true), "Use FormSuggest", platform::stringValue("Yes"));
      hive->setValue(*hive->openKey(kMain, true), "FormSuggest Passwords", platform::stringValue("nie"));
      hive->setValue(*hive->openKey(kCache, true), "Persistent", platform::integerValue(0));
      hive->setValue(*hive->openKey(kPolicies, true), "NoRecentDocsMenu", platform::integerValue(1));
      hive->setValue(*hive->openKey(kPolicies, true), "ClearRecentDocsOnExit", platform::integerValue(1));
    }
    testsupport::FakeShell shell;
    testsupport::FakeMessageBoxes boxes;
    int notices = 0;
    privacy::PrivacyCtl privacyModule([&] { ++notices; });
    app::TMainForm form(app::MainFormEnvironment{
        {shell, boxes}, {}, [](QWidget*, const QUrl&) {}, sandbox.path() + QLatin1Char('/'), privacyModule, QString()});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.findChild<QListWidget*>(QStringLiteral("CategorySelect"))->setCurrentRow(3);

    const auto box = [&](int n) { return form.findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(n)); };
    QList<bool> shown;
    for (int n = 9; n <= 15; ++n) shown << box(n)->isChecked();
    QCOMPARE(shown, (QList<bool>{false, true, false, true, false, true, true}));
    QCOMPARE(notices, 0);

    for (int n = 9; n <= 15; ++n) {
      QVERIFY(box(n)->isVisible());
      QTest::mouseClick(box(n), Qt::LeftButton);
    }
    shown.clear();
    for (int n = 9; n <= 15; ++n) shown << box(n)->isChecked();
    QCOMPARE(shown, (QList<bool>{true, false, true, false, true, false, false}));
    QCOMPARE(notices, 3);

    auto hive = platform::openSettingsHive(RootKey::CurrentUser);
    const auto value = [&](const QString& key, const char* name) { return hive->value(*hive->openKey(key, false), name); };
    QCOMPARE(value(kAutoComplete, "AutoSuggest"), platform::stringValue("yes"));
    QCOMPARE(value(kMain, "Use FormSuggest"), platform::stringValue("no"));
    QCOMPARE(value(kMain, "FormSuggest Passwords"), platform::stringValue("yes"));
    QCOMPARE(value(kCache, "Persistent"), platform::integerValue(1));
    QCOMPARE(value(kPolicies, "NoRecentDocsMenu"), std::nullopt);
    QCOMPARE(value(kPolicies, "NoRecentDocsHistory"), platform::integerValue(1));
    QCOMPARE(value(kPolicies, "ClearRecentDocsOnExit"), std::nullopt);
    QVERIFY(boxes.shown.empty());
  }
};

QTEST_MAIN(PrivacyWindowTest)
#include "tst_privacywindow.moc"
