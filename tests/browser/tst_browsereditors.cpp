#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include "browserharness.h"
#include "catalogue/regions.h"

using namespace browsertest;
using testsupport::ShownBox;

namespace {

template <class T>
T* control(QDialog* dialog, const char* name) {
  return dialog->findChild<T*>(QString::fromLatin1(name));
}
void setText(QDialog* dialog, const char* name, const QString& text) { control<QLineEdit>(dialog, name)->setText(text); }
QString text(QDialog* dialog, const char* name) { return control<QLineEdit>(dialog, name)->text(); }
QString region(QDialog* dialog) { return control<QComboBox>(dialog, "ComboBox1")->currentText(); }
void ok(QDialog* dialog) { control<QPushButton>(dialog, "Button1")->click(); }

QStringList names(const catalogue::TvStations& stations) {
  QStringList result;
  for (const auto& s : stations) result << s.Name;
  return result;
}

}  // namespace

class BrowserEditorsTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void dialogFrames() {
    Harness h({});
    QDialog* tvDialog = h.browser->tvEditor();
    QCOMPARE(tvDialog->windowTitle(), QStringLiteral("Edycja stacji TV"));
    QCOMPARE(tvDialog->size(), QSize(362, 346));
    QCOMPARE(tvDialog->minimumSize(), tvDialog->maximumSize());
    QDialog* radioDialog = h.browser->radioEditor();
    QCOMPARE(radioDialog->windowTitle(), QStringLiteral("Edycja stacji radiowej"));
    QCOMPARE(radioDialog->size(), QSize(362, 306));
    auto* box = control<QComboBox>(tvDialog, "ComboBox1");
    QCOMPARE(box->count(), catalogue::kRegionCount);
    QCOMPARE(box->itemText(0), QStringLiteral("Ulubione"));
    QCOMPARE(box->itemText(157), QStringLiteral("Zjedn. Emiraty Arabskie"));
  }

  void newStationPreselectsThePanelRegion() {
    Harness h({tv("Pierwszy Kanał", 7)});
    // No region chosen: "Ulubione", and the station becomes a favourite.
    QString shown;
    whenDialogOpens([&](QDialog* d) {
      shown = region(d);
      QCOMPARE(d->focusWidget(), control<QLineEdit>(d, "Edit1"));
      QVERIFY(control<QRadioButton>(d, "RadioButton1")->isChecked());
      QVERIFY(control<QCheckBox>(d, "CheckBox5")->isChecked());
      setText(d, "Edit1", "Ulubiona");
      setText(d, "Edit4", "mms://u");
      ok(d);
    });
    h.button("Button7")->click();
    QCOMPARE(shown, QStringLiteral("Ulubione"));
    QCOMPARE(h.browser->tvStations().back().RegionId, 0);
    QCOMPARE(h.browser->tvStations().back().PlayerKind, quint8{2});
    QVERIFY(h.browser->tvStations().back().Live);

    // "Rosja" chosen: preselected, stores 7; opened again it shows the first row of 7.
    h.chooseRegion("Rosja");
    whenDialogOpens([&](QDialog* d) {
      shown = region(d);
      setText(d, "Edit1", "Rossija");
      setText(d, "Edit4", "mms://r");
      ok(d);
    });
    h.button("Button7")->click();
    QCOMPARE(shown, QStringLiteral("Rosja"));
    QCOMPARE(Harness::texts(h.stations()), (QStringList{"Pierwszy Kanał", "Rossija"}));
    QCOMPARE(Harness::selectedText(h.stations()), QString());  // listed, not selected
    h.chooseStation("Rossija");
    whenDialogOpens([&](QDialog* d) {
      shown = region(d);
      ok(d);
    });
    h.button("Button8")->click();
    QCOMPARE(shown, QStringLiteral("Kazachstan"));
    QCOMPARE(h.browser->tvStations().back().Name, QStringLiteral("Rossija"));
    QCOMPARE(h.browser->tvStations().back().RegionId, 7);
    QCOMPARE(Harness::selectedText(h.stations()), QStringLiteral("Rossija"));  // unchanged text stays selected
    QCOMPARE(h.tvFile(), h.browser->tvStations());
  }

  void okChecks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("regionName");
    QTest::addColumn<QString>("www");
    QTest::addColumn<QString>("stream");
    QTest::addColumn<QString>("quality");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QStringList>("shownAfter");  // Edit1, Edit2, Edit4, Edit5
    QTest::newRow("blank name") << "   " << "Polska" << "w.pl" << "" << "" << "Musisz podać nazwę strumienia"
                                << "Edit1" << QStringList{"", "w.pl", "", ""};
    QTest::newRow("empty mark as name") << " - " << "Polska" << "w.pl" << "" << ""
                                        << "Musisz podać nazwę strumienia" << "Edit1"
                                        << QStringList{"-", "w.pl", "", ""};
    QTest::newRow("same name in the region") << " tvp INFO " << "Polska" << " http://w.pl " << "" << ""
                                             << "Istnieje już strumień o takiej nazwie" << "Edit1"
                                             << QStringList{"tvp INFO", " http://w.pl ", "", ""};
    QTest::newRow("same name across a shared identifier")
        << "TVE" << "Hiszpania" << "w.es" << "" << "" << "Istnieje już strumień o takiej nazwie" << "Edit1"
        << QStringList{"TVE", "w.es", "", ""};
    QTest::newRow("same name among the favourites")
        << "ulubiona" << "Ulubione" << "w.pl" << "" << "" << "Istnieje już strumień o takiej nazwie" << "Edit1"
        << QStringList{"ulubiona", "w.pl", "", ""};
    QTest::newRow("no addresses, trimmed so far")
        << " Nowa " << "Polska" << " http://  " << " - " << "x" << "Nie określono adresu strumienia ani WWW"
        << "Edit4" << QStringList{"Nowa", "", "", "x"};
    QTest::newRow("line breaks become blanks") << "A\tB\nC" << "Polska" << "" << "" << ""
                                               << "Nie określono adresu strumienia ani WWW" << "Edit4"
                                               << QStringList{"A B C", "", "", ""};
    // Only one leading "http://" goes.
    QTest::newRow("negative quality") << "Nowa" << "Polska" << "http://http://w.pl" << "" << " -1 "
                                      << "Nieprawidłowa jakość transmisji" << "Edit5"
                                      << QStringList{"Nowa", "http://w.pl", "", "-1"};
    // The catalogue file holds 8-bit text: what it lacks is refused, field by field in the order
    // of the checks, never saved as "?".
    QTest::newRow("Cyrillic name, before the duplicate check")
        << " Телеканал " << "Polska" << " http://w.pl " << "" << ""
        << "Pole „Nazwa” zawiera znak „Т” (U+0422), którego nie można zapisać w pliku stacji. Usuń go lub zastąp "
           "innym." << "Edit1" << QStringList{"Телеканал", " http://w.pl ", "", ""};
    QTest::newRow("euro sign the file's code page lacks")
        << "Nowa" << "Polska" << " http://w.pl/€ " << "mms://n/€" << ""
        << "Pole „WWW” zawiera znak „€” (U+20AC), którego nie można zapisać w pliku stacji. Usuń go lub zastąp "
           "innym." << "Edit2" << QStringList{"Nowa", "w.pl/€", "mms://n/€", ""};
    QTest::newRow("character beyond 16 bits in the stream")
        << "Nowa" << "Polska" << "http://http://w.pl" << " mms://n/😀 " << "x"
        << "Pole „Strumień (URL)” zawiera znak „😀” (U+1F600), którego nie można zapisać w pliku stacji. Usuń go "
           "lub zastąp innym." << "Edit4" << QStringList{"Nowa", "http://w.pl", "mms://n/😀", "x"};
    QTest::newRow("quality too large for bit/s")
        << "Nowa" << "Polska" << "" << "mms://n" << "2147484" << "Nieprawidłowa jakość transmisji" << "Edit5"
        << QStringList{"Nowa", "", "mms://n", "2147484"};
  }
  void okChecks() {
    QFETCH(QString, name);
    QFETCH(QString, regionName);
    QFETCH(QString, www);
    QFETCH(QString, stream);
    QFETCH(QString, quality);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QFETCH(QStringList, shownAfter);
    catalogue::TvStation favourite = tv("Ulubiona", 0);
    Harness h({tv("TVP Info", 48), tv("TVE", 34), favourite});
    const catalogue::TvStations before = h.browser->tvStations();
    QStringList after;
    QString focused;
    whenDialogOpens([&](QDialog* d) {
      setText(d, "Edit1", name);
      control<QComboBox>(d, "ComboBox1")->setCurrentText(regionName);
      setText(d, "Edit2", www);
      setText(d, "Edit4", stream);
      setText(d, "Edit5", quality);
      ok(d);
      QVERIFY(d->isVisible());
      after = QStringList{text(d, "Edit1"), text(d, "Edit2"), text(d, "Edit4"), text(d, "Edit5")};
      focused = d->focusWidget() != nullptr ? d->focusWidget()->objectName() : QString();
    });
    h.button("Button7")->click();
    QCOMPARE(h.boxes.texts(), QStringList{message});
    QCOMPARE(h.boxes.shown.front().kind, ShownBox::Error);
    QCOMPARE(focused, focus);
    QCOMPARE(after, shownAfter);
    QCOMPARE(h.browser->tvStations(), before);
    QCOMPARE(h.tvFile(), before);
  }

  void storedFieldsAndNormalisation() {
    Harness h({tv("TVE", 34), tv("TVP Info", 48)});
    whenDialogOpens([&](QDialog* d) {
      setText(d, "Edit1", "  TVE  ");  // the same name in another region is accepted
      control<QComboBox>(d, "ComboBox1")->setCurrentText("Polska");
      setText(d, "Edit2", "http://tve.es");
      setText(d, "Edit3", "HTTP://tve.es/r");
      setText(d, "Edit4", " http://stream ");
      setText(d, "Edit5", "128");
      control<QRadioButton>(d, "RadioButton3")->setChecked(true);
      control<QCheckBox>(d, "CheckBox7")->setChecked(true);
      control<QCheckBox>(d, "CheckBox5")->setChecked(false);
      ok(d);
    });
    h.button("Button7")->click();
    catalogue::TvStation expected = tv("TVE", 48, "http://stream", false);
    expected.Www = "tve.es";
    expected.ScheduleWww = "HTTP://tve.es/r";
    expected.QualityBps = 128000;
    expected.PlayerKind = 4;
    expected.Categories = 0x20;
    QCOMPARE(h.browser->tvStations(), (catalogue::TvStations{tv("TVE", 34), expected, tv("TVP Info", 48)}));
    QCOMPARE(h.tvFile(), h.browser->tvStations());
  }

  void filingAtTheAlphabeticalPlace() {
    Harness h({tv("Alfa", 48), tv("Gamma", 48), tv("Omega", 44)});
    h.chooseRegion("Polska");
    whenDialogOpens([&](QDialog* d) {
      setText(d, "Edit1", "Beta");
      setText(d, "Edit4", "mms://b");
      ok(d);
    });
    h.button("Button7")->click();
    QCOMPARE(names(h.browser->tvStations()), (QStringList{"Alfa", "Beta", "Gamma", "Omega"}));
    QCOMPARE(Harness::texts(h.stations()), (QStringList{"Alfa", "Beta", "Gamma"}));

    h.chooseStation("Alfa");
    whenDialogOpens([&](QDialog* d) {
      setText(d, "Edit1", "Zeta");
      ok(d);
    });
    h.button("Button8")->click();
    QCOMPARE(names(h.browser->tvStations()), (QStringList{"Beta", "Gamma", "Omega", "Zeta"}));
    // The old entry went, the new one came unselected at the end.
    QCOMPARE(Harness::texts(h.stations()), (QStringList{"Beta", "Gamma", "Zeta"}));
    QCOMPARE(Harness::selectedText(h.stations()), QString());
    QCOMPARE(h.browser->SelectedTv(), -1);
    QCOMPARE(names(h.tvFile()), names(h.browser->tvStations()));
  }

  void renameOfLetterCaseKeepsTheEntry() {
    Harness h({tv("Alfa", 48), tv("Beta", 48)});
    h.chooseRegion("Polska");
    h.chooseStation("Alfa");
    whenDialogOpens([&](QDialog* d) {
      setText(d, "Edit1", "ALFA");
      ok(d);
    });
    h.button("Button8")->click();
    QCOMPARE(Harness::texts(h.stations()), (QStringList{"Alfa", "Beta"}));
    QCOMPARE(Harness::selectedText(h.stations()), QStringLiteral("Alfa"));
    QCOMPARE(h.details()[0], QStringLiteral("ALFA"));
    QCOMPARE(h.tvFile().front().Name, QStringLiteral("ALFA"));
    h.chooseRegion("Ulubione");
    h.chooseRegion("Polska");
    QCOMPARE(Harness::texts(h.stations()), (QStringList{"ALFA", "Beta"}));
  }

  void movingTheOnlyStationAwayLosesTheRegion() {
    Harness h({tv("Alfa", 48), tv("Beta", 44)});
    h.chooseRegion("Polska");
    h.chooseStation("Alfa");
    whenDialogOpens([&](QDialog* d) {
      control<QComboBox>(d, "ComboBox1")->setCurrentText("Wielka Brytania");
      ok(d);
    });
    h.button("Button8")->click();
    QCOMPARE(Harness::texts(h.regions()), (QStringList{"Ulubione", "Wielka Brytania"}));
    QCOMPARE(Harness::selectedText(h.stations()), QStringLiteral("Alfa"));
    QVERIFY(h.browser->selectedTvStation() == nullptr);
    QCOMPARE(h.tvFile(), (catalogue::TvStations{tv("Alfa", 44), tv("Beta", 44)}));
  }

  void bitsEachDialogKeepsOrLoses() {
    catalogue::TvStation odd = tv("Dziwny", 48);
    odd.PlayerKind = 3;
    odd.Categories = 0x61;
    catalogue::RadioStation radioOdd = radio("Dziwne", 48);
    radioOdd.PlayerKind = 0;
    radioOdd.Categories = 0x21;
    radioOdd.QualityBps = 0;
    Harness h({odd}, {radioOdd});
    h.chooseRegion("Polska");
    h.chooseStation("Dziwny");
    bool otherKind = false;
    whenDialogOpens([&](QDialog* d) {
      otherKind = control<QRadioButton>(d, "RadioButton4")->isChecked();
      QVERIFY(control<QCheckBox>(d, "CheckBox7")->isChecked());
      QCOMPARE(text(d, "Edit5"), QStringLiteral("0"));
      ok(d);
    });
    h.button("Button8")->click();
    QVERIFY(otherKind);
    QCOMPARE(h.browser->tvStations()[0].PlayerKind, quint8{8});
    QCOMPARE(h.browser->tvStations()[0].Categories, quint8{0x21});  // 0x40 has no box
    QCOMPARE(h.browser->tvStations()[0].QualityBps, 0);

    Harness::choose(h.fmControl<QListWidget>("ListBox3"), "Polska");
    Harness::choose(h.fmControl<QListWidget>("ListBox4"), "Dziwne");
    // Cancel keeps every bit.
    whenDialogOpens([&](QDialog* d) { setText(d, "Edit1", "Inne"); });
    h.fmControl<QPushButton>("Button11")->click();
    QCOMPARE(h.browser->radioStations(), (catalogue::RadioStations{radioOdd}));
    QCOMPARE(h.radioFile(), (catalogue::RadioStations{radioOdd}));
    whenDialogOpens([&](QDialog* d) {
      otherKind = control<QRadioButton>(d, "RadioButton5")->isChecked();
      ok(d);
    });
    h.fmControl<QPushButton>("Button11")->click();
    QVERIFY(otherKind);
    QCOMPARE(h.browser->radioStations()[0].PlayerKind, quint8{16});
    QCOMPARE(h.browser->radioStations()[0].Categories, quint8{0x01});
    QCOMPARE(h.radioFile(), h.browser->radioStations());
  }

  void cancelChangesNothingButStillSaves() {
    Harness h({tv("Alfa", 48)});
    QFile::remove(h.feed(catalogue::kTvFeedName));
    whenDialogOpens([&](QDialog* d) { setText(d, "Edit1", "Beta"); });
    h.button("Button7")->click();
    QCOMPARE(h.browser->tvStations(), (catalogue::TvStations{tv("Alfa", 48)}));
    QCOMPARE(h.tvFile(), h.browser->tvStations());
  }

  // Enter goes to the focused button: on "Anuluj" the station the user meant to drop is not filed.
  // With the focus in a field it is OK's, the default button.
  void enterPressesTheFocusedButton_data() {
    QTest::addColumn<bool>("tvDialog");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("filed");
    QTest::newRow("TV, Anuluj") << true << "Button2" << false;
    QTest::newRow("TV, a field") << true << "Edit4" << true;
    QTest::newRow("radio, Anuluj") << false << "Button2" << false;
    QTest::newRow("radio, a field") << false << "Edit4" << true;
  }
  void enterPressesTheFocusedButton() {
    QFETCH(bool, tvDialog);
    QFETCH(QString, focus);
    QFETCH(bool, filed);
    Harness h({tv("Alfa", 48)}, {radio("Alfa", 48)});
    h.main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.main));
    bool closedByEnter = false;
    whenDialogOpens([&](QDialog* d) {
      setText(d, "Edit1", "Nowa");
      setText(d, "Edit4", "mms://nowa");
      QWidget* target = d->findChild<QWidget*>(focus);
      target->setFocus();
      QTest::keyClick(target, Qt::Key_Return);
      closedByEnter = !d->isVisible();
    });
    (tvDialog ? h.button("Button7") : h.fmControl<QPushButton>("Button5"))->click();
    QVERIFY(closedByEnter);
    const std::size_t count = tvDialog ? h.browser->tvStations().size() : h.browser->radioStations().size();
    QCOMPARE(count, filed ? std::size_t{2} : std::size_t{1});
    QVERIFY(h.boxes.shown.empty());
  }

  // Each radio button and check box of both dialogs against the number the catalogue stores for it,
  // both ways: a swapped pair of masks fails here.
  void eachControlStandsForItsOwnBit_data() {
    QTest::addColumn<bool>("tv");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("categories");
    const QList<std::pair<const char*, int>> tvKinds{
        {"RadioButton1", 2}, {"RadioButton2", 1}, {"RadioButton3", 4}, {"RadioButton4", 8}};
    const QList<std::pair<const char*, int>> radioKinds{
        {"RadioButton1", 1}, {"RadioButton2", 2}, {"RadioButton3", 4}, {"RadioButton4", 8}, {"RadioButton5", 16}};
    const QList<std::pair<const char*, int>> categories{{"CheckBox2", 0x01}, {"CheckBox1", 0x02}, {"CheckBox3", 0x04},
                                                        {"CheckBox4", 0x08}, {"CheckBox6", 0x10}, {"CheckBox7", 0x20}};
    for (const auto& [name, kind] : tvKinds) QTest::newRow(qPrintable(QStringLiteral("TV %1").arg(name))) << true << name << kind << 0;
    for (const auto& [name, kind] : radioKinds)
      QTest::newRow(qPrintable(QStringLiteral("radio %1").arg(name))) << false << name << kind << 0;
    for (const auto& [name, bits] : categories) {
      QTest::newRow(qPrintable(QStringLiteral("TV %1").arg(name))) << true << name << 8 << bits;
      if (bits != 0x20) QTest::newRow(qPrintable(QStringLiteral("radio %1").arg(name))) << false << name << 16 << bits;
    }
  }
  void eachControlStandsForItsOwnBit() {
    QFETCH(bool, tv);
    QFETCH(QString, control);
    QFETCH(int, kind);
    QFETCH(int, categories);
    catalogue::TvStation tvStation = browsertest::tv("Kanał", 48);
    catalogue::RadioStation radioStation = radio("Stacja", 48);
    tvStation.PlayerKind = radioStation.PlayerKind = quint8(kind);
    tvStation.Categories = radioStation.Categories = quint8(categories);
    Harness h({tvStation}, {radioStation});
    auto* regions = tv ? h.regions() : h.fmControl<QListWidget>("ListBox3");
    auto* stations = tv ? h.stations() : h.fmControl<QListWidget>("ListBox4");
    Harness::choose(regions, QStringLiteral("Polska"));
    Harness::choose(stations, tv ? QStringLiteral("Kanał") : QStringLiteral("Stacja"));
    bool shown = false;
    whenDialogOpens([&](QDialog* d) {
      auto* button = d->findChild<QAbstractButton*>(control);
      shown = button->isChecked();
      // Stored back from the controls alone: every box off, then this one on.
      for (auto* box : d->findChildren<QCheckBox*>())
        if (box->objectName() != QLatin1String("CheckBox5")) box->setChecked(false);
      button->setChecked(true);
      ok(d);
    });
    (tv ? h.button("Button8") : h.fmControl<QPushButton>("Button11"))->click();
    QVERIFY(shown);
    const quint8 storedKind = tv ? h.tvFile().front().PlayerKind : h.radioFile().front().PlayerKind;
    const quint8 storedCategories = tv ? h.tvFile().front().Categories : h.radioFile().front().Categories;
    QCOMPARE(int(storedKind), kind);
    QCOMPARE(int(storedCategories), categories);
  }
};

QTEST_MAIN(BrowserEditorsTest)
#include "tst_browsereditors.moc"
