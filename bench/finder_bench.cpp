// The station finder on a catalogue of 100 000 stations: what it adds to start-up, its first
// opening (the names folded and put in order), its refresh after an edit, and each keystroke of a
// typed word (the results found and shown in the panel's list, painted), as median and worst.
//   bench_finder [--stations N] [--rounds N]
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/silentservices.h"
#include "browser/finder/stationfinder.h"
#include "browser/finder/stationindex.h"
#include "browser/panelforms.h"
#include "browser/stationbrowser.h"
#include "catalogue/regions.h"

namespace {

using benchdata::SilentBoxes;
using benchdata::SilentShell;

// Names of the kind a directory answer brings: common words, towns with Polish and other accents,
// numbers; one station in twenty is also a favourite.
catalogue::RadioStations makeStations(int count) {
  const QStringList first{"Radio", "RMF", "Jazz", "Rock", "Polskie Radio", "Antena", "Classic", "Hit", "Dance",
                          "Eska", "Złote Przeboje", "Muzyczne", "Chillout", "Radyjko", "Vox", "Meloradio"};
  const QStringList second{"Łódź", "Kraków", "Gdańsk", "Żółw", "Zürich", "Øresund", "Köln", "Music", "News",
                           "Love", "Country", "Śląsk", "Białystok", "Málaga", "Besançon", "FM"};
  QRandomGenerator random(100000);
  catalogue::RadioStations stations;
  stations.reserve(count + count / 20);
  for (int i = 0; i < count; ++i) {
    catalogue::RadioStation s;
    s.Name = first[random.bounded(first.size())] + QLatin1Char(' ') + second[random.bounded(second.size())] +
             QStringLiteral(" %1").arg(i);
    s.RegionId = catalogue::Regions[1 + random.bounded(catalogue::kRegionCount - 1)].Id;
    s.StreamUrl = QStringLiteral("http://stream.example.org/%1").arg(i);
    stations.push_back(s);
    if (i % 20 == 0) {
      s.RegionId = 0;
      stations.push_back(s);
    }
  }
  return stations;
}

// The open finder's part; a closed finder's parts are gone once deferred deletions have run.
template <class T>
T* part(QWidget* form, const char* name) {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return form->findChild<T*>(QString::fromLatin1(name));
}

double ms(qint64 nanoseconds) { return double(nanoseconds) / 1e6; }

struct Figures {
  std::vector<double> times;
  void add(double t) { times.push_back(t); }
  double median() {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
  }
  double worst() { return *std::max_element(times.begin(), times.end()); }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int count = 100000;
  int rounds = 15;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (qstrcmp(argv[i], "--stations") == 0) count = atoi(argv[i + 1]);
    if (qstrcmp(argv[i], "--rounds") == 0) rounds = atoi(argv[i + 1]);
  }
  constexpr double kKeystrokeBudget = 16.0, kStartBudget = 10.0;

  SilentShell shell;
  SilentBoxes boxes;
  QWidget main;
  main.resize(692, 556);
  auto* tvHost = new QWidget(&main);
  auto* fmHost = new QWidget(&main);
  tvHost->setGeometry(136, 118, 534, 383);
  fmHost->setGeometry(136, 118, 534, 383);
  tvHost->hide();
  // Start-up: the panels make their finders (a shortcut and a button each, nothing else until the
  // first opening); timed on two panel forms of their own.
  QElapsedTimer timer;
  double startUp = 0;
  {
    QWidget spareHosts[2];
    browser::PanelForm* forms[] = {new browser::TvPanelForm(&spareHosts[0]), new browser::FmPanelForm(&spareHosts[1])};
    timer.start();
    for (browser::PanelForm* form : forms) new browser::StationFinder(form, form->controls(), [] { return browser::StationFinder::Stations{}; });
    startUp = ms(timer.nsecsElapsed());
  }
  auto browser = std::make_unique<browser::StationBrowser>(tvHost, fmHost, platform::Services{shell, boxes}, &main,
                                                           QStringLiteral("/nonexistent/"));
  browser->SetRefreshHooks();
  browser->radioStations() = makeStations(count);
  browser->FillRegionList(browser->fmControls().regionList);
  main.show();
  app.processEvents();

  std::printf("Station finder, %d stations (%zu with the favourites), %d rounds\n", count,
              browser->radioStations().size(), rounds);
  std::printf("  added to start-up: %.2f ms (%.3f of the %.0f ms allowed)\n", startUp, startUp / kStartBudget,
              kStartBudget);

