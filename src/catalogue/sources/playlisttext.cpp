#include <QStringDecoder>

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

}  // namespace catalogue::sources
