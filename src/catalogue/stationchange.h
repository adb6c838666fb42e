#pragma once

#include <QCollator>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace catalogue {

// One change the user makes to a catalogue, kept as what the user saw and what they wanted, so
// that it can be made again on the catalogue as another program has left it on disk.
template <class Station>
struct StationChange {
  enum Kind {
    Nothing,           // a cancelled editor: the catalogue is written as it is
    Add,               // `after` is a new station
    Edit,              // the station `before` becomes `after`
    Remove,            // the station `before` goes
    CopyToFavourites,  // a copy of `before` becomes a favourite
  };
  Kind kind = Nothing;
  Station before;
  Station after;

  static StationChange nothing() { return {}; }
  static StationChange added(Station station) { return {Add, {}, std::move(station)}; }
  static StationChange edited(Station was, Station is) { return {Edit, std::move(was), std::move(is)}; }
  static StationChange removed(Station station) { return {Remove, std::move(station), {}}; }
  static StationChange copied(Station station) { return {CopyToFavourites, std::move(station), {}}; }
};

// Makes `change` on `stations`, the catalogue file `file` as it is now. A station is the one the
// user saw when it is equal to it, or else the only one of its region with its name. An edit
// takes over the fields the user changed and keeps those another program changed; where both
// changed one field differently, where the station is gone, or where its new name is taken by
// another station, nothing changes and the text for the user says why, showing both versions.
// Removing a station that is gone already, or adding one that is there already, changes nothing
// and is no conflict.
template <class Station>
std::optional<QString> applyChange(std::vector<Station>& stations, const StationChange<Station>& change,
                                   const QCollator& names, const QString& file);

}  // namespace catalogue
