// Thousands of random user operations on both browser panels and their editors, checked after each
// one against the model: the arrays, the catalogue files read back from disk, the lists shown, the
// selections and the boxes. SIECIOWNIK_SOAK_SEED and SIECIOWNIK_SOAK_OPS choose the run; a failure
// names its seed and the operations that led to it.

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <deque>
#include <random>

#include "browser/browserharness.h"
#include "soakmodel.h"
#include "soaksides.h"

using browsertest::Harness;
using testsupport::ShownBox;

namespace {

using namespace soak;

class Soak {
 public:
  explicit Soak(quint64 seed) : random_(seed) {}

  // Runs `operations` steps; the empty text when every check held, else what went wrong.
  QString run(int operations) {
    restart(true);
    for (step_ = 0; step_ < operations && failure_.isEmpty(); ++step_) {
      if (pick(2) == 0) operate<TvSide>(tv_);
      else operate<RadioSide>(radio_);
      if (failure_.isEmpty()) verify<TvSide>(tv_);
      if (failure_.isEmpty()) verify<RadioSide>(radio_);
    }
    return failure_;
  }
  QString recentSteps() const { return QStringList(log_.begin(), log_.end()).join(QLatin1Char('\n')); }
  int saves() const { return saves_; }
  int dialogs() const { return dialogs_; }
  int refusals() const { return refusals_; }
  int accepted() const { return accepted_; }
  int restarts() const { return restarts_; }

 private:
  // --- random choices ---
  int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }
  bool chance(int percent) { return pick(100) < percent; }
  template <class T>
  const T& oneOf(const std::vector<T>& items) { return items[pick(int(items.size()))]; }

  // Few names and few regions, so that equal names, shared identifiers and refusals come often;
  // Polish letters, so that the order is the Polish one.
  QString someName() {
    static const std::vector<QString> words{"Alfa", "alfa", "Beta", "Łąka", "łąka", "Laka", "Lato",  "Zorza",
                                            "Źródło", "Żagiel", "zagiel", "Oda", "Óda", "Ćma",  "Cma", "Echo",
                                            "Śnieg", "Snieg", "TVP", "tvp", "Radio", "Nowa", "Ęfa", "Efa"};
    QString name = oneOf(words);
    if (chance(40)) name += QLatin1Char(' ') + oneOf(words);
    if (chance(20)) name += QLatin1Char(' ') + QString::number(pick(3) + 1);
    return name;
  }
  QString typedName() {
    switch (pick(20)) {
      case 0: return QStringLiteral("   ");
      case 1: return QStringLiteral(" - ");
      case 2: return QStringLiteral("\t") + someName() + QStringLiteral("  ");
      case 3: return someName().replace(QLatin1Char(' '), QLatin1Char('\t'));
      default: return someName();
    }
  }
  int someRegionRow() {
    // Ulubione, Polska, Rosja and Kazachstan (7), Hiszpania and Kanaryjskie (34), Watykan and Włochy (39), Niemcy.
    static const std::vector<int> rows{0, 123, 126, 87, 70, 86, 148, 153, 112};
    return chance(10) ? pick(catalogue::kRegionCount) : oneOf(rows);
  }
  QString typedPage() {
    static const std::vector<QString> pages{"", "", " ", "-", "http://tv.pl", "HTTP://tv.pl/x", "radio.pl/ś",
                                            " http://http://a.pl ", "ftp://f.pl", "www.zażółć.pl"};
    return oneOf(pages);
  }
  QString typedStream() {
    static const std::vector<QString> streams{"", "", "-", "mms://s/1", " http://s:8000/a ", "rtsp://r/x", "http://s"};
    return oneOf(streams);
  }
  QString typedQuality() {
    static const std::vector<QString> good{"", "", "0", "128", " 64 ", "+5", "007", "-0", "2147483"};
    static const std::vector<QString> bad{"-1", "12a", "2147484", "99999999999", "1 2"};
    return chance(10) ? oneOf(bad) : oneOf(good);
  }

