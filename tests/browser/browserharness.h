#pragma once

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "browser/stationbrowser.h"
#include "browser/tform2.h"
#include "browser/tform3.h"
#include "catalogue/feedfile.h"
#include "support/fakes.h"
#include "support/sandbox.h"

namespace browsertest {

inline catalogue::TvStation tv(const QString& name, qint32 region, const QString& stream = QStringLiteral("mms://s"),
                               bool live = true) {
  catalogue::TvStation s;
  s.Name = name;
  s.RegionId = region;
  s.StreamUrl = stream;
  s.PlayerKind = 2;
  s.Live = live;
  return s;
}

inline catalogue::RadioStation radio(const QString& name, qint32 region, const QString& stream = QStringLiteral("http://s")) {
  catalogue::RadioStation s;
  s.Name = name;
  s.RegionId = region;
  s.StreamUrl = stream;
  s.PlayerKind = 1;
  return s;
}

// A main window with the two panels, started the way the program starts them, on catalogue files
// written into a sandbox folder.
struct Harness {
  testsupport::Sandbox sandbox;
  testsupport::FakeShell shell;
  testsupport::FakeMessageBoxes boxes;
  QWidget main;
  QWidget* tvHost;
  QWidget* fmHost;
  std::unique_ptr<browser::StationBrowser> browser;

  // `readThrough` stands between the panels and their catalogue files, as in the program's loader;
  // `beforeStart` sees the written files before the program does.
  Harness(const catalogue::TvStations& tvFile, const catalogue::RadioStations& radioFile,
          const catalogue::FeedReadThrough& readThrough = {},
          const std::function<void(const Harness&)>& beforeStart = {}) {
    QVERIFY(catalogue::saveTvFeed(feed(catalogue::kTvFeedName), tvFile).ok);
    QVERIFY(catalogue::saveRadioFeed(feed(catalogue::kRadioFeedName), radioFile).ok);
    if (beforeStart) beforeStart(*this);
    start(readThrough);
  }
  explicit Harness(const catalogue::TvStations& tvFile) : Harness(tvFile, {}) {}

  // With `reads`, the panels take the catalogues read beforehand, as the program starts them.
  void start(const catalogue::FeedReadThrough& readThrough = {}, browser::FeedReads reads = {}) {
    main.resize(692, 556);
    tvHost = new QWidget(&main);
    tvHost->setGeometry(136, 118, 534, 383);
    fmHost = new QWidget(&main);
    fmHost->setGeometry(136, 118, 534, 383);
    fmHost->hide();
    browser = std::make_unique<browser::StationBrowser>(tvHost, fmHost, platform::Services{shell, boxes}, &main,
                                                        sandbox.path(), readThrough);
    if (reads) browser->TakeReads(std::move(reads));
    browser->SetRefreshHooks();
    browser->LoadTvFeed();
    browser->LoadRadioFeed();
    browser->CreateEditors();
  }

  QString feed(const QString& name) const { return sandbox.filePath(name); }
  catalogue::TvStations tvFile() const {
    catalogue::TvStations stations;
    catalogue::loadTvFeed(feed(catalogue::kTvFeedName), stations);
    return stations;
  }
  catalogue::RadioStations radioFile() const {
    catalogue::RadioStations stations;
    catalogue::loadRadioFeed(feed(catalogue::kRadioFeedName), stations);
    return stations;
  }

  template <class T>
  T* tvControl(const char* name) const {
    return browser->tvForm()->findChild<T*>(QString::fromLatin1(name));
  }
  template <class T>
  T* fmControl(const char* name) const {
    return browser->fmForm()->findChild<T*>(QString::fromLatin1(name));
  }
  QListWidget* regions() const { return tvControl<QListWidget>("ListBox1"); }
  QListWidget* stations() const { return tvControl<QListWidget>("ListBox2"); }
  QPushButton* button(const char* name) const { return tvControl<QPushButton>(name); }

  // What the user sees of the TV panel: the lists, their selections, the details, the buttons.
  static QStringList texts(const QListWidget* list) {
    QStringList result;
    for (int row = 0; row < list->count(); ++row) result << list->item(row)->text();
    return result;
  }
  static QString selectedText(const QListWidget* list) {
    const auto items = list->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
  }
  QStringList details() const {
    return {tvControl<QLineEdit>("Edit3")->text(), tvControl<QLineEdit>("Edit4")->text(),
            tvControl<QLineEdit>("Edit5")->text()};
  }
  // Enabled station buttons, by name, in a fixed order.
  QStringList enabledButtons() const {
    QStringList names;
    for (const char* name : {"Button7", "Button8", "Button9", "Button10", "Button4", "Button6", "BitBtn1"})
      if (button(name)->isEnabled()) names << QString::fromLatin1(name);
    return names;
  }

  // A user's click on an entry.
  static void choose(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    list->setCurrentItem(found.first());
  }
  void chooseRegion(const QString& text) { choose(regions(), text); }
  void chooseStation(const QString& text) { choose(stations(), text); }
};

// Runs `act` on the modal dialog once it is open, then closes it with Cancel if `act` left it
// open. `opened` counts the dialogs seen.
inline void whenDialogOpens(std::function<void(QDialog*)> act, int* opened = nullptr) {
  QTimer::singleShot(0, [act = std::move(act), opened] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    if (opened != nullptr) ++*opened;
    act(dialog);
    if (dialog->isVisible()) dialog->reject();
  });
}

}  // namespace browsertest
