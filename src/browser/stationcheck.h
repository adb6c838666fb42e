#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace browser {

// The fields of a station editor dialog as texts; `scheduleWww` only in the TV dialog.
struct StationFields {
  QString name;
  int regionRow = -1;
  QString www;
  std::optional<QString> scheduleWww;
  QString streamUrl;
  QString quality;
};

enum class EditorField { Name, Region, Www, ScheduleWww, StreamUrl, Quality };

struct FieldProblem {
  QString message;
  EditorField focus;
};

// Whether another station of the region already has this name.
using NameTaken = std::function<bool(const QString& name, qint32 regionId)>;

// The OK checks of the station editors, in their order. Normalises the fields in place as it goes
// (so a failing check leaves the earlier fields normalised): TAB, CR and LF become blanks first,
// texts are trimmed, one leading "http://" leaves the page addresses, an optional text that is only
// "-" (the catalogue's empty mark) becomes empty. A text with a character the catalogue file cannot
// hold is refused right after its field's own steps. The first failing check is returned.
std::optional<FieldProblem> checkStationFields(StationFields& fields, const NameTaken& nameTaken);

// The stored bit rate of a checked quality field: kbit/s times 1000, 0 when empty.
qint32 qualityBps(const QString& quality);

}  // namespace browser
