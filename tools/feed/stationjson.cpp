#include "stationjson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <limits>
#include <type_traits>

#include "catalogue/feedinteger.h"
#include "catalogue/feedtext.h"

namespace feedtool {
namespace {

using catalogue::RadioStation;
using catalogue::TvStation;

// The fields of a record in their declared order; `visit(name, field)` for each.
template <typename Station, typename Visitor>
  requires std::is_same_v<std::remove_const_t<Station>, TvStation>
void visitFields(Station& s, Visitor&& visit) {
  visit("Name", s.Name);
  visit("Www", s.Www);
  visit("ScheduleWww", s.ScheduleWww);
  visit("StreamUrl", s.StreamUrl);
  visit("RegionId", s.RegionId);
  visit("QualityBps", s.QualityBps);
  visit("PlayerKind", s.PlayerKind);
  visit("Categories", s.Categories);
  visit("Live", s.Live);
}

template <typename Station, typename Visitor>
  requires std::is_same_v<std::remove_const_t<Station>, RadioStation>
void visitFields(Station& s, Visitor&& visit) {
  visit("Name", s.Name);
  visit("Www", s.Www);
  visit("StreamUrl", s.StreamUrl);
  visit("RegionId", s.RegionId);
  visit("QualityBps", s.QualityBps);
  visit("PlayerKind", s.PlayerKind);
  visit("Categories", s.Categories);
}

void appendJsonString(QStringView text, QByteArray& out) {
  static const char hex[] = "0123456789abcdef";
  out.append('"');
  for (char c : text.toUtf8()) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"': out.append("\\\""); break;
      case '\\': out.append("\\\\"); break;
      case '\n': out.append("\\n"); break;
      case '\r': out.append("\\r"); break;
      case '\t': out.append("\\t"); break;
      default:
        if (byte < 0x20) {
          out.append("\\u00");
          out.append(hex[byte >> 4]);
          out.append(hex[byte & 0xF]);
        } else {
          out.append(c);
        }
    }
  }
  out.append('"');
}

template <typename Station>
QByteArray stationToJson(const Station& station) {
  QByteArray out("{");
  visitFields(station, [&out](const char* name, const auto& field) {
    using Field = std::decay_t<decltype(field)>;
    if (out.size() > 1) out.append(',');
    out.append('"').append(name).append("\":");
    if constexpr (std::is_same_v<Field, QString>) appendJsonString(field, out);
    else if constexpr (std::is_same_v<Field, bool>) out.append(field ? "true" : "false");
    else catalogue::appendFeedInteger(field, out);
  });
  out.append('}');
  return out;
}

QString describeFault(catalogue::FeedTextFault fault) {
  using catalogue::FeedTextFault;
  switch (fault) {
    case FeedTextFault::None: break;
    case FeedTextFault::Tab: return QStringLiteral("contains a TAB, which separates columns");
    case FeedTextFault::LineBreak: return QStringLiteral("contains a line break");
    case FeedTextFault::Dash: return QStringLiteral("is \"-\", which the file reads as empty");
    case FeedTextFault::EdgeBlank: return QStringLiteral("begins or ends with a blank or control character");
    case FeedTextFault::Unrepresentable:
      return QStringLiteral("contains a character that ISO-8859-2 or Windows-1250 lacks");
  }
  return {};
}

template <typename Number>
bool readNumber(const QJsonValue& value, Number& field) {
  if (!value.isDouble()) return false;
  const double number = value.toDouble();
  if (number != std::trunc(number) || number < std::numeric_limits<Number>::min() ||
      number > std::numeric_limits<Number>::max())
    return false;
  field = static_cast<Number>(number);
  return true;
}

template <typename Station>
QString stationFromJson(QByteArrayView line, Station& station) {
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &parseError);
  if (parseError.error != QJsonParseError::NoError)
    return QStringLiteral("invalid JSON (%1 at offset %2)").arg(parseError.errorString()).arg(parseError.offset);
  if (!document.isObject()) return QStringLiteral("expected a JSON object");
  const QJsonObject object = document.object();

  station = Station{};
  QString problem;
  QStringList known;
  visitFields(station, [&](const char* name, auto& field) {
    using Field = std::decay_t<decltype(field)>;
    const QString key = QString::fromLatin1(name);
    known << key;
    const auto found = object.constFind(key);
    if (!problem.isEmpty() || found == object.constEnd()) return;
    const QJsonValue value = found.value();
    if constexpr (std::is_same_v<Field, QString>) {
      if (!value.isString()) problem = QStringLiteral("%1 must be a string").arg(key);
      else if (const auto fault = catalogue::feedTextFault(value.toString()); fault != catalogue::FeedTextFault::None)
        problem = QStringLiteral("%1 %2").arg(key, describeFault(fault));
      else field = value.toString();
    } else if constexpr (std::is_same_v<Field, bool>) {
      if (!value.isBool()) problem = QStringLiteral("%1 must be true or false").arg(key);
      else field = value.toBool();
    } else {
      if (!readNumber(value, field))
        problem = QStringLiteral("%1 must be a whole number from %2 to %3")
                      .arg(key)
                      .arg(qint64(std::numeric_limits<Field>::min()))
                      .arg(qint64(std::numeric_limits<Field>::max()));
    }
  });
  if (!problem.isEmpty()) return problem;
  for (auto it = object.constBegin(); it != object.constEnd(); ++it)
    if (!known.contains(it.key())) return QStringLiteral("unknown key \"%1\"").arg(it.key());
  if (station.Name.isEmpty()) return QStringLiteral("Name is missing or empty");
  return {};
}

}  // namespace

QByteArray toJsonLine(const TvStation& station) { return stationToJson(station); }
QByteArray toJsonLine(const RadioStation& station) { return stationToJson(station); }
QString fromJsonLine(QByteArrayView line, TvStation& station) { return stationFromJson(line, station); }
QString fromJsonLine(QByteArrayView line, RadioStation& station) { return stationFromJson(line, station); }

}  // namespace feedtool
