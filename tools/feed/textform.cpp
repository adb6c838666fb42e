#include "textform.h"

#include <QList>
#include <QStringDecoder>

#include "catalogue/feedcolumns.h"
#include "catalogue/feedtext.h"
#include "platform/texttrim.h"
#include "stationjson.h"

namespace feedtool {
namespace {

using catalogue::DroppedLine;

QList<QByteArrayView> splitLines(const QByteArray& content) {
  QByteArrayView rest(content);
  if (rest.startsWith("\xEF\xBB\xBF")) rest = rest.sliced(3);
  QList<QByteArrayView> lines;
  while (!rest.isEmpty()) {
    qsizetype end = rest.indexOf('\n');
    QByteArrayView line = end < 0 ? rest : rest.first(end);
    rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
    if (line.endsWith('\r')) line.chop(1);
    lines << line;
  }
  return lines;
}

bool isSignificant(QByteArrayView trimmed) { return !trimmed.isEmpty() && trimmed.front() != ';'; }

InputForm detectForm(const QList<QByteArrayView>& lines) {
  for (QByteArrayView line : lines) {
    const QByteArrayView trimmed = platform::trimControls(line);
    if (isSignificant(trimmed)) return trimmed.front() == '{' ? InputForm::JsonLines : InputForm::Text;
  }
  return InputForm::Text;
}

template <typename Station>
bool readTextLine(QByteArrayView line, Station& station, QString& problem) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString text = decoder.decode(line);
  if (decoder.hasError()) {
    problem = QStringLiteral("not valid UTF-8");
    return false;
  }
  if (const qsizetype at = catalogue::firstUnrepresentable(text); at >= 0) {
    problem = QStringLiteral("character %1 (\"%2\") is lacking from ISO-8859-2 or Windows-1250")
                  .arg(at + 1)
                  .arg(text.mid(at, text[at].isHighSurrogate() ? 2 : 1));
    return false;
  }
  QByteArray bytes;
  catalogue::appendToFeedCodePage(text, bytes);
  if (const auto dropped = catalogue::parseFeedLine(platform::trimControls(bytes), station)) {
    problem = describeDroppedLine(*dropped);
    return false;
  }
  return true;
}

}  // namespace

QString describeDroppedLine(const DroppedLine& dropped) {
  const QString where = QStringLiteral("column %1 (%2)").arg(dropped.column).arg(QLatin1String(dropped.field));
  switch (dropped.reason) {
    case DroppedLine::RequiredMissing: return QStringLiteral("%1 is missing: the line has too few columns").arg(where);
    case DroppedLine::RequiredEmpty: return QStringLiteral("%1 is required but holds \"-\", the empty value").arg(where);
    case DroppedLine::NotAnInteger: return QStringLiteral("%1: \"%2\" is not a signed 32-bit integer").arg(where, dropped.text);
  }
  return where;
}

template <typename Station>
std::vector<Station> readStations(const QByteArray& content, InputForm form, std::vector<InputProblem>& problems) {
  const QList<QByteArrayView> lines = splitLines(content);
  if (form == InputForm::Detect) form = detectForm(lines);
  std::vector<Station> stations;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QByteArrayView trimmed = platform::trimControls(lines[i]);
    if (trimmed.isEmpty() || (form == InputForm::Text && trimmed.front() == ';')) continue;
    Station station;
    QString problem;
    const bool ok = form == InputForm::JsonLines ? (problem = fromJsonLine(trimmed, station)).isEmpty()
                                                  : readTextLine(trimmed, station, problem);
    if (ok) stations.push_back(std::move(station));
    else problems.push_back({i + 1, problem});
  }
  return stations;
}

template std::vector<catalogue::TvStation> readStations(const QByteArray&, InputForm, std::vector<InputProblem>&);
template std::vector<catalogue::RadioStation> readStations(const QByteArray&, InputForm, std::vector<InputProblem>&);

}  // namespace feedtool
