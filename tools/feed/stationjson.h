#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "catalogue/stations.h"

namespace feedtool {

// One station as a JSON object on one line, keys named and ordered as the record's fields, texts
// in UTF-8.
QByteArray toJsonLine(const catalogue::TvStation& station);
QByteArray toJsonLine(const catalogue::RadioStation& station);

// The reverse, for what the writer can carry unchanged: "Name" is required, the other keys default
// to empty, 0 or false; unknown keys, wrong types, out-of-range numbers and texts the file cannot
// carry are refused. An empty text on success, otherwise what is wrong.
QString fromJsonLine(QByteArrayView line, catalogue::TvStation& station);
QString fromJsonLine(QByteArrayView line, catalogue::RadioStation& station);

}  // namespace feedtool
