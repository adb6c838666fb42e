#pragma once

#include <QString>

#include "catalogue/stations.h"

namespace catalogue {

// What the user is told when a change cannot be made on a catalogue that another program changed
// meanwhile. Each names the file, shows the station as it is in the file and as the user wanted
// it, so that neither is lost, and says that the lists now show the file.

// Every field of a station, one a line, under the editor's captions.
QString stationText(const TvStation& station);
QString stationText(const RadioStation& station);

template <class Station>
QString editedStationGone(const QString& file, const Station& before, const Station& after);
template <class Station>
QString editClashes(const QString& file, const Station& onDisk, const Station& after);
template <class Station>
QString nameTakenMeanwhile(const QString& file, const Station& onDisk, const Station& wanted);
template <class Station>
QString removedStationChanged(const QString& file, const Station& onDisk);
template <class Station>
QString favouriteTakenMeanwhile(const QString& file, const Station& onDisk, const Station& wanted);

}  // namespace catalogue
