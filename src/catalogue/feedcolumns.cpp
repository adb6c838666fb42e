#include "feedcolumns.h"

#include <charconv>
#include <cstring>

#include "catalogue/feedinteger.h"
#include "catalogue/feedtext.h"
#include "platform/texttrim.h"

namespace catalogue {
namespace {

constexpr QByteArrayView kHttpPrefix = "http://";

template <typename Station>
DroppedLine dropped(const FeedColumn<Station>& column, int position, DroppedLine::Reason reason, QByteArrayView text) {
  DroppedLine line;
  line.column = position;
  line.field = column.field;
  line.reason = reason;
  line.text = fromFeedCodePage(text);
  return line;
}

}  // namespace

QByteArrayView TakeFeedColumn(QByteArrayView& line) {
  const char* tab = line.isEmpty() ? nullptr : static_cast<const char*>(std::memchr(line.data(), '\t', line.size()));
  QByteArrayView taken = line;
  if (tab) {
    const qsizetype at = tab - line.data();
    taken = line.first(at);
    line = platform::trimControls(line.sliced(at + 1));
  } else {
    line = {};
  }
  taken = platform::trimControls(taken);
  if (taken.size() == 1 && taken.front() == '-') return {};
  return taken;
}

template <typename Station>
std::optional<DroppedLine> parseFeedLine(QByteArrayView line, Station& record) {
  const auto columns = feedColumns<Station>();
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const FeedColumn<Station>& column = columns[i];
    const int position = static_cast<int>(i) + 1;
    const bool missing = line.isEmpty();
    QByteArrayView text = TakeFeedColumn(line);
    if (text.isEmpty() && isRequired(column.kind))
      return dropped(column, position, missing ? DroppedLine::RequiredMissing : DroppedLine::RequiredEmpty, text);
    switch (column.kind) {
      case FeedColumnKind::Address:
        if (text.startsWith(kHttpPrefix)) text = text.sliced(kHttpPrefix.size());
        [[fallthrough]];
      case FeedColumnKind::Name:
      case FeedColumnKind::Stream:
        record.*column.text = fromFeedCodePage(text);
        break;
      case FeedColumnKind::Quality:
        record.*column.integer = parseFeedInteger(text).value_or(0);
        break;
      case FeedColumnKind::Byte:
      case FeedColumnKind::Integer:
      case FeedColumnKind::Live: {
        const std::optional<qint32> value = parseFeedInteger(text);
        if (!value) return dropped(column, position, DroppedLine::NotAnInteger, text);
        if (column.kind == FeedColumnKind::Byte) record.*column.byte = static_cast<quint8>(*value & 0xFF);
        else if (column.kind == FeedColumnKind::Integer) record.*column.integer = *value;
        else record.*column.flag = *value == 1;
        break;
      }
    }
  }
  return std::nullopt;
}

template <typename Station>
void appendFeedLine(const Station& record, QByteArray& out) {
  const auto columns = feedColumns<Station>();
  // Room for the longest form of every column, so that the line is written without a reallocation.
  constexpr qsizetype kNumberRoom = 12;  // "-2147483648" and its TAB
  qsizetype room = 2;
  for (const FeedColumn<Station>& column : columns)
    room += column.text ? (record.*column.text).size() + 2 : kNumberRoom;
  const qsizetype start = out.size();
  out.resize(start + room);
  char* p = out.data() + start;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const FeedColumn<Station>& column = columns[i];
    if (i > 0) *p++ = '\t';
    switch (column.kind) {
      case FeedColumnKind::Name:
      case FeedColumnKind::Address:
      case FeedColumnKind::Stream: {
        const QString& text = record.*column.text;
        if (text.isEmpty() && column.kind != FeedColumnKind::Name) *p++ = '-';
        else p = toFeedCodePage(text, p);
        break;
      }
      case FeedColumnKind::Byte:
        p = std::to_chars(p, p + kNumberRoom, unsigned(record.*column.byte)).ptr;
        break;
      case FeedColumnKind::Integer:
      case FeedColumnKind::Quality:
        p = std::to_chars(p, p + kNumberRoom, record.*column.integer).ptr;
        break;
      case FeedColumnKind::Live:
        *p++ = record.*column.flag ? '1' : '2';
        break;
    }
  }
  *p++ = '\r';
  *p++ = '\n';
  out.truncate(p - out.constData());
}

template std::optional<DroppedLine> parseFeedLine(QByteArrayView, TvStation&);
template std::optional<DroppedLine> parseFeedLine(QByteArrayView, RadioStation&);
template void appendFeedLine(const TvStation&, QByteArray&);
template void appendFeedLine(const RadioStation&, QByteArray&);

}  // namespace catalogue
