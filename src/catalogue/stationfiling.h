#pragma once

#include <QCollator>
#include <QString>
#include <vector>

namespace catalogue {

// Whether a station other than stations[except] has region `regionId` and a name equal to `name`.
template <class Station>
bool hasEqualName(const std::vector<Station>& stations, int except, qint32 regionId, const QString& name,
                  const QCollator& names);

// Puts `record` in place of stations[replaced] (-1: a new station), filed before the first station of
// its region whose name sorts after it, or at the end. Returns its new index.
template <class Station>
int fileStation(std::vector<Station>& stations, int replaced, Station record, const QCollator& names);

}  // namespace catalogue
