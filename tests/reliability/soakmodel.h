#pragma once

// A small model of what a browser panel and its catalogue must hold, written from the rules of the
// panels and the editors, independent of the code that implements them: stations filed at their
// alphabetical place within the region, favourites appended, the lists refreshed in place.

#include <QCollator>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <optional>
#include <vector>

#include "catalogue/regions.h"
#include "catalogue/stations.h"

namespace soak {

// Station names compare the Polish way, letter case ignored.
inline QCollator polishNames() {
  QCollator collator(QLocale(QLocale::Polish, QLocale::Poland));
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  return collator;
}

inline int rowByName(const QString& name) {
  for (int row = 0; row < catalogue::kRegionCount; ++row)
    if (QString(reinterpret_cast<const QChar*>(catalogue::Regions[row].Name)) == name) return row;
  return -1;
}

inline int firstRowOfId(qint32 id) {
  for (int row = 0; row < catalogue::kRegionCount; ++row)
    if (catalogue::Regions[row].Id == id) return row;
  return -1;
}

inline QString nameOfRow(int row) { return QString(reinterpret_cast<const QChar*>(catalogue::Regions[row].Name)); }

inline QString listedText(const catalogue::TvStation& s) { return s.Live ? s.Name : s.Name + QStringLiteral(" *"); }
inline QString listedText(const catalogue::RadioStation& s) { return s.Name; }

// A list box refreshed in place: entries equal to a wanted text (letter case ignored) stay where
// they are, new ones go right after the entry matched or inserted before them, the rest go. The
// selection follows its entry and is lost with it.
inline void refreshList(QStringList& entries, int& selected, bool reset, const QStringList& wanted,
                        const QCollator& names) {
  std::vector<char> marks;
  if (reset) {
    entries.clear();
    selected = -1;
  } else {
    marks.assign(entries.size(), 1);
  }
  int insertAt = 0;
  for (const QString& text : wanted) {
    int found = -1;
    for (int i = 0; i < entries.size() && found < 0; ++i)
      if (names.compare(entries[i], text) == 0) found = i;
    if (found >= 0) {
      if (found < int(marks.size())) marks[found] = 0;
      insertAt = found + 1;
      continue;
    }
    if (insertAt < int(marks.size())) marks.insert(marks.begin() + insertAt, 0);
    entries.insert(insertAt, text);
    if (selected >= insertAt) ++selected;
    ++insertAt;
  }
  int removed = 0;
  for (int i = 0; i < int(marks.size()); ++i) {
    if (!marks[i]) continue;
    const int at = i - removed++;
    entries.removeAt(at);
    if (selected == at) selected = -1;
    else if (selected > at) --selected;
  }
}

// What one panel shows and what its catalogue holds.
template <class Station>
struct PanelModel {
  std::vector<Station> stations;
  QStringList regionEntries;
  int regionSelected = -1;   // row of the region list, -1 for none
  QStringList stationEntries;
  int stationSelected = -1;  // row of the station list
  int regionRow = 0;         // the panel's selected region (row of Regions)
  int selected = -1;         // the panel's selected station (array index)
  bool editEnabled = false;
  bool deleteEnabled = false;
  bool copyEnabled = false;
  QString nameLine;

  qint32 regionId() const { return catalogue::Regions[regionRow].Id; }

  void stationClick(const QCollator& names) {
    selected = -1;
    if (stationSelected < 0) {
      nameLine.clear();
      editEnabled = deleteEnabled = copyEnabled = false;
      return;
    }
    if (regionSelected < 0) return;  // the region is lost: details and buttons stay
    for (int i = 0; i < int(stations.size()) && selected < 0; ++i)
      if (stations[i].RegionId == regionId() && names.compare(listedText(stations[i]), stationEntries[stationSelected]) == 0)
        selected = i;
    if (selected < 0) return;
    nameLine = stations[selected].Name;
    editEnabled = deleteEnabled = true;
    copyEnabled = regionRow != catalogue::kFavouritesRow;
  }

  void regionClick(const QCollator& names) {
    if (regionSelected < 0) {
      regionRow = 0;
    } else {
      const int row = rowByName(regionEntries[regionSelected]);
      const bool reset = row != regionRow;
      regionRow = row;
      QStringList wanted;
      for (const Station& s : stations)
        if (s.RegionId == regionId()) wanted << listedText(s);
      refreshList(stationEntries, stationSelected, reset, wanted, names);
    }
    stationClick(names);
  }

