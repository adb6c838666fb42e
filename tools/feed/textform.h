#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "catalogue/feedfile.h"
#include "catalogue/stations.h"

namespace feedtool {

// A line of an input file that cannot become a station.
struct InputProblem {
  qint64 lineNumber;
  QString message;
};

// Station records from an input file, either JSON lines as `decode` prints them or the readable
// text form kept in the repository: UTF-8 lines with the columns of the catalogue file in its own
// order, separated by TABs, "-" for an empty value, blank lines and lines starting with ';' left
// out. Every line is read by the very rules of the program's loader, but a line the program would
// drop is a problem here, since an author means every line to count.
enum class InputForm { Detect, JsonLines, Text };

// Which column of a line made the program drop it, and what was wrong with it.
QString describeDroppedLine(const catalogue::DroppedLine& dropped);

template <typename Station>
std::vector<Station> readStations(const QByteArray& content, InputForm form, std::vector<InputProblem>& problems);

}  // namespace feedtool