  template <class Station>
  Station someStation(const soak::PanelModel<Station>& model) {
    Station s;
    for (int tries = 0; tries < 20; ++tries) {
      s.Name = someName();
      s.RegionId = chance(5) ? 424242 : catalogue::Regions[someRegionRow()].Id;  // 424242: no region
      if (!model.nameTaken(-1, s.RegionId, s.Name, names_)) break;
      s.Name += QStringLiteral(" %1").arg(step_ + tries + model.stations.size());
    }
    s.Www = chance(50) ? QStringLiteral("strona.pl/") + QString::number(pick(100)) : QString();
    s.StreamUrl = chance(80) ? QStringLiteral("mms://s/") + QString::number(pick(100)) : QString();
    // Values a catalogue file can hold but the editor never stores.
    s.QualityBps = chance(20) ? pick(2000) - 1000 : pick(3) * 64000;
    s.PlayerKind = quint8(chance(20) ? pick(256) : 1 << pick(4));
    s.Categories = quint8(chance(20) ? pick(256) : pick(32));
    if constexpr (std::is_same_v<Station, catalogue::TvStation>) {
      s.ScheduleWww = chance(30) ? QStringLiteral("ramowka.pl") : QString();
      s.Live = chance(70);
    }
    return s;
  }

  // --- the program ---
  // A fresh start on catalogue files holding what the model holds (random ones the first time).
  void restart(bool fresh) {
    if (fresh) {
      const int tvCount = pick(30);
      for (int i = 0; i < tvCount; ++i) tv_.stations.push_back(someStation(tv_));
      const int radioCount = pick(30);
      for (int i = 0; i < radioCount; ++i) radio_.stations.push_back(someStation(radio_));
    }
    harness_.reset();
    harness_ = std::make_unique<Harness>(tv_.stations, radio_.stations);
    started(tv_);
    started(radio_);
    note(QStringLiteral("start: TV %1, radio %2").arg(describe(tv_.stations), describe(radio_.stations)));
  }
  template <class Station>
  void started(soak::PanelModel<Station>& model) {
    std::vector<Station> stations = soak::readBack(std::move(model.stations));
    model = {};
    model.stations = std::move(stations);
    model.fillRegionList(names_);
  }

  template <class Side>
  QPushButton* button(const char* name) {
    return child<QPushButton>(Side::form(*harness_->browser), name);
  }
  template <class Side>
  QListWidget* list(const char* name) {
    return child<QListWidget>(Side::form(*harness_->browser), name);
  }

  void note(const QString& text) {
    log_.push_back(QStringLiteral("#%1 %2").arg(step_).arg(text));
    if (log_.size() > 25) log_.pop_front();
  }
  void fail(const QString& what) {
    if (failure_.isEmpty()) failure_ = what;
  }

  template <class Side>
  void operate(soak::PanelModel<typename Side::Station>& model) {
    const QString side = Side::kTv ? QStringLiteral("TV") : QStringLiteral("radio");
    expectedBoxes_.clear();
    harness_->boxes.shown.clear();
    switch (pick(100) / 10) {
      case 0:
      case 1: chooseRegion<Side>(model, side); break;
      case 2:
      case 3: chooseStation<Side>(model, side); break;
      case 4:
      case 5: add<Side>(model, side); break;
      case 6:
      case 7: edit<Side>(model, side); break;
      case 8: remove<Side>(model, side); break;
      default:
        if (chance(5)) {
          note(QStringLiteral("restart"));
          ++restarts_;
          restart(false);
        } else {
          copy<Side>(model, side);
        }
        break;
    }
    QStringList shown;
    for (const ShownBox& box : harness_->boxes.shown) shown << QStringLiteral("%1:%2").arg(int(box.kind)).arg(box.text);
    if (shown != expectedBoxes_)
      fail(QStringLiteral("boxes shown: %1\nexpected: %2").arg(shown.join(" / "), expectedBoxes_.join(" / ")));
  }

