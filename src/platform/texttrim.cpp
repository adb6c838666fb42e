#include "texttrim.h"

namespace platform {
namespace {

unsigned codeOf(char c) { return static_cast<unsigned char>(c); }
unsigned codeOf(QChar c) { return c.unicode(); }

template <typename View>
View trimmed(View text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && codeOf(text[begin]) <= 32) ++begin;
  while (end > begin && codeOf(text[end - 1]) <= 32) --end;
  return text.sliced(begin, end - begin);
}

}  // namespace

QByteArrayView trimControls(QByteArrayView text) { return trimmed(text); }
QStringView trimControls(QStringView text) { return trimmed(text); }

}  // namespace platform
