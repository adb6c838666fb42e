#include <QListView>
#include <QShortcut>

#include "browserharness.h"

using namespace browsertest;

namespace {

const QStringList kStationChosen{"Button7", "Button8", "Button9", "Button10", "BitBtn1"};

// Keys as the keyboard sends them: to the widget with the focus, through the window's shortcuts.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  QWidget* focus = QApplication::focusWidget();
  QVERIFY(focus != nullptr);
  QTest::keyClick(focus, key, modifiers);
}
// Text a character at a time; Qt Test's own typing takes ASCII only.
void type(const QString& text) {
  for (QChar c : text) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(QApplication::focusWidget(), &key);
  }
}

QLineEdit* field(QWidget* form) { return form->findChild<QLineEdit*>(QStringLiteral("FinderField")); }
QListView* results(QWidget* form) { return form->findChild<QListView*>(QStringLiteral("FinderResults")); }
QStringList lines(QWidget* form) {
  QStringList shown;
  const QAbstractItemModel* model = results(form)->model();
  for (int row = 0; row < model->rowCount(); ++row) shown << model->index(row, 0).data().toString();
  return shown;
}
// A closed finder is gone, not hidden.
bool finderGone(QWidget* form) {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return field(form) == nullptr && results(form) == nullptr;
}

// Where every control of a form stands, but the finder's own.
QMap<QString, QRect> layout(QWidget* form) {
  QMap<QString, QRect> places;
  for (QWidget* widget : form->findChildren<QWidget*>()) {
    bool finderPart = false;
    for (QWidget* w = widget; w != form; w = w->parentWidget())
      finderPart = finderPart || w->objectName() == QLatin1String("StationFinder");
    if (!finderPart) places.insert(widget->objectName(), widget->geometry());
  }
  return places;
}

void showWindow(Harness& h) {
  h.main.show();
  h.main.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&h.main));
}

}  // namespace

class FinderPanelsTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // Ctrl+F, typing, Down, Enter: the station is selected in its region as clicks would select it,
  // and a second Enter starts it.
  void tvPanelFindsAcrossRegionsAndSelectsTheChosenStation() {
    Harness h({tv("Polsat", 48), tv("TVP Łódzkie", 48), tv("Łódź TV", 48), tv("Lodz Calling", 49), tv("Łódź TV", 0),
               tv("Melodzik", 420)});
    showWindow(h);
    QWidget* form = h.browser->tvForm();
    int starts = 0;
    QObject::connect(h.button("BitBtn1"), &QPushButton::clicked, [&] { ++starts; });
    h.chooseRegion("Polska");
    h.chooseStation("Polsat");
    h.stations()->setFocus();
    const QMap<QString, QRect> before = layout(form);

    press(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(field(form) != nullptr);
    QCOMPARE(QApplication::focusWidget(), field(form));
    QCOMPARE(field(form)->accessibleName(), QStringLiteral("Znajdź stację"));
    QCOMPARE(results(form)->accessibleName(), QStringLiteral("Znalezione stacje"));
    QVERIFY(lines(form).isEmpty());
    QCOMPARE(layout(form), before);
    QTest::keyClicks(field(form), "lodz");
    QCOMPARE(lines(form), (QStringList{"Lodz Calling — Niemcy", "Łódź TV — Polska", "TVP Łódzkie — Polska",
                                       "Melodzik — Czechy"}));
    QCOMPARE(h.details()[0], QStringLiteral("Polsat"));  // nothing chosen yet

    press(Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), results(form));
    QCOMPARE(results(form)->currentIndex().row(), 0);
    press(Qt::Key_Return);
    QVERIFY(finderGone(form));
    QCOMPARE(Harness::selectedText(h.regions()), QStringLiteral("Niemcy"));
    QCOMPARE(Harness::texts(h.stations()), QStringList{"Lodz Calling"});
    QCOMPARE(Harness::selectedText(h.stations()), QStringLiteral("Lodz Calling"));
    QCOMPARE(h.browser->SelectedTv(), 3);
    QCOMPARE(h.details()[0], QStringLiteral("Lodz Calling"));
    QCOMPARE(h.enabledButtons(), kStationChosen);
    QCOMPARE(QApplication::focusWidget(), h.stations());
    QCOMPARE(layout(form), before);
    QCOMPARE(starts, 0);
    press(Qt::Key_Return);
    QCOMPARE(starts, 1);

    // The button above "Dodaj stację" opens it too; it stays out of the Tab order.
    auto* button = form->findChild<QPushButton*>(QStringLiteral("FindStationButton"));
    QVERIFY(button->isVisible());
    QVERIFY(button->toolTip().contains(QLatin1String("Ctrl+F")));
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    QVERIFY(button->geometry().bottom() < h.button("Button7")->geometry().top());
    button->click();
    QCOMPARE(QApplication::focusWidget(), field(form));
  }

  // Typed with and without diacritics; a double-click chooses, and so does Enter in the field (the
  // first station found).
  void radioPanelFindsByDoubleClickAndFromTheField() {
    Harness h({}, {radio("Żółw", 48), radio("Radio Zolwik", 49), radio("Jazz", 43), radio("żółw", 0)});
    h.tvHost->hide();
    h.fmHost->show();
    showWindow(h);
    QWidget* form = h.browser->fmForm();
    auto* stationList = h.fmControl<QListWidget>("ListBox4");
    h.fmControl<QListWidget>("ListBox3")->setFocus();
    press(Qt::Key_F, Qt::ControlModifier);
    type(QStringLiteral("ŻÓŁ"));
    QCOMPARE(lines(form), (QStringList{"Radio Zolwik — Niemcy", "Żółw — Polska"}));  // Ż is the last letter
    QListView* list = results(form);
    QTRY_VERIFY(list->visualRect(list->model()->index(0, 0)).isValid());
    // A double click: press and release, then the second press and its release.
    const QPoint at = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QVERIFY(finderGone(form));
    QCOMPARE(Harness::selectedText(h.fmControl<QListWidget>("ListBox3")), QStringLiteral("Niemcy"));
    QCOMPARE(Harness::selectedText(stationList), QStringLiteral("Radio Zolwik"));
    QCOMPARE(h.browser->SelectedRadio(), 1);
    QCOMPARE(h.fmControl<QLineEdit>("Edit6")->text(), QStringLiteral("Radio Zolwik"));

    press(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(field(form), "zolw");
    QTest::keyClick(field(form), Qt::Key_Backspace);
    QCOMPARE(lines(form), (QStringList{"Radio Zolwik — Niemcy", "Żółw — Polska"}));
    press(Qt::Key_Return);
    QVERIFY(finderGone(form));
    QCOMPARE(Harness::selectedText(stationList), QStringLiteral("Radio Zolwik"));
    QCOMPARE(h.browser->SelectedRadio(), 1);
    QCOMPARE(QApplication::focusWidget(), stationList);
  }

  // Escape, from the field or the list, closes the finder and nothing else: not the window, not
  // the selection; the focus goes back. So does showing another category.
  void escapeChangesNothing() {
    Harness h({tv("Łódź TV", 48), tv("Polsat", 48), tv("Lodz Calling", 49)});
    int windowEscapes = 0;
    auto* windowEscape = new QShortcut(QKeySequence(Qt::Key_Escape), &h.main);
    QObject::connect(windowEscape, &QShortcut::activated, [&] { ++windowEscapes; });
    showWindow(h);
    QWidget* form = h.browser->tvForm();
    h.chooseRegion("Polska");
    h.chooseStation("Polsat");
    h.regions()->setFocus();
    const QStringList details = h.details();
    for (bool fromList : {false, true}) {
      press(Qt::Key_F, Qt::ControlModifier);
      QTest::keyClicks(field(form), "lodz");
      if (fromList) press(Qt::Key_Down);
      press(Qt::Key_Escape);
      QVERIFY(finderGone(form));
      QCOMPARE(QApplication::focusWidget(), h.regions());
      QCOMPARE(Harness::selectedText(h.regions()), QStringLiteral("Polska"));
      QCOMPARE(Harness::selectedText(h.stations()), QStringLiteral("Polsat"));
      QCOMPARE(h.details(), details);
    }
    QCOMPARE(windowEscapes, 0);
    press(Qt::Key_Escape);
    QCOMPARE(windowEscapes, 1);  // without the finder Escape is the window's again

    press(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(field(form), "xyz");
    QCOMPARE(lines(form), QStringList{"Brak stacji o takiej nazwie"});
    h.tvHost->hide();
    QVERIFY(finderGone(form));
  }

  // The finder follows the catalogue: a deleted station goes from its list at once, a renamed one
  // is found by its new name only, and what is chosen afterwards is the station it names.
  // A closed finder indexes the catalogue on the side once it has been still for a moment; a change
  // made after that is not missed when the finder opens.
  void indexPreparedWhileClosedFollowsLaterChanges() {
    Harness h({tv("Alfa Łódź", 48), tv("Beta Łódź", 48), tv("Gamma", 49)});
    showWindow(h);
    QWidget* form = h.browser->tvForm();
    QTest::qWait(1500);
    h.chooseRegion("Polska");
    h.chooseStation("Alfa Łódź");
    h.boxes.answers.push_back(true);
    h.button("Button9")->click();
    press(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(field(form), "lodz");
    QCOMPARE(lines(form), QStringList{"Beta Łódź — Polska"});
  }

  void editAndDeleteWhileOpen() {
    Harness h({tv("Alfa Łódź", 48), tv("Beta Łódź", 48), tv("Gamma", 49)});
    showWindow(h);
    QWidget* form = h.browser->tvForm();
    h.chooseRegion("Polska");
    h.chooseStation("Alfa Łódź");
    press(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(field(form), "lodz");
    QCOMPARE(lines(form), (QStringList{"Alfa Łódź — Polska", "Beta Łódź — Polska"}));
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    QCOMPARE(results(form)->currentIndex().row(), 1);

    h.boxes.answers.push_back(true);
    h.button("Button9")->click();
    QCOMPARE(h.browser->tvStations().size(), std::size_t{2});
    QCOMPARE(lines(form), QStringList{"Beta Łódź — Polska"});
    QCOMPARE(results(form)->currentIndex().row(), 0);  // still on "Beta Łódź"

    h.chooseStation("Beta Łódź");
    whenDialogOpens([](QDialog* dialog) {
      dialog->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("Beta Kraków"));
      dialog->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    h.button("Button8")->click();
    const auto& stations = h.browser->tvStations();
    const auto renamed = std::find_if(stations.begin(), stations.end(), [](const auto& s) { return s.RegionId == 48; });
    QCOMPARE(renamed->Name, QStringLiteral("Beta Kraków"));
    QCOMPARE(lines(form), QStringList{"Brak stacji o takiej nazwie"});
    // The closed dialog stays the offscreen platform's active window: keys go to the field itself.
    field(form)->selectAll();
    QTest::keyClicks(field(form), "krak");
    QCOMPARE(lines(form), QStringList{"Beta Kraków — Polska"});
    QTest::keyClick(field(form), Qt::Key_Return);
    QCOMPARE(h.browser->SelectedTv(), renamed - stations.begin());
    QCOMPARE(h.details()[0], QStringLiteral("Beta Kraków"));
  }
};

QTEST_MAIN(FinderPanelsTest)
#include "tst_finderpanels.moc"