  void expectBox(ShownBox::Kind kind, const QString& text) {
    expectedBoxes_ << QStringLiteral("%1:%2").arg(int(kind)).arg(text);
  }

  template <class Side>
  void chooseRegion(soak::PanelModel<typename Side::Station>& model, const QString& side) {
    const int row = pick(int(model.regionEntries.size()));
    if (row == model.regionSelected) return;  // a click on the chosen entry changes nothing
    note(QStringLiteral("%1 region %2").arg(side, model.regionEntries[row]));
    model.regionSelected = row;
    model.regionClick(names_);
    list<Side>(Side::kRegionList)->setCurrentRow(row);
  }

  template <class Side>
  void chooseStation(soak::PanelModel<typename Side::Station>& model, const QString& side) {
    if (model.stationEntries.isEmpty()) return;
    const int row = pick(int(model.stationEntries.size()));
    if (row == model.stationSelected) return;
    note(QStringLiteral("%1 station %2").arg(side, model.stationEntries[row]));
    model.stationSelected = row;
    model.stationClick(names_);
    list<Side>(Side::kStationList)->setCurrentRow(row);
  }

  template <class Side>
  void remove(soak::PanelModel<typename Side::Station>& model, const QString& side) {
    if (!model.deleteEnabled) return;
    const bool yes = chance(75);
    note(QStringLiteral("%1 delete, answer %2").arg(side, yes ? "Yes" : "No"));
    harness_->boxes.answers = {yes};
    if (model.selected >= 0) {
      const auto& station = model.stations[model.selected];
      expectBox(ShownBox::Question, (station.RegionId != 0 ? QStringLiteral("Czy na pewno chcesz usunąć stację ")
                                                           : QStringLiteral("Czy na pewno chcesz usunąć z Ulubionych ")) +
                                        QLatin1Char('"') + station.Name + QStringLiteral("\"?"));
      if (yes) {
        model.stations.erase(model.stations.begin() + model.selected);
        model.fillRegionList(names_);
        ++saves_;
      }
    }
    button<Side>(Side::kDelete)->click();
    harness_->boxes.answers.clear();
  }

  template <class Side>
  void copy(soak::PanelModel<typename Side::Station>& model, const QString& side) {
    if (!model.copyEnabled) return;
    note(QStringLiteral("%1 copy to favourites").arg(side));
    if (model.selected >= 0 && model.stations[model.selected].RegionId != 0) {
      auto copy = model.stations[model.selected];
      if (model.nameTaken(-1, 0, copy.Name, names_)) {
        expectBox(ShownBox::Error, QStringLiteral("Strumień o tej nazwie jest już w Ulubionych"));
      } else {
        copy.RegionId = 0;
        model.stations.push_back(copy);
        model.fillRegionList(names_);
        ++saves_;
        expectBox(ShownBox::Information, QStringLiteral("Strumień został dodany do Ulubionych"));
      }
    }
    button<Side>(Side::kCopy)->click();
  }

  template <class Side>
  void add(soak::PanelModel<typename Side::Station>& model, const QString& side) {
    note(QStringLiteral("%1 add").arg(side));
    runEditor<Side>(model, -1, Side::kAdd, true);
  }

  template <class Side>
  void edit(soak::PanelModel<typename Side::Station>& model, const QString& side) {
    if (!model.editEnabled) return;
    // With the region lost the button stays enabled, opens nothing and only saves.
    note(QStringLiteral("%1 edit %2").arg(side).arg(model.selected));
    runEditor<Side>(model, model.selected, Side::kEdit, model.selected >= 0);
  }

