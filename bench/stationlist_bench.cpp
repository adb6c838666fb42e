// The station list of a region with 20,000 stations, as the user meets it: each action below is
// one frame, timed from the event to the window painted (offscreen). Prints the median and the
// longest frame of each kind (target: no frame over 50 ms).
//   bench_stationlist [STATIONS]
// Kinds: choosing the region (the list fills), an edit followed by the save (the list refreshes in
// place: the first refresh after the fill, then more), scrolling by page and by mouse wheel, and
// typing the first letters of names (the list's search by typing).
#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "bench/silentservices.h"
#include "browser/stationbrowser.h"
#include "catalogue/stationnames.h"

namespace {

using benchdata::SilentBoxes;
using benchdata::SilentShell;

constexpr qint32 kPolska = 48;
constexpr qint32 kNiemcy = 49;

// Names as a large directory has them: many first letters, Polish ones among them, filed in the
// collator's order as the editor files them.
std::vector<catalogue::TvStation> regionStations(qint32 region, int count) {
  static const char16_t* const kFirst[] = {u"Alfa", u"Bravo", u"Czwórka", u"Ćma", u"Delta", u"Echo", u"Fala",
                                           u"Gama", u"Hit", u"Info", u"Jazz", u"Kanał", u"Łódź", u"Muzyka",
                                           u"Nowa", u"Oaza", u"Polo", u"Rock", u"Śląsk", u"Tele", u"Uni",
                                           u"Wisła", u"Zet", u"Źródło", u"Żak"};
  static const char16_t* const kSecond[] = {u"FM", u"TV", u"Plus", u"Max", u"Sport", u"News", u"Kids", u"Film"};
  std::vector<catalogue::TvStation> stations(count);
  for (int i = 0; i < count; ++i) {
    catalogue::TvStation& s = stations[i];
    s.Name = QStringLiteral("%1 %2 %3")
                 .arg(QString::fromUtf16(kFirst[i % std::size(kFirst)]),
                      QString::fromUtf16(kSecond[(i / std::size(kFirst)) % std::size(kSecond)]))
                 .arg(i);
    s.RegionId = region;
    s.StreamUrl = QStringLiteral("http://stream%1.example.com/live").arg(i);
    s.Www = QStringLiteral("www.station%1.example.com").arg(i);
    s.Live = i % 7 != 0;
  }
  const QCollator collator = catalogue::stationNameCollator();
  std::sort(stations.begin(), stations.end(), [&](const auto& a, const auto& b) { return collator.compare(a.Name, b.Name) < 0; });
  return stations;
}

struct Frames {
  std::vector<double> ms;
  void add(double value) { ms.push_back(value); }
  double longest() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
  double median() const {
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[sorted.size() / 2];
  }
};

class Bench {
 public:
  explicit Bench(int count) : scratch_(QDir::currentPath() + QStringLiteral("/bench-stationlist-XXXXXX")) {
    window_.resize(800, 600);
    auto* host = new QWidget(&window_);
    host->setGeometry(136, 118, 534, 383);
    browser_ = std::make_unique<browser::StationBrowser>(host, new QWidget(&window_), platform::Services{shell_, boxes_},
                                                         &window_, scratch_.path());
    browser_->SetRefreshHooks();
    auto& stations = browser_->tvStations();
    for (auto& s : regionStations(kPolska, count)) stations.push_back(std::move(s));
    for (auto& s : regionStations(kNiemcy, 100)) stations.push_back(std::move(s));
    browser_->FillRegionList(list("ListBox1"));
    window_.show();
    settle();
  }
  bool ready() const { return scratch_.isValid(); }
  QListWidget* list(const char* name) const { return browser_->tvForm()->findChild<QListWidget*>(name); }
  catalogue::TvStations& stations() { return browser_->tvStations(); }

  // One frame: the action, then whatever it left to lay out and paint.
  template <typename Action>
  double frame(Action action) {
    QElapsedTimer timer;
    timer.start();
    action();
    settle();
    return timer.nsecsElapsed() / 1e6;
  }

