#include "stationcheck.h"

#include <QList>

#include "catalogue/feedtext.h"
#include "catalogue/regions.h"
#include "platform/texttrim.h"

namespace browser {
namespace {

// The largest quality in kbit/s whose bit rate still fits the catalogue's signed 32-bit field.
constexpr qint64 kMaxQualityKbps = 2147483;
const QString kEmptyMark = QStringLiteral("-");

// TAB, CR and LF would split a catalogue line: they become blanks.
void unbreak(QString& text) {
  for (QChar& c : text)
    if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
}

void normaliseAddress(QString& text, bool removeScheme) {
  text = platform::trimControls(text).toString();
  if (removeScheme && text.startsWith(QStringLiteral("http://"))) text.remove(0, 7);
  if (text == kEmptyMark) text.clear();
}

// The catalogue file holds 8-bit text: a character it lacks would be saved as "?", and the station
// would read differently after the next start. Names the field and the character.
std::optional<FieldProblem> unstorable(const QString& text, EditorField field, const QString& caption) {
  const qsizetype at = catalogue::firstUnrepresentable(text);
  if (at < 0) return std::nullopt;
  const char32_t code = QStringView(text).mid(at).toUcs4().constFirst();
  return FieldProblem{QStringLiteral("Pole „%1” zawiera znak „%2” (U+%3), którego nie można zapisać w pliku "
                                     "stacji. Usuń go lub zastąp innym.")
                          .arg(caption, QString::fromUcs4(&code, 1),
                               QStringLiteral("%1").arg(quint32(code), 4, 16, QLatin1Char('0')).toUpper()),
                      field};
}

// An optional sign and decimal digits, nothing else.
std::optional<qint64> wholeNumber(const QString& text) {
  qsizetype start = 0;
  if (text.startsWith(u'+') || text.startsWith(u'-')) start = 1;
  if (start == text.size()) return std::nullopt;
  for (qsizetype i = start; i < text.size(); ++i)
    if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
  bool ok = false;
  const qint64 value = text.toLongLong(&ok);
  if (!ok) return std::nullopt;
  return value;
}

}  // namespace

std::optional<FieldProblem> checkStationFields(StationFields& fields, const NameTaken& nameTaken) {
  for (QString* text : {&fields.name, &fields.www, &fields.streamUrl, &fields.quality}) unbreak(*text);
  if (fields.scheduleWww) unbreak(*fields.scheduleWww);

  fields.name = platform::trimControls(fields.name).toString();
  if (fields.name.isEmpty() || fields.name == kEmptyMark)
    return FieldProblem{QStringLiteral("Musisz podać nazwę strumienia"), EditorField::Name};
  if (auto problem = unstorable(fields.name, EditorField::Name, QStringLiteral("Nazwa"))) return problem;
  if (fields.regionRow < 0 || fields.regionRow >= catalogue::kRegionCount)
    return FieldProblem{QStringLiteral("Musisz wybrać kraj"), EditorField::Region};
  if (nameTaken(fields.name, catalogue::Regions[fields.regionRow].Id))
    return FieldProblem{QStringLiteral("Istnieje już strumień o takiej nazwie"), EditorField::Name};
  normaliseAddress(fields.www, true);
  if (auto problem = unstorable(fields.www, EditorField::Www, QStringLiteral("WWW"))) return problem;
  if (fields.scheduleWww) {
    normaliseAddress(*fields.scheduleWww, true);
    if (auto problem = unstorable(*fields.scheduleWww, EditorField::ScheduleWww, QStringLiteral("WWW (ramówka)")))
      return problem;
  }
  normaliseAddress(fields.streamUrl, false);
  if (auto problem = unstorable(fields.streamUrl, EditorField::StreamUrl, QStringLiteral("Strumień (URL)")))
    return problem;
  if (fields.www.isEmpty() && fields.streamUrl.isEmpty())
    return FieldProblem{QStringLiteral("Nie określono adresu strumienia ani WWW"), EditorField::StreamUrl};
  fields.quality = platform::trimControls(fields.quality).toString();
  if (!fields.quality.isEmpty()) {
    const std::optional<qint64> kbps = wholeNumber(fields.quality);
    if (!kbps || *kbps < 0 || *kbps > kMaxQualityKbps)
      return FieldProblem{QStringLiteral("Nieprawidłowa jakość transmisji"), EditorField::Quality};
  }
  return std::nullopt;
}

qint32 qualityBps(const QString& quality) {
  const std::optional<qint64> kbps = wholeNumber(quality);
  if (!kbps || *kbps < 0 || *kbps > kMaxQualityKbps) return 0;
  return static_cast<qint32>(*kbps * 1000);
}

}  // namespace browser