  // What the dialog must show when it opens.
  template <class Side>
  soak::Typed opening(const soak::PanelModel<typename Side::Station>& model, int index) {
    soak::Typed t;
    if (index < 0) {
      t.regionRow = model.regionRow;
      t.kind = Side::kNewKind;
      t.live = Side::kTv;
      return t;
    }
    const auto& s = model.stations[index];
    t.name = s.Name;
    t.regionRow = soak::firstRowOfId(s.RegionId);
    t.www = s.Www;
    t.stream = s.StreamUrl;
    t.quality = QString::number(s.QualityBps / 1000);
    t.kind = shownKind<Side>(s.PlayerKind);
    t.categories = s.Categories & boxMask<Side>();
    if constexpr (Side::kTv) {
      t.schedule = s.ScheduleWww;
      t.live = s.Live;
    }
    return t;
  }

  template <class Side>
  static soak::Typed read(QDialog* d) {
    soak::Typed t;
    t.name = child<QLineEdit>(d, "Edit1")->text();
    t.regionRow = child<QComboBox>(d, "ComboBox1")->currentIndex();
    t.www = child<QLineEdit>(d, "Edit2")->text();
    t.stream = child<QLineEdit>(d, "Edit4")->text();
    t.quality = child<QLineEdit>(d, "Edit5")->text();
    for (const auto& [name, value] : Side::kKinds)
      if (child<QRadioButton>(d, name)->isChecked()) t.kind = value;
    for (const auto& [name, value] : Side::kBoxes)
      if (child<QCheckBox>(d, name)->isChecked()) t.categories |= value;
    if constexpr (Side::kTv) {
      t.schedule = child<QLineEdit>(d, "Edit3")->text();
      t.live = child<QCheckBox>(d, "CheckBox5")->isChecked();
    }
    return t;
  }

  template <class Side>
  static void type(QDialog* d, const soak::Typed& t) {
    child<QLineEdit>(d, "Edit1")->setText(t.name);
    child<QComboBox>(d, "ComboBox1")->setCurrentIndex(t.regionRow);
    child<QLineEdit>(d, "Edit2")->setText(t.www);
    child<QLineEdit>(d, "Edit4")->setText(t.stream);
    child<QLineEdit>(d, "Edit5")->setText(t.quality);
    for (const auto& [name, value] : Side::kKinds)
      if (value == t.kind) child<QRadioButton>(d, name)->setChecked(true);
    for (const auto& [name, value] : Side::kBoxes) child<QCheckBox>(d, name)->setChecked((t.categories & value) != 0);
    if constexpr (Side::kTv) {
      child<QLineEdit>(d, "Edit3")->setText(t.schedule);
      child<QCheckBox>(d, "CheckBox5")->setChecked(t.live);
    }
  }

  static QString differences(const soak::Typed& a, const soak::Typed& b) {
    QStringList out;
    const auto field = [&](const char* name, const QString& x, const QString& y) {
      if (x != y) out << QStringLiteral("%1 '%2' != '%3'").arg(QLatin1String(name), x, y);
    };
    field("name", a.name, b.name);
    field("region", QString::number(a.regionRow), QString::number(b.regionRow));
    field("www", a.www, b.www);
    field("schedule", a.schedule, b.schedule);
    field("stream", a.stream, b.stream);
    field("quality", a.quality, b.quality);
    field("kind", QString::number(a.kind), QString::number(b.kind));
    field("categories", QString::number(a.categories), QString::number(b.categories));
    field("live", QString::number(a.live), QString::number(b.live));
    return out.join(QStringLiteral(", "));
  }

  // Changes some fields the way a user would.
  template <class Side>
  void change(soak::Typed& t, bool fresh) {
    if (fresh || chance(50)) t.name = typedName();
    else if (chance(20)) t.name = t.name.toUpper();
    if (fresh || chance(30)) t.regionRow = someRegionRow();
    if (fresh || chance(30)) t.www = typedPage();
    if (Side::kTv && (fresh || chance(20))) t.schedule = typedPage();
    if (fresh || chance(30)) t.stream = typedStream();
    if (fresh || chance(30)) t.quality = typedQuality();
    if (chance(30)) t.kind = oneOf(Side::kKinds).second;
    if (chance(30)) t.categories = quint8(pick(256)) & boxMask<Side>();
    if (Side::kTv && chance(30)) t.live = !t.live;
  }