  void chooseRegion(const QString& name) {
    QListWidget* regions = list("ListBox1");
    regions->setCurrentItem(regions->findItems(name, Qt::MatchExactly).first());
  }
  void save() { browser_->SaveTvFeed(); }
  static void idle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, ms - int(timer.elapsed()));
  }
  void key(QWidget* to, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &release);
  }
  void wheel(QWidget* to, int steps) {
    const QPointF at(to->width() / 2.0, to->height() / 2.0);
    QWheelEvent event(at, to->mapToGlobal(at), {}, QPoint(0, -120 * steps), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(to, &event);
  }

 private:
  static void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  QTemporaryDir scratch_;
  SilentShell shell_;
  SilentBoxes boxes_{true};  // deletions are confirmed
  QWidget window_;
  std::unique_ptr<browser::StationBrowser> browser_;
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const int count = argc > 1 ? std::max(100, atoi(argv[1])) : 20'000;
  Bench bench(count);
  if (!bench.ready()) {
    std::fprintf(stderr, "cannot create a scratch folder in %s\n", qPrintable(QDir::currentPath()));
    return 1;
  }
  QListWidget* stationList = bench.list("ListBox2");
  std::map<std::string, Frames> kinds;
  const auto index = [&](int row) { return stationList->item(row)->data(Qt::UserRole).toInt(); };

  for (int round = 0; round < 5; ++round) {
    kinds["fill: choosing the region"].add(bench.frame([&] { bench.chooseRegion(QStringLiteral("Polska")); }));
    // The user picks a station half-way down and edits it: the first refresh after the fill. That
    // takes a user a second at the least, which the program has to itself.
    stationList->setCurrentRow(count / 2);
    stationList->scrollToItem(stationList->currentItem());
    bench.idle(1000);
    kinds["refresh: first after the fill (address changed)"].add(bench.frame([&] {
      bench.stations()[index(count / 2)].StreamUrl += QStringLiteral("/x");
      bench.save();
    }));
    kinds["refresh: station renamed"].add(bench.frame([&] {
      bench.stations()[index(count / 2 + 10)].Name += QStringLiteral(" 2");
      bench.save();
    }));
    kinds["refresh: station added"].add(bench.frame([&] {
      catalogue::TvStation added = bench.stations()[index(100)];
      added.Name += QStringLiteral(" nowa");
      bench.stations().insert(bench.stations().begin() + index(100) + 1, added);
      bench.save();
    }));
    kinds["refresh: station deleted"].add(bench.frame([&] {
      bench.stations().erase(bench.stations().begin() + index(200));
      bench.save();
    }));
    stationList->setFocus();
    for (int i = 0; i < 20; ++i)
      kinds["scrolling: page down"].add(bench.frame([&] { bench.key(stationList, Qt::Key_PageDown); }));
    for (int i = 0; i < 20; ++i)
      kinds["scrolling: mouse wheel"].add(bench.frame([&] { bench.wheel(stationList->viewport(), 3); }));
    kinds["scrolling: to the end"].add(bench.frame([&] { bench.key(stationList, Qt::Key_End); }));
    // Typing names: the list looks for the next entry that begins with what was typed so far.
    for (const QString& typed : {QStringLiteral("żak"), QStringLiteral("alf"), QStringLiteral("śl"), QStringLiteral("ze")}) {
      for (const QChar letter : typed)
        kinds["typing first letters"].add(bench.frame([&] { bench.key(stationList, 0, QString(letter)); }));
      if (!stationList->currentItem() || !stationList->currentItem()->text().startsWith(typed, Qt::CaseInsensitive)) {
        std::fprintf(stderr, "typing \"%s\" did not find a station\n", qPrintable(typed));
        return 1;
      }
      QElapsedTimer pause;  // the list starts a new search after a pause in typing
      pause.start();
      while (pause.elapsed() <= QApplication::keyboardInputInterval()) QCoreApplication::processEvents();
    }
    kinds["fill: choosing another region"].add(bench.frame([&] { bench.chooseRegion(QStringLiteral("Niemcy")); }));
  }

  std::printf("station list of %d stations, frames from the event to the window painted (ms):\n", count);
  std::printf("  %-50s %7s %8s %8s\n", "", "frames", "median", "longest");
  double longest = 0;
  for (const auto& [kind, frames] : kinds) {
    std::printf("  %-50s %7zu %8.1f %8.1f\n", kind.c_str(), frames.ms.size(), frames.median(), frames.longest());
    longest = std::max(longest, frames.longest());
  }
  std::printf("longest frame: %.1f ms (target <= 50 ms): %s\n", longest, longest <= 50 ? "met" : "NOT met");
  return 0;
}
