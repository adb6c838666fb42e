#pragma once

#include <QCollator>

namespace catalogue {

// The comparison for station names: the user's locale, Polish where the system has none (under
// the C locale the collator would fall back to code-point order), letter case ignored.
QCollator stationNameCollator();

}  // namespace catalogue