  template <class Side>
  void runEditor(soak::PanelModel<typename Side::Station>& model, int index, const char* buttonName,
                 bool dialogExpected) {
    using Station = typename Side::Station;
    const soak::Typed expectedOpening = opening<Side>(model, index);
    bool opened = false;
    bool accepted = false;
    soak::Typed stored;
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (d == nullptr) return;
      opened = true;
      ++dialogs_;
      const soak::Typed shown = read<Side>(d);
      if (const QString diff = differences(shown, expectedOpening); !diff.isEmpty())
        fail(QStringLiteral("the editor opened with %1").arg(diff));
      soak::Typed t = shown;
      change<Side>(t, index < 0);
      // OK, and after a refusal either a further change and OK, or Cancel.
      for (int attempt = 0; attempt < 3 && failure_.isEmpty(); ++attempt) {
        if (chance(10)) break;  // Cancel
        type<Side>(d, t);
        soak::Typed checked = t;
        const std::optional<QString> refusal = soak::checkTyped(checked, Side::kTv, model, index, names_);
        child<QPushButton>(d, "Button1")->click();
        note(QStringLiteral("  OK: %1 -> %2").arg(t.name, refusal.value_or(QStringLiteral("accepted"))));
        if (!refusal) {
          if (d->isVisible()) fail(QStringLiteral("OK did not close the dialog"));
          accepted = true;
          ++accepted_;
          stored = checked;
          return;
        }
        ++refusals_;
        expectBox(ShownBox::Error, *refusal);
        if (!d->isVisible()) {
          fail(QStringLiteral("the dialog closed although the fields were refused: %1").arg(*refusal));
          return;
        }
        // The fields are shown normalised as far as the checks got.
        if (const QString diff = differences(read<Side>(d), checked); !diff.isEmpty())
          fail(QStringLiteral("after the refusal the dialog shows %1").arg(diff));
        t = checked;
        change<Side>(t, false);
      }
      d->reject();
    });
    button<Side>(buttonName)->click();
    QCoreApplication::processEvents();
    if (opened != dialogExpected) fail(QStringLiteral("the editor dialog %1").arg(opened ? "opened" : "did not open"));
    if (accepted) {
      Station record;
      record.Name = stored.name;
      record.RegionId = catalogue::Regions[stored.regionRow].Id;
      record.Www = stored.www;
      record.StreamUrl = stored.stream;
      record.QualityBps = stored.quality.isEmpty() ? 0 : qint32(stored.quality.toLongLong() * 1000);
      record.PlayerKind = stored.kind;
      record.Categories = stored.categories;
      if constexpr (Side::kTv) {
        record.ScheduleWww = stored.schedule;
        record.Live = stored.live;
      }
      model.file(index, record, names_);
    }
    model.fillRegionList(names_);  // the save that follows in every case
    ++saves_;
  }

  // --- the checks after every step ---
  template <class Side>
  void verify(const soak::PanelModel<typename Side::Station>& model) {
    browser::StationBrowser& b = *harness_->browser;
    const QString side = Side::kTv ? QStringLiteral("TV: ") : QStringLiteral("radio: ");
    const auto check = [&](bool good, const QString& what) {
      if (!good) fail(side + what);
    };
    check(Side::stations(b) == model.stations, QStringLiteral("the array holds %1\nexpected %2")
                                                   .arg(describe(Side::stations(b)), describe(model.stations)));
    const auto onDisk = Side::file(*harness_);
    const auto expectedOnDisk = soak::readBack(model.stations);
    check(onDisk == expectedOnDisk,
          QStringLiteral("the file holds %1\nexpected %2").arg(describe(onDisk), describe(expectedOnDisk)));
    const QListWidget* regions = list<Side>(Side::kRegionList);
    const QListWidget* stations = list<Side>(Side::kStationList);
    check(texts(regions) == model.regionEntries, QStringLiteral("region list %1, expected %2")
                                                      .arg(texts(regions).join(" / "), model.regionEntries.join(" / ")));
    check(selectedRow(regions) == model.regionSelected,
          QStringLiteral("region row %1 selected, expected %2").arg(selectedRow(regions)).arg(model.regionSelected));
    check(texts(stations) == model.stationEntries, QStringLiteral("station list %1, expected %2")
                                                        .arg(texts(stations).join(" / "), model.stationEntries.join(" / ")));
    check(selectedRow(stations) == model.stationSelected, QStringLiteral("station row %1 selected, expected %2")
                                                              .arg(selectedRow(stations))
                                                              .arg(model.stationSelected));
    check(Side::selected(b) == model.selected,
          QStringLiteral("selected station %1, expected %2").arg(Side::selected(b)).arg(model.selected));
    check(Side::selectedRegion(b) == model.regionRow,
          QStringLiteral("selected region %1, expected %2").arg(Side::selectedRegion(b)).arg(model.regionRow));
    check(child<QLineEdit>(Side::form(b), Side::kNameLine)->text() == model.nameLine,
          QStringLiteral("name line '%1', expected '%2'")
              .arg(child<QLineEdit>(Side::form(b), Side::kNameLine)->text(), model.nameLine));
    check(button<Side>(Side::kEdit)->isEnabled() == model.editEnabled &&
              button<Side>(Side::kDelete)->isEnabled() == model.deleteEnabled &&
              button<Side>(Side::kCopy)->isEnabled() == model.copyEnabled,
          QStringLiteral("edit, delete, copy enabled %1 %2 %3, expected %4 %5 %6")
              .arg(button<Side>(Side::kEdit)->isEnabled())
              .arg(button<Side>(Side::kDelete)->isEnabled())
              .arg(button<Side>(Side::kCopy)->isEnabled())
              .arg(model.editEnabled)
              .arg(model.deleteEnabled)
              .arg(model.copyEnabled));
  }

  std::mt19937_64 random_;
  QCollator names_ = soak::polishNames();
  std::unique_ptr<Harness> harness_;
  soak::PanelModel<catalogue::TvStation> tv_;
  soak::PanelModel<catalogue::RadioStation> radio_;
  QStringList expectedBoxes_;
  std::deque<QString> log_;
  QString failure_;
  int step_ = 0;
  int saves_ = 0;
  int dialogs_ = 0;
  int refusals_ = 0;
  int accepted_ = 0;
  int restarts_ = 0;
};