  // The refresh that runs after loading and before every save.
  void fillRegionList(const QCollator& names) {
    QStringList wanted{nameOfRow(catalogue::kFavouritesRow)};
    for (int row = 1; row < catalogue::kRegionCount; ++row) {
      bool present = false;
      for (const Station& s : stations) present = present || s.RegionId == catalogue::Regions[row].Id;
      if (present) wanted << nameOfRow(row);
    }
    refreshList(regionEntries, regionSelected, false, wanted, names);
    regionClick(names);
  }

  // Filing: before the first station of the region whose name sorts after it, else at the end.
  void file(int replaced, Station record, const QCollator& names) {
    if (replaced >= 0) stations.erase(stations.begin() + replaced);
    auto place = stations.begin();
    while (place != stations.end() && !(place->RegionId == record.RegionId && names.compare(place->Name, record.Name) > 0))
      ++place;
    stations.insert(place, std::move(record));
  }

  bool nameTaken(int except, qint32 regionId, const QString& name, const QCollator& names) const {
    for (int i = 0; i < int(stations.size()); ++i)
      if (i != except && stations[i].RegionId == regionId && names.compare(stations[i].Name, name) == 0) return true;
    return false;
  }
};

// What a catalogue file gives back of what was saved: the loader takes one leading "http://" off the
// page addresses, so an address loaded from a file with a second "http://" loses it on the way.
inline catalogue::TvStation readBack(catalogue::TvStation s) {
  for (QString* page : {&s.Www, &s.ScheduleWww})
    if (page->startsWith(QStringLiteral("http://"))) page->remove(0, 7);
  return s;
}
inline catalogue::RadioStation readBack(catalogue::RadioStation s) {
  if (s.Www.startsWith(QStringLiteral("http://"))) s.Www.remove(0, 7);
  return s;
}
template <class Station>
std::vector<Station> readBack(std::vector<Station> stations) {
  for (Station& s : stations) s = readBack(s);
  return stations;
}

// What the user has in an editor dialog's fields.
struct Typed {
  QString name;
  int regionRow = 0;
  QString www;
  QString schedule;  // TV only
  QString stream;
  QString quality;
  quint8 kind = 0;        // the PlayerKind the chosen radio button stands for
  quint8 categories = 0;  // the ticked boxes
  bool live = false;      // TV only
};

inline QString trimmed(const QString& text) {
  qsizetype begin = 0, end = text.size();
  while (begin < end && text[begin].unicode() <= 32) ++begin;
  while (end > begin && text[end - 1].unicode() <= 32) --end;
  return text.mid(begin, end - begin);
}

// The OK checks in their order; the fields are normalised in place as far as the checks get.
// Returns the message of the first failing check.
template <class Station>
std::optional<QString> checkTyped(Typed& t, bool tv, const PanelModel<Station>& model, int editedIndex,
                                  const QCollator& names) {
  // TAB, CR and LF cannot stand in a catalogue line: they become blanks.
  for (QString* text : {&t.name, &t.www, &t.schedule, &t.stream, &t.quality}) {
    text->replace(QLatin1Char('\t'), QLatin1Char(' '));
    text->replace(QLatin1Char('\r'), QLatin1Char(' '));
    text->replace(QLatin1Char('\n'), QLatin1Char(' '));
  }
  const auto address = [](QString& text, bool page) {
    text = trimmed(text);
    if (page && text.startsWith(QStringLiteral("http://"))) text.remove(0, 7);
    if (text == QStringLiteral("-")) text.clear();
  };
  t.name = trimmed(t.name);
  if (t.name.isEmpty() || t.name == QStringLiteral("-")) return QStringLiteral("Musisz podać nazwę strumienia");
  if (model.nameTaken(editedIndex, catalogue::Regions[t.regionRow].Id, t.name, names))
    return QStringLiteral("Istnieje już strumień o takiej nazwie");
  address(t.www, true);
  if (tv) address(t.schedule, true);
  address(t.stream, false);
  if (t.www.isEmpty() && t.stream.isEmpty()) return QStringLiteral("Nie określono adresu strumienia ani WWW");
  t.quality = trimmed(t.quality);
  if (!t.quality.isEmpty()) {
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    bool ok = false;
    const qlonglong kbps = t.quality.toLongLong(&ok);
    // Beyond 2147483 kbit/s the bit rate no longer fits its signed 32-bit field.
    if (!number.match(t.quality).hasMatch() || !ok || kbps < 0 || kbps > 2147483)
      return QStringLiteral("Nieprawidłowa jakość transmisji");
  }
  return std::nullopt;
}

}  // namespace soak
