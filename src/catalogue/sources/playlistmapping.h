#pragma once

#include <optional>

#include "catalogue/sources/playlist.h"
#include "catalogue/stations.h"

namespace catalogue::sources {

// A catalogue as a playlist: the name as title and "tvg-name", the region's name as "group-title",
// its country code as "tvg-country", and the rest of the record in our own attributes, so that
// importing the playlist again gives the same stations.
Playlist playlistFromStations(const TvStations& stations);
Playlist playlistFromStations(const RadioStations& stations);

// Stations from a playlist, in its order. The region comes from "group-title" (a region name) or
// "tvg-country"; an entry with neither is filed under "Ulubione". What our own attributes do not
// give is worked out as for the directories: the player kind from the address, the categories
// from a "group-title" that names no region. Names are made unique within their region.
TvStations tvStationsFromPlaylist(const Playlist& playlist);
RadioStations radioStationsFromPlaylist(const Playlist& playlist);

// The station of one entry as the two above make it, before names are made unique; nothing when
// the entry makes none. For a playlist read entry by entry (M3uReader).
std::optional<TvStation> tvStationFromEntry(const PlaylistEntry& entry);
std::optional<RadioStation> radioStationFromEntry(const PlaylistEntry& entry);

}  // namespace catalogue::sources
