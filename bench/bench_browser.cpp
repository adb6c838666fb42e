// The browser panels with large catalogues: a refresh after a change, choosing a region, and the
// region list fill. Run: build/bench/bench_browser
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <memory>

#include "bench/silentservices.h"
#include "browser/stationbrowser.h"

namespace {

using benchdata::SilentBoxes;
using benchdata::SilentShell;

catalogue::TvStation station(qint32 region, int number) {
  catalogue::TvStation s;
  s.Name = QStringLiteral("Telewizja Łódź %1").arg(number, 6, 10, QLatin1Char('0'));
  s.RegionId = region;
  s.StreamUrl = QStringLiteral("mms://example.org/%1").arg(number);
  s.Live = number % 7 != 0;
  return s;
}

// A TV panel in a window of its own; no catalogue file is read or written.
struct Panel {
  SilentShell shell;
  SilentBoxes boxes;
  QWidget main;
  QWidget* host = new QWidget(&main);
  std::unique_ptr<browser::StationBrowser> browser;
  Panel() {
    host->setGeometry(136, 118, 534, 383);
    browser = std::make_unique<browser::StationBrowser>(host, new QWidget(&main), platform::Services{shell, boxes},
                                                        &main, QStringLiteral("/nonexistent/"));
    browser->SetRefreshHooks();
  }
  QListWidget* list(const char* name) const { return browser->tvForm()->findChild<QListWidget*>(name); }
  void refresh() { browser->FillRegionList(list("ListBox1")); }
  void choose(const QString& region) {
    list("ListBox1")->setCurrentItem(list("ListBox1")->findItems(region, Qt::MatchExactly).first());
  }
};

constexpr qint32 kPolska = 48;
constexpr qint32 kNiemcy = 49;

void fillRegion(Panel& panel, int count) {
  auto& stations = panel.browser->tvStations();
  for (int i = 0; i < count; ++i) stations.push_back(station(kPolska, i));
  for (int i = 0; i < 100; ++i) stations.push_back(station(kNiemcy, i));
  panel.refresh();
}

// A refresh after one station of the selected region was added or removed, with a station
// selected and the list scrolled to it.
void BM_RefreshAfterChange(benchmark::State& state) {
  Panel panel;
  fillRegion(panel, static_cast<int>(state.range(0)));
  panel.choose(QStringLiteral("Polska"));
  panel.list("ListBox2")->setCurrentRow(static_cast<int>(state.range(0)) / 2);
  auto& stations = panel.browser->tvStations();
  bool removed = false;
  for (auto _ : state) {
    if (removed) stations.insert(stations.begin() + 10, station(kPolska, 10));
    else stations.erase(stations.begin() + 10);
    removed = !removed;
    panel.refresh();
  }
  if (panel.browser->SelectedTv() < 0) state.SkipWithError("the selection was lost");
}
BENCHMARK(BM_RefreshAfterChange)->Arg(20000)->Unit(benchmark::kMillisecond);

// The first refresh of a freshly filled list: every name is new to the comparison.
void BM_FirstRefreshAfterChange(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto panel = std::make_unique<Panel>();
    fillRegion(*panel, static_cast<int>(state.range(0)));
    panel->choose(QStringLiteral("Polska"));
    auto& stations = panel->browser->tvStations();
    stations.erase(stations.begin() + 10);
    state.ResumeTiming();
    panel->refresh();
    state.PauseTiming();
    panel.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstRefreshAfterChange)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(5);

// Choosing a region of many stations after another one.
void BM_ChooseRegion(benchmark::State& state) {
  Panel panel;
  fillRegion(panel, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    panel.choose(QStringLiteral("Niemcy"));
    state.ResumeTiming();
    panel.choose(QStringLiteral("Polska"));
  }
  if (panel.list("ListBox2")->count() != state.range(0)) state.SkipWithError("wrong station count");
}
BENCHMARK(BM_ChooseRegion)->Arg(20000)->Unit(benchmark::kMillisecond);

// The region list fill over a large catalogue spread over every region.
void BM_FillRegionList(benchmark::State& state) {
  Panel panel;
  auto& stations = panel.browser->tvStations();
  const int count = static_cast<int>(state.range(0));
  const qint32 ids[] = {48, 49, 7, 34, 39, 44, 1, 33, 420, 380, 100, 86};
  for (int i = 0; i < count; ++i) stations.push_back(station(ids[(i / 50) % std::size(ids)], i));
  panel.refresh();
  for (auto _ : state) panel.refresh();
}
BENCHMARK(BM_FillRegionList)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
