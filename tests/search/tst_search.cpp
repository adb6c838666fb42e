#include <QtTest>

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <memory>

#include "app/tmainform.h"
#include "privacy/privacyctl.h"
#include "search/querycoding.h"
#include "search/searchaddress.h"
#include "search/searchpanelform.h"
#include "support/fakes.h"
#include "support/sandbox.h"

using search::SearchKind;
using namespace testsupport;

namespace {

// Types text the way a keyboard would, one key event per character; QTest::keyClicks cannot
// send characters outside ASCII.
void typeText(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    const int key = c.unicode() < 128 ? QChar(c).toUpper().unicode() : 0;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
  }
}

// The address without "http://" and the host, checking that both are there.
QString pathAndQuery(const QString& address) {
  if (!address.startsWith(QStringLiteral("http://"))) return QStringLiteral("<no http://> ") + address;
  const qsizetype slash = address.indexOf(QLatin1Char('/'), 7);
  if (slash <= 7) return QStringLiteral("<no host> ") + address;
  return address.mid(slash);
}

// The panel in a window of its own, as the main window holds it.
struct PanelHarness {
  FakeShell shell;
  FakeMessageBoxes boxes;
  QWidget window;
  search::SearchPanelForm* panel;

  PanelHarness() : panel(new search::SearchPanelForm(&window, {shell, boxes}, &window)) {
    window.resize(panel->size());
    window.show();
    window.activateWindow();
  }
  bool activate() { return QTest::qWaitForWindowActive(&window); }
  template <class T = QWidget>
  T* find(const QString& name) const {
    return panel->findChild<T*>(name);
  }
  QLineEdit* edit1() const { return find<QLineEdit>(QStringLiteral("Edit1")); }
  QLineEdit* edit2() const { return find<QLineEdit>(QStringLiteral("Edit2")); }
  QCheckBox* polishOnly() const { return find<QCheckBox>(QStringLiteral("CheckBox8")); }
  QRadioButton* kind(const QString& name) const { return find<QRadioButton>(name); }
  QString focused() const { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); }
  QString checkedKind() const {
    QAbstractButton* checked = kind(QStringLiteral("RadioButton1"))->group()->checkedButton();
    return checked ? checked->objectName() : QString();
  }
  QStringList opened() const {
    QStringList targets;
    for (const ShellCall& call : shell.calls) targets << call.target;
    return targets;
  }
};

}  // namespace

class SearchTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void addressForEveryKind_data() {
    QTest::addColumn<SearchKind>("kind");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<bool>("polishOnly");
    QTest::addColumn<QString>("expected");  // path and query; empty when nothing is opened

    const QString zolw = QStringLiteral("żółw");
    const QString as = QStringLiteral("ąś");
    const QString krakow = QStringLiteral("Kraków 2005");
    const QString xray = QStringLiteral(" x-ray 2.0 ");
    const QString txt = QStringLiteral("TXT");
    auto row = [](const char* name, SearchKind kind, const QString& query, const QString& extension, bool polishOnly,
                  const char* expected) {
      QTest::newRow(name) << kind << query << extension << polishOnly << QString::fromUtf8(expected);
    };

    row("www zolw", SearchKind::Web, zolw, txt, false, "/search?q=%C5%BC%C3%B3%C5%82w");
    row("www as", SearchKind::Web, as, txt, false, "/search?q=%C4%85%C5%9B");
    row("www krakow", SearchKind::Web, krakow, txt, false, "/search?q=Krak%C3%B3w+2005");
    row("www krakow polish", SearchKind::Web, krakow, txt, true, "/search?lr=lang_pl&q=Krak%C3%B3w+2005");
    row("www x-ray trimmed", SearchKind::Web, xray, txt, false, "/search?q=x%2Dray+2%2E0");
    row("www beyond 1250", SearchKind::Web, QStringLiteral("日本"), txt, false, "/search?q=%E6%97%A5%E6%9C%AC");
    row("www punctuation", SearchKind::Web, QStringLiteral("a+b&c=d%_e"), txt, false,
        "/search?q=a%2Bb%26c%3Dd%25_e");

