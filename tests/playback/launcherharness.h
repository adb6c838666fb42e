#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "browser/stationbrowser.h"
#include "catalogue/feedfile.h"
#include "playback/launcher.h"
#include "support/fakes.h"
#include "support/sandbox.h"

namespace playbacktest {

constexpr qint32 kPoland = 48;
constexpr qint32 kGermany = 49;

inline catalogue::TvStation tv(const QString& name, quint8 kind, const QString& stream, const QString& www = {},
                               const QString& schedule = {}, qint32 region = kPoland) {
  return {name, www, schedule, stream, region, 0, kind, 0, true};
}

inline catalogue::RadioStation radio(const QString& name, quint8 kind, const QString& stream,
                                     const QString& www = {}) {
  return {name, www, stream, kPoland, 0, kind, 0};
}

// The two browser panels on catalogues written into a sandbox, with the launcher attached the way
// the main window attaches it. Uses the desktop shell it is given.
struct LauncherHarness {
  testsupport::Sandbox sandbox;
  testsupport::FakeMessageBoxes boxes;
  QWidget main;
  QWidget* tvHost;
  QWidget* fmHost;
  std::unique_ptr<browser::StationBrowser> browser;
  std::unique_ptr<playback::Launcher> launcher;

  LauncherHarness(platform::Shell& shell, const catalogue::TvStations& tvFile, const catalogue::RadioStations& radioFile) {
    QVERIFY(catalogue::saveTvFeed(sandbox.filePath(catalogue::kTvFeedName), tvFile).ok);
    QVERIFY(catalogue::saveRadioFeed(sandbox.filePath(catalogue::kRadioFeedName), radioFile).ok);
    main.resize(692, 556);
    tvHost = new QWidget(&main);
    fmHost = new QWidget(&main);
    for (QWidget* host : {tvHost, fmHost}) host->setGeometry(136, 118, 534, 383);
    fmHost->hide();
    const platform::Services services{shell, boxes};
    browser = std::make_unique<browser::StationBrowser>(tvHost, fmHost, services, &main, sandbox.path());
    launcher = std::make_unique<playback::Launcher>(*browser, services, nullptr);
    browser->SetRefreshHooks();
    browser->LoadTvFeed();
    browser->LoadRadioFeed();
  }

  // Shows the main window with one of the panels, as the category list does.
  void show(bool tvPanel) {
    tvHost->setVisible(tvPanel);
    fmHost->setVisible(!tvPanel);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
  }

  template <class T>
  T* tvControl(const char* name) const {
    return browser->tvForm()->findChild<T*>(QString::fromLatin1(name));
  }
  template <class T>
  T* fmControl(const char* name) const {
    return browser->fmForm()->findChild<T*>(QString::fromLatin1(name));
  }

  // The user picks the region, then the station, in the TV or the radio panel.
  void choose(bool tvPanel, const QString& station, const QString& region = QStringLiteral("Polska")) {
    QListWidget* regions = tvPanel ? tvControl<QListWidget>("ListBox1") : fmControl<QListWidget>("ListBox3");
    QListWidget* stations = tvPanel ? tvControl<QListWidget>("ListBox2") : fmControl<QListWidget>("ListBox4");
    pick(regions, region);
    pick(stations, station);
  }
  static void pick(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    list->setCurrentItem(found.first());
  }

  QStringList tvRecent() const {
    return {tvControl<QLabel>("Label9")->text(), tvControl<QLabel>("Label10")->text(),
            tvControl<QLabel>("Label11")->text()};
  }
  QStringList radioRecent() const {
    return {fmControl<QLabel>("Label18")->text(), fmControl<QLabel>("Label19")->text(),
            fmControl<QLabel>("Label20")->text()};
  }
};

}  // namespace playbacktest
