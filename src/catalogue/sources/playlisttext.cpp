#include <QStringDecoder>
#include <vector>

#include "catalogue/sources/playlist.h"
#include "platform/codepage.h"

namespace catalogue::sources {

QString playlistText(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) return platform::toUnicode(bytes, platform::CodePage::Windows1250);
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  return text;
}

namespace {

// Whether playlistText reads the bytes as UTF-8: the same decoder over the whole, a piece at a time.
bool decodesAsUtf8(QByteArrayView bytes) {
  constexpr qsizetype kPiece = 1 << 16;
  QStringDecoder utf8(QStringDecoder::Utf8);
  std::vector<QChar> scratch(utf8.requiredSpace(kPiece));
  for (qsizetype at = 0; at < bytes.size() && !utf8.hasError(); at += kPiece)
    utf8.appendToBuffer(scratch.data(), bytes.sliced(at, std::min(kPiece, bytes.size() - at)));
  return !utf8.hasError();
}

// The byte lines of a text: CR LF, CR and LF each end one, as forEachLine splits the decoded text.
template <typename Take>
void forEachByteLine(QByteArrayView bytes, Take take) {
  qsizetype start = 0;
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    take(bytes.sliced(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  take(bytes.sliced(start));
}

}  // namespace

void forEachPlaylistLine(const QByteArray& bytes, const std::function<void(QStringView)>& take) {
  if (!decodesAsUtf8(bytes)) {
    forEachByteLine(bytes, [&](QByteArrayView line) { take(platform::toUnicode(line, platform::CodePage::Windows1250)); });
    return;
  }
  // One decoder over the lines in order, as over the whole text: it passes over a byte-order
  // mark at the very start only.
  QStringDecoder utf8(QStringDecoder::Utf8);
  std::vector<QChar> line;
  bool first = true;
  forEachByteLine(bytes, [&](QByteArrayView raw) {
    line.resize(std::size_t(utf8.requiredSpace(raw.size())));
    const QChar* end = utf8.appendToBuffer(line.data(), raw);
    QStringView text(line.data(), end - line.data());
    if (first && text.startsWith(QChar(0xFEFF))) text = text.sliced(1);
    first = false;
    take(text);
  });
}

}  // namespace catalogue::sources