    row("ftp zolw", SearchKind::FtpFiles, zolw, txt, false, "/?pytanie=%BF%F3%B3w");
    row("ftp as", SearchKind::FtpFiles, as, txt, false, "/?pytanie=%B1%B6");
    row("ftp krakow", SearchKind::FtpFiles, krakow, txt, false, "/?pytanie=Krak%F3w+2005");
    row("ftp x-ray", SearchKind::FtpFiles, xray, txt, false, "/?pytanie=x%2Dray+2%2E0");
    row("ftp ignores polish", SearchKind::FtpFiles, krakow, txt, true, "/?pytanie=Krak%F3w+2005");
    row("ftp lacks euro", SearchKind::FtpFiles, QStringLiteral("5€"), txt, false, "/?pytanie=5%3F");

    row("news", SearchKind::NewsGroups, krakow, txt, false, "/groups?as_q=Krak%C3%B3w+2005");
    row("news polish", SearchKind::NewsGroups, as, txt, true, "/groups?lr=lang_pl&as_q=%C4%85%C5%9B");
    row("goods", SearchKind::Goods, krakow, txt, true, "/search.php?description=1&string=Krak%C3%B3w+2005");
    row("images", SearchKind::Images, zolw, txt, true, "/images?q=%C5%BC%C3%B3%C5%82w");
    row("music", SearchKind::Music, as, txt, true, "/search?q=filetype:mp3%20%C4%85%C5%9B");
    row("torrent", SearchKind::Torrents, krakow, txt, false, "/search?q=filetype:torrent%20Krak%C3%B3w+2005");
    row("pdf", SearchKind::PdfBooks, xray, txt, false, "/search?q=filetype:pdf%20x%2Dray+2%2E0");

    row("other TXT", SearchKind::OtherExtension, QStringLiteral("raport roczny"), txt, false,
        "/search?q=filetype:TXT+raport+roczny");
    row("other dot txt", SearchKind::OtherExtension, QStringLiteral("raport"), QStringLiteral(".txt"), false,
        "/search?q=filetype:%2Etxt+raport");
    row("other polish ext", SearchKind::OtherExtension, zolw, QStringLiteral("żś"), true,
        "/search?q=filetype:%C5%BC%C5%9B+%C5%BC%C3%B3%C5%82w");
    row("other no extension", SearchKind::OtherExtension, QStringLiteral("raport"), QString(), false,
        "/search?q=filetype:raport");
    row("other blank extension", SearchKind::OtherExtension, QStringLiteral("raport"), QStringLiteral("  "), false,
        "/search?q=filetype:raport");
    row("other no query", SearchKind::OtherExtension, QString(), QStringLiteral("doc"), false,
        "/search?q=filetype:doc");
    row("other both empty", SearchKind::OtherExtension, QString(), QString(), false, "");
    row("other both blank", SearchKind::OtherExtension, QStringLiteral(" \t"), QStringLiteral(" "), false, "");

    row("underground zolw", SearchKind::Underground, zolw, txt, false, "/cgi-bin/robot?srch=%BF%F3%B3w");
    row("underground as", SearchKind::Underground, as, txt, false, "/cgi-bin/robot?srch=%B9%9C");
    row("underground krakow", SearchKind::Underground, krakow, txt, true, "/cgi-bin/robot?srch=Krak%F3w+2005");
    row("underground x-ray", SearchKind::Underground, xray, txt, false, "/cgi-bin/robot?srch=x%2Dray+2%2E0");
    row("underground beyond 1250", SearchKind::Underground, QStringLiteral("a日"), txt, false,
        "/cgi-bin/robot?srch=a%3F");
    row("underground no-break space", SearchKind::Underground, QStringLiteral("\u00A0"), txt, false,
        "/cgi-bin/robot?srch=%A0");

