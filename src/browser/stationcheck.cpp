#include "stationcheck.h"

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
  // Every leading "http://": one left in place would be taken off by the next load of the file, and
  // the catalogue would then hold something else than what was stored.
  while (removeScheme && text.startsWith(QStringLiteral("http://"))) text.remove(0, 7);
  if (text == kEmptyMark) text.clear();
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
  if (fields.regionRow < 0 || fields.regionRow >= catalogue::kRegionCount)
    return FieldProblem{QStringLiteral("Musisz wybrać kraj"), EditorField::Region};
  if (nameTaken(fields.name, catalogue::Regions[fields.regionRow].Id))
    return FieldProblem{QStringLiteral("Istnieje już strumień o takiej nazwie"), EditorField::Name};
  normaliseAddress(fields.www, true);
  if (fields.scheduleWww) normaliseAddress(*fields.scheduleWww, true);
  normaliseAddress(fields.streamUrl, false);
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