  browser::StationFinder* finder = browser->fmFinder();
  timer.restart();
  finder->open();
  app.processEvents();
  std::printf("  first opening (names folded and ordered): %.1f ms\n", ms(timer.nsecsElapsed()));
  auto* field = part<QLineEdit>(browser->fmForm(), "FinderField");
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(field, &escape);
  // As after a start or an update: the catalogue changes, the user looks at it for a second, then
  // opens the finder, whose index was prepared on the side meanwhile.
  browser->radioStations().push_back(browser->radioStations().front());
  browser->radioStations().back().Name += QStringLiteral(" 2");
  finder->catalogueChanged();
  QElapsedTimer still;
  still.start();
  while (still.elapsed() < 1500) app.processEvents(QEventLoop::AllEvents, 50);
  timer.restart();
  finder->open();
  app.processEvents();
  std::printf("  opening after a change, the catalogue still for a second: %.1f ms\n", ms(timer.nsecsElapsed()));
  field = part<QLineEdit>(browser->fmForm(), "FinderField");
  QApplication::sendEvent(field, &escape);

  // The search alone, without the window: a fresh index per round.
  {
    browser::StationIndex index;
    timer.restart();
    index.rebuild(browser->radioStations());
    std::printf("  index alone: first build %.1f ms", ms(timer.nsecsElapsed()));
    timer.restart();
    index.rebuild(browser->radioStations());
    std::printf(", rebuild unchanged %.1f ms\n", ms(timer.nsecsElapsed()));
    for (const QString& query : {QStringLiteral("a"), QStringLiteral("r"), QStringLiteral("radio")}) {
      Figures search;
      for (int round = 0; round < rounds; ++round) {
        index.find(u"");
        timer.restart();
        index.find(query);
        search.add(ms(timer.nsecsElapsed()));
      }
      std::printf("  search alone \"%s\": median %.2f ms, worst %.2f ms\n", qPrintable(query), search.median(),
                  search.worst());
    }
  }

  // An edit: one station renamed, the catalogue refreshed with the finder open.
  Figures refresh;
  for (int round = 0; round < rounds; ++round) {
    finder->open();
    browser->radioStations()[std::size_t(round) * 7].Name += QStringLiteral(" (zmieniona)");
    timer.restart();
    finder->catalogueChanged();
    app.processEvents();
    refresh.add(ms(timer.nsecsElapsed()));
    field = part<QLineEdit>(browser->fmForm(), "FinderField");
    QApplication::sendEvent(field, &escape);
  }
  std::printf("  refresh after an edit, finder open: median %.1f ms, worst %.1f ms\n", refresh.median(),
              refresh.worst());

  // Keystrokes: each word typed from an empty field, then one Backspace (a search that cannot
  // narrow the last one). Each time covers the key, the search, the list and its painting.
  std::printf("  keystrokes (median / worst, ms; budget %.0f ms):\n", kKeystrokeBudget);
  double overallWorst = 0;
  for (const QString& word : {QStringLiteral("radio"), QStringLiteral("lodz"), QStringLiteral("zolw"),
                              QStringLiteral("jazz fm"), QStringLiteral("a")}) {
    std::vector<Figures> perKey(word.size() + 1);
    int found = 0;
    for (int round = 0; round < rounds; ++round) {
      finder->open();
      field = part<QLineEdit>(browser->fmForm(), "FinderField");
      auto* list = part<QListView>(browser->fmForm(), "FinderResults");
      app.processEvents();
      for (qsizetype k = 0; k <= word.size(); ++k) {
        QKeyEvent key(QEvent::KeyPress, k < word.size() ? Qt::Key_unknown : Qt::Key_Backspace, Qt::NoModifier,
                      k < word.size() ? QString(word[k]) : QString());
        timer.restart();
        QApplication::sendEvent(field, &key);
        list->repaint();
        app.processEvents();
        perKey[std::size_t(k)].add(ms(timer.nsecsElapsed()));
        if (k + 1 == word.size()) found = list->model()->rowCount();
      }
      QApplication::sendEvent(field, &escape);
      app.processEvents();
    }
    std::printf("    \"%s\" (%d found):", qPrintable(word), found);
    Figures all;
    for (std::size_t k = 0; k < perKey.size(); ++k) {
      std::printf(" %s %.2f/%.2f", k < std::size_t(word.size()) ? qPrintable(word.left(qsizetype(k) + 1)) : "⌫",
                  perKey[k].median(), perKey[k].worst());
      for (double t : perKey[k].times) all.add(t);
    }
    overallWorst = std::max(overallWorst, all.worst());
    std::printf("\n      word: median %.2f ms (%.3f of budget), worst %.2f ms (%.3f of budget)\n", all.median(),
                all.median() / kKeystrokeBudget, all.worst(), all.worst() / kKeystrokeBudget);
  }
  std::printf("  worst keystroke of all: %.2f ms (%.3f of the %.0f ms budget)\n", overallWorst,
              overallWorst / kKeystrokeBudget, kKeystrokeBudget);
  return 0;
}