quint64 seedFromEnvironment() {
  bool ok = false;
  const quint64 seed = qEnvironmentVariable("SIECIOWNIK_SOAK_SEED").toULongLong(&ok, 0);
  return ok ? seed : 20261208;
}

int operationsFromEnvironment() {
  bool ok = false;
  const int operations = qEnvironmentVariableIntValue("SIECIOWNIK_SOAK_OPS", &ok);
  return ok && operations > 0 ? operations : 3000;
}

}  // namespace

class ReliabilitySoakTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void randomOperationsKeepCatalogueListsAndFileInStep() {
    const quint64 seed = seedFromEnvironment();
    const int operations = operationsFromEnvironment();
    Soak soak(seed);
    const QString failure = soak.run(operations);
    if (!failure.isEmpty())
      QFAIL(qPrintable(QStringLiteral("soak seed %1 (SIECIOWNIK_SOAK_SEED=%1 SIECIOWNIK_SOAK_OPS=%2): %3\n"
                                      "last steps:\n%4")
                           .arg(seed)
                           .arg(operations)
                           .arg(failure, soak.recentSteps())));
    qInfo("soak seed %llu: %d operations, %d saves, %d editor dialogs, %d accepted and %d refused OKs, %d restarts",
          seed, operations, soak.saves(), soak.dialogs(), soak.accepted(), soak.refusals(), soak.restarts());
  }
};

QTEST_MAIN(ReliabilitySoakTest)
#include "tst_reliability_soak.moc"