    row("www blanks", SearchKind::Web, QStringLiteral("    "), txt, true, "");
    row("www control characters", SearchKind::Web, QStringLiteral("\t\r\n \x01"), txt, false, "");
    row("underground blanks", SearchKind::Underground, QStringLiteral("   "), txt, false, "");
  }

  void addressForEveryKind() {
    QFETCH(SearchKind, kind);
    QFETCH(QString, query);
    QFETCH(QString, extension);
    QFETCH(bool, polishOnly);
    QFETCH(QString, expected);
    const std::optional<QString> address = search::SearchAddress({kind, query, extension, polishOnly});
    if (expected.isEmpty()) {
      QVERIFY2(!address, qPrintable(address.value_or(QString())));
      return;
    }
    QVERIFY(address);
    QCOMPARE(pathAndQuery(*address), expected);
  }

  void encodeQueryBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("expected");  // empty: the search ends
    QTest::newRow("kept as they are") << QByteArray("AZaz09_") << QByteArray("AZaz09_");
    QTest::newRow("punctuation") << QByteArray("-.+%&?/=~*") << QByteArray("%2D%2E%2B%25%26%3F%2F%3D%7E%2A");
    QTest::newRow("inner space and tab") << QByteArray("a b\tc") << QByteArray("a+b%09c");
    QTest::newRow("trimmed control bytes") << QByteArray("\x1f\x01 a \x7f\x20") << QByteArray("a+%7F");
    QTest::newRow("high bytes upper-case hex") << QByteArray("\xff\x80\xab") << QByteArray("%FF%80%AB");
    QTest::newRow("nul inside is kept") << QByteArray("a\0b", 3) << QByteArray("a%00b");
    QTest::newRow("only blanks") << QByteArray(" \t\r\n\x01 ") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
  }

  void encodeQueryBytes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);
    const std::optional<QByteArray> encoded = search::EncodeQuery(bytes);
    QCOMPARE(encoded.has_value(), !expected.isEmpty());
    if (encoded) QCOMPARE(*encoded, expected);
  }

  void panelAsDesigned() {
    PanelHarness h;
    const struct {
      const char* name;
      QRect geometry;
      QString text;
    } controls[] = {
        {"Edit1", {0, 40, 467, 21}, QString()},
        {"Button3", {469, 40, 65, 21}, QStringLiteral("Szukaj")},
        {"RadioButton1", {0, 120, 65, 17}, QStringLiteral("WWW")},
        {"RadioButton7", {64, 120, 65, 17}, QStringLiteral("Pliki (FTP)")},
        {"RadioButton2", {144, 120, 97, 17}, QStringLiteral("Porady (news)")},
        {"RadioButton5", {248, 120, 65, 17}, QStringLiteral("Towary")},
        {"RadioButton3", {314, 120, 65, 17}, QStringLiteral("Grafika")},
        {"RadioButton4", {386, 120, 65, 17}, QStringLiteral("Muzyka")},
        {"RadioButton6", {458, 120, 65, 17}, QStringLiteral("Torrent")},
        {"RadioButton8", {0, 144, 97, 17}, QStringLiteral("e-booki (PDF)")},
        {"RadioButton10", {96, 144, 65, 17}, QStringLiteral("podziemie")},
        {"RadioButton9", {174, 144, 153, 17}, QStringLiteral("inne (podaj rozszerzenie):")},
        {"Edit2", {326, 142, 41, 21}, QStringLiteral("TXT")},
        {"CheckBox8", {0, 192, 169, 17}, QStringLiteral("Szukaj tylko w języku polskim")},
    };
    QStringList tabOrder;
    for (const auto& control : controls) {
      const QString name = QString::fromLatin1(control.name);
      QWidget* widget = h.find(name);
      QVERIFY2(widget, control.name);
      // A caption wider than its designed control lets the control grow to the right.
      QCOMPARE(widget->pos(), control.geometry.topLeft());
      QCOMPARE(widget->height(), control.geometry.height());
      QVERIFY2(widget->width() >= control.geometry.width(), control.name);
      QCOMPARE(widget->property("text").toString(), control.text);
      tabOrder << name;
    }
    QCOMPARE(h.find<QLabel>(QStringLiteral("Label3"))->text(), QStringLiteral("Wpisz nazwę poszukiwanej treści:"));
    QCOMPARE(h.find<QLabel>(QStringLiteral("Label3"))->pos(), QPoint(0, 16));
    QCOMPARE(h.find<QLabel>(QStringLiteral("Label4"))->text(), QStringLiteral("Wybierz rodzaj wyszukiwania:"));
    QCOMPARE(h.find<QLabel>(QStringLiteral("Label4"))->pos(), QPoint(0, 96));

    // Tab order, from the query field round the panel.
    QStringList walked{QStringLiteral("Edit1")};
    for (QWidget* w = h.edit1()->nextInFocusChain(); w != h.edit1() && walked.size() < tabOrder.size();
         w = w->nextInFocusChain())
      if (w->focusPolicy() & Qt::TabFocus) walked << w->objectName();
    QCOMPARE(walked, tabOrder);

    // Start state.
    QCOMPARE(h.edit1()->maxLength(), 250);
    QCOMPARE(h.edit2()->maxLength(), 16);
    QVERIFY(!h.edit2()->isEnabled());
    QVERIFY(h.polishOnly()->isEnabled());
    QVERIFY(!h.polishOnly()->isChecked());
    QCOMPARE(h.checkedKind(), QStringLiteral("RadioButton1"));
    QButtonGroup* group = h.kind(QStringLiteral("RadioButton1"))->group();
    QVERIFY(group && group->exclusive());
    QCOMPARE(group->buttons().size(), 10);

    // Anchors: the query field stretches, "Szukaj" follows the right edge, the kinds stay.
    h.panel->resize(634, 483);
    QCOMPARE(h.edit1()->geometry(), QRect(0, 40, 567, 21));
    QCOMPARE(h.find(QStringLiteral("Button3"))->geometry(), QRect(569, 40, 65, 21));
    QCOMPARE(h.find(QStringLiteral("RadioButton6"))->pos(), QPoint(458, 120));
  }

  void kindsEnableAndFocus_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("boxChecked");
    QTest::addColumn<bool>("boxEnabled");
    QTest::addColumn<bool>("extensionEnabled");
    QTest::addColumn<QString>("focus");
    const QString edit1 = QStringLiteral("Edit1");
    QTest::newRow("news") << QStringLiteral("RadioButton2") << true << true << false << edit1;
    for (const char* name : {"RadioButton7", "RadioButton5", "RadioButton3", "RadioButton4", "RadioButton6",
                             "RadioButton8"})
      QTest::newRow(name) << QString::fromLatin1(name) << false << false << false << edit1;
    QTest::newRow("other extension") << QStringLiteral("RadioButton9") << false << false << true
                                     << QStringLiteral("Edit2");
    // "podziemie" leaves both as "WWW" left them.
    QTest::newRow("underground") << QStringLiteral("RadioButton10") << true << true << false
                                 << QStringLiteral("RadioButton10");
  }

  void kindsEnableAndFocus() {
    QFETCH(QString, kind);
    QFETCH(bool, boxChecked);
    QFETCH(bool, boxEnabled);
    QFETCH(bool, extensionEnabled);
    QFETCH(QString, focus);
    PanelHarness h;
    QVERIFY(h.activate());
    QTest::mouseClick(h.polishOnly(), Qt::LeftButton);
    QVERIFY(h.polishOnly()->isChecked());
    QTest::mouseClick(h.kind(kind), Qt::LeftButton);
    QCOMPARE(h.checkedKind(), kind);
    QCOMPARE(h.polishOnly()->isChecked(), boxChecked);
    QCOMPARE(h.polishOnly()->isEnabled(), boxEnabled);
    QCOMPARE(h.edit2()->isEnabled(), extensionEnabled);
    QCOMPARE(h.focused(), focus);
  }

  void kindsRunWhenCheckedByTheProgramToo() {
    PanelHarness h;
    QVERIFY(h.activate());
    h.kind(QStringLiteral("RadioButton9"))->setChecked(true);
    QVERIFY(h.edit2()->isEnabled());
    QCOMPARE(h.focused(), QStringLiteral("Edit2"));
    // Clicking the kind that is already checked runs nothing: the focus stays where the click put it.
    h.find(QStringLiteral("Button3"))->setFocus();
    QTest::mouseClick(h.kind(QStringLiteral("RadioButton9")), Qt::LeftButton);
    QCOMPARE(h.focused(), QStringLiteral("RadioButton9"));
  }

  void backToWebEnablesTheBoxUnchecked() {
    PanelHarness h;
    QVERIFY(h.activate());
    QTest::mouseClick(h.polishOnly(), Qt::LeftButton);
    QTest::mouseClick(h.kind(QStringLiteral("RadioButton3")), Qt::LeftButton);
    QVERIFY(!h.polishOnly()->isChecked() && !h.polishOnly()->isEnabled());
    QTest::mouseClick(h.kind(QStringLiteral("RadioButton1")), Qt::LeftButton);
    QVERIFY(!h.polishOnly()->isChecked());
    QVERIFY(h.polishOnly()->isEnabled());
    QCOMPARE(h.focused(), QStringLiteral("Edit1"));
  }

  void enteringTheExtensionField() {
    PanelHarness h;
    QVERIFY(h.activate());
    // Disabled: a click does not get in, and the kind stays.
    QTest::mouseClick(h.edit2(), Qt::LeftButton);
    QCOMPARE(h.checkedKind(), QStringLiteral("RadioButton1"));
    QVERIFY(h.focused() != QStringLiteral("Edit2"));

    // "inne", then "podziemie" leaves the field enabled; clicking into it selects "inne" again.
    QTest::mouseClick(h.kind(QStringLiteral("RadioButton9")), Qt::LeftButton);
    QTest::mouseClick(h.kind(QStringLiteral("RadioButton10")), Qt::LeftButton);
    QCOMPARE(h.checkedKind(), QStringLiteral("RadioButton10"));
    QVERIFY(h.edit2()->isEnabled());
    QTest::mouseClick(h.edit2(), Qt::LeftButton);
    QCOMPARE(h.focused(), QStringLiteral("Edit2"));
    QCOMPARE(h.checkedKind(), QStringLiteral("RadioButton9"));

    // Tabbing in from "podziemie" does the same.
    h.kind(QStringLiteral("RadioButton10"))->setChecked(true);
    h.kind(QStringLiteral("RadioButton9"))->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(h.focused(), QStringLiteral("Edit2"));
    QCOMPARE(h.checkedKind(), QStringLiteral("RadioButton9"));

    // The handler itself: "inne" first, then the box cleared and disabled.
    h.kind(QStringLiteral("RadioButton10"))->setChecked(true);
    h.polishOnly()->setEnabled(true);
    h.polishOnly()->setChecked(true);
    h.panel->Edit2Enter();
    QCOMPARE(h.checkedKind(), QStringLiteral("RadioButton9"));
    QVERIFY(!h.polishOnly()->isChecked());
    QVERIFY(!h.polishOnly()->isEnabled());
  }

  void categoryReset_data() {
    QTest::addColumn<QString>("kindBefore");
    QTest::newRow("from other extension") << QStringLiteral("RadioButton9");
    QTest::newRow("from images") << QStringLiteral("RadioButton3");
    QTest::newRow("from underground after images") << QStringLiteral("RadioButton10");
    QTest::newRow("from web") << QStringLiteral("RadioButton1");
  }

  void categoryReset() {
    QFETCH(QString, kindBefore);
    PanelHarness h;
    QVERIFY(h.activate());
    QTest::mouseClick(h.kind(QStringLiteral("RadioButton3")), Qt::LeftButton);
    QTest::mouseClick(h.kind(kindBefore), Qt::LeftButton);
    h.find(QStringLiteral("Button3"))->setFocus();

    // Only the selection of "Wyszukiwarka" resets.
    h.panel->CategorySelectSelectItem(2, false);
    h.panel->CategorySelectSelectItem(0, true);
    h.panel->CategorySelectSelectItem(-1, true);
    QCOMPARE(h.checkedKind(), kindBefore);
    QCOMPARE(h.focused(), QStringLiteral("Button3"));

    h.panel->CategorySelectSelectItem(2, true);
    QCOMPARE(h.checkedKind(), QStringLiteral("RadioButton1"));
    QVERIFY(h.polishOnly()->isEnabled());
    QVERIFY(!h.edit2()->isEnabled());
    QCOMPARE(h.focused(), QStringLiteral("Edit1"));
  }

  void searchGoesToTheShell_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("polishOnly");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("www polish") << QStringLiteral("RadioButton1") << true << QStringLiteral("Kraków 2005")
                                << QStringLiteral("/search?lr=lang_pl&q=Krak%C3%B3w+2005");
    QTest::newRow("ftp") << QStringLiteral("RadioButton7") << false << QStringLiteral("ąś")
                         << QStringLiteral("/?pytanie=%B1%B6");
    QTest::newRow("underground") << QStringLiteral("RadioButton10") << false << QStringLiteral("ąś")
                                 << QStringLiteral("/cgi-bin/robot?srch=%B9%9C");
    QTest::newRow("other extension") << QStringLiteral("RadioButton9") << false << QStringLiteral("raport roczny")
                                     << QStringLiteral("/search?q=filetype:TXT+raport+roczny");
    QTest::newRow("blanks") << QStringLiteral("RadioButton1") << false << QStringLiteral("   ") << QString();
  }

  void searchGoesToTheShell() {
    QFETCH(QString, kind);
    QFETCH(bool, polishOnly);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    PanelHarness h;
    QVERIFY(h.activate());
    if (polishOnly) QTest::mouseClick(h.polishOnly(), Qt::LeftButton);
    QTest::mouseClick(h.kind(kind), Qt::LeftButton);
    h.edit1()->setFocus();
    typeText(h.edit1(), typed);
    QCOMPARE(h.edit1()->text(), typed);

    QTest::mouseClick(h.find(QStringLiteral("Button3")), Qt::LeftButton);
    h.edit1()->setFocus();
    QTest::keyClick(h.edit1(), Qt::Key_Return);
    QTest::keyClick(h.edit1(), Qt::Key_Enter, Qt::KeypadModifier);
    if (expected.isEmpty()) {
      QCOMPARE(h.opened(), QStringList());
      return;
    }
    QCOMPARE(int(h.shell.calls.size()), 3);  // button, Return, keypad Enter
    for (const ShellCall& call : h.shell.calls) {
      QCOMPARE(pathAndQuery(call.target), expected);
      QVERIFY(call.parameters.isEmpty());
      QCOMPARE(call.show, platform::ShowState::Normal);
    }
    // A search changes nothing in the panel.
    QCOMPARE(h.edit1()->text(), typed);
    QCOMPARE(h.checkedKind(), kind);
    QVERIFY(h.boxes.shown.empty());
  }

  void enterElsewhereInThePanelSearchesToo() {
    PanelHarness h;
    QVERIFY(h.activate());
    h.edit1()->setText(QStringLiteral("x"));
    h.polishOnly()->setFocus();
    QTest::keyClick(h.polishOnly(), Qt::Key_Return);
    QTest::keyClick(h.find(QStringLiteral("Button3")), Qt::Key_Return);
    QCOMPARE(h.opened().size(), 2);
    // A modified Enter is not the default button's.
    QTest::keyClick(h.edit1(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(h.opened().size(), 2);
  }

  void mainWindowResetsTheKindAndFocus() {
    Sandbox sandbox;
    FakeShell shell;
    FakeMessageBoxes boxes;
    privacy::PrivacyCtl privacyModule{[] {}};
    app::TMainForm form({{shell, boxes}, [] { return platform::ConnectedQuery{}; }, [](QWidget*, const QUrl&) {},
                         sandbox.path() + QLatin1Char('/'), privacyModule, QString()});
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* list = form.findChild<QListWidget*>(QStringLiteral("CategorySelect"));
    QTRY_COMPARE(list->currentRow(), 0);
    auto find = [&form](const char* name) { return form.findChild<QWidget*>(QString::fromLatin1(name)); };
    auto* web = qobject_cast<QRadioButton*>(find("RadioButton1"));
    auto focused = [] { return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(); };

    list->setCurrentRow(2);
    QCOMPARE(focused(), QStringLiteral("Edit1"));
    QVERIFY(web->isChecked());

    // Another kind, another category, "Wyszukiwarka" again: back to "WWW".
    QTest::mouseClick(find("RadioButton9"), Qt::LeftButton);
    QVERIFY(find("Edit2")->isEnabled());
    list->setCurrentRow(1);
    list->setCurrentRow(2);
    QVERIFY(web->isChecked());
    QVERIFY(!find("Edit2")->isEnabled());
    QCOMPARE(focused(), QStringLiteral("Edit1"));

    // Entering the list while "Wyszukiwarka" is selected moves straight on to the query field.
    QTest::mouseClick(find("RadioButton3"), Qt::LeftButton);
    QVERIFY(!find("CheckBox8")->isEnabled());
    list->setFocus(Qt::TabFocusReason);
    QCOMPARE(focused(), QStringLiteral("Edit1"));
    QVERIFY(web->isChecked());
    QVERIFY(find("CheckBox8")->isEnabled());

    // Enter in the query field runs the search.
    typeText(find("Edit1"), QStringLiteral("żółw"));
    QTest::keyClick(find("Edit1"), Qt::Key_Return);
    QCOMPARE(int(shell.calls.size()), 1);
    QCOMPARE(pathAndQuery(shell.calls[0].target), QStringLiteral("/search?q=%C5%BC%C3%B3%C5%82w"));
  }
};

QTEST_MAIN(SearchTest)
#include "tst_search.moc"
