#pragma once

#include <QString>

#include "catalogue/feedfile.h"
#include "catalogue/stations.h"

namespace app {

// Writes both catalogue files, or neither: when the second cannot be written, the first gets its
// old bytes back (or goes again, when it did not exist before).
catalogue::SaveResult writeBothCatalogues(const QString& tvPath, const catalogue::TvStations& tv,
                                          const QString& radioPath, const catalogue::RadioStations& radio);

}  // namespace app
