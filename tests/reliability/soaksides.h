#pragma once

// The two browser panels as the soak drives them: each panel's controls and its editor's fields, and
// small readers of what the panels show.

#include <QListWidget>
#include <QStringList>
#include <utility>
#include <vector>

#include "browser/browserharness.h"
#include "catalogue/stations.h"

namespace soak {

// Control names and field rules of one panel and its editor.
struct TvSide {
  using Station = catalogue::TvStation;
  static constexpr bool kTv = true;
  static constexpr const char* kRegionList = "ListBox1";
  static constexpr const char* kStationList = "ListBox2";
  static constexpr const char* kAdd = "Button7";
  static constexpr const char* kEdit = "Button8";
  static constexpr const char* kDelete = "Button9";
  static constexpr const char* kCopy = "Button10";
  static constexpr const char* kNameLine = "Edit3";
  // Radio button -> stored PlayerKind, the last one standing for every other value.
  static inline const std::vector<std::pair<const char*, quint8>> kKinds{
      {"RadioButton2", 1}, {"RadioButton1", 2}, {"RadioButton3", 4}, {"RadioButton4", 8}};
  static inline const std::vector<std::pair<const char*, quint8>> kBoxes{
      {"CheckBox2", 0x01}, {"CheckBox1", 0x02}, {"CheckBox3", 0x04},
      {"CheckBox4", 0x08}, {"CheckBox6", 0x10}, {"CheckBox7", 0x20}};
  static constexpr quint8 kNewKind = 2;
  static std::vector<Station>& stations(browser::StationBrowser& b) { return b.tvStations(); }
  static QWidget* form(browser::StationBrowser& b) { return b.tvForm(); }
  static int selected(browser::StationBrowser& b) { return b.SelectedTv(); }
  static int selectedRegion(browser::StationBrowser& b) { return b.SelectedTvRegion(); }
  static std::vector<Station> file(const browsertest::Harness& h) { return h.tvFile(); }
};

struct RadioSide {
  using Station = catalogue::RadioStation;
  static constexpr bool kTv = false;
  static constexpr const char* kRegionList = "ListBox3";
  static constexpr const char* kStationList = "ListBox4";
  static constexpr const char* kAdd = "Button5";
  static constexpr const char* kEdit = "Button11";
  static constexpr const char* kDelete = "Button12";
  static constexpr const char* kCopy = "Button13";
  static constexpr const char* kNameLine = "Edit6";
  static inline const std::vector<std::pair<const char*, quint8>> kKinds{
      {"RadioButton1", 1}, {"RadioButton2", 2}, {"RadioButton3", 4}, {"RadioButton4", 8}, {"RadioButton5", 16}};
  static inline const std::vector<std::pair<const char*, quint8>> kBoxes{
      {"CheckBox2", 0x01}, {"CheckBox1", 0x02}, {"CheckBox3", 0x04}, {"CheckBox4", 0x08}, {"CheckBox6", 0x10}};
  static constexpr quint8 kNewKind = 1;
  static std::vector<Station>& stations(browser::StationBrowser& b) { return b.radioStations(); }
  static QWidget* form(browser::StationBrowser& b) { return b.fmForm(); }
  static int selected(browser::StationBrowser& b) { return b.SelectedRadio(); }
  static int selectedRegion(browser::StationBrowser& b) { return b.SelectedRadioRegion(); }
  static std::vector<Station> file(const browsertest::Harness& h) { return h.radioFile(); }
};

// The kind an editor shows for a stored value.
template <class Side>
inline quint8 shownKind(quint8 stored) {
  for (const auto& [button, value] : Side::kKinds)
    if (value == stored) return value;
  return Side::kKinds.back().second;
}

template <class Side>
inline quint8 boxMask() {
  quint8 mask = 0;
  for (const auto& box : Side::kBoxes) mask |= box.second;
  return mask;
}

inline QString describe(const catalogue::TvStation& s) {
  return QStringLiteral("{%1|%2|%3|%4|%5|%6|%7|%8|%9}")
      .arg(s.Name, s.Www, s.ScheduleWww, s.StreamUrl)
      .arg(s.RegionId)
      .arg(s.QualityBps)
      .arg(s.PlayerKind)
      .arg(s.Categories)
      .arg(s.Live);
}
inline QString describe(const catalogue::RadioStation& s) {
  return QStringLiteral("{%1|%2|%3|%4|%5|%6|%7}")
      .arg(s.Name, s.Www, s.StreamUrl)
      .arg(s.RegionId)
      .arg(s.QualityBps)
      .arg(s.PlayerKind)
      .arg(s.Categories);
}
template <class Station>
QString describe(const std::vector<Station>& stations) {
  QStringList parts;
  for (const Station& s : stations) parts << describe(s);
  return parts.join(QLatin1Char(' '));
}

inline QStringList texts(const QListWidget* list) {
  QStringList result;
  for (int row = 0; row < list->count(); ++row) result << list->item(row)->text();
  return result;
}
inline int selectedRow(const QListWidget* list) {
  const QModelIndexList rows = list->selectionModel()->selectedIndexes();
  return rows.isEmpty() ? -1 : rows.first().row();
}

template <class T>
T* child(QWidget* parent, const char* name) {
  return parent->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace soak
