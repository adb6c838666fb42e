#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

// The code pages the program converts between. Values are the platform's code page numbers.
enum class CodePage { Windows1250 = 1250, Iso8859_2 = 28592, Utf8 = 65001 };

// Unicode text into the code page; a character the code page lacks becomes '?'.
QByteArray fromUnicode(QStringView text, CodePage codePage);

// Bytes of the code page into Unicode; bytes the code page leaves undefined become U+FFFD
// (UTF-8: malformed sequences likewise).
QString toUnicode(QByteArrayView bytes, CodePage codePage);

// What text looks like after it has passed through an 8-bit code page and back:
// characters the code page lacks become '?'.
QString throughCodePage(QStringView text, CodePage codePage);

}  // namespace platform
