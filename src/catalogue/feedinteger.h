#pragma once

#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

namespace catalogue {

// A number column as the program's string-to-integer conversion reads it: the whole text must be
// either decimal digits with one optional sign, within the signed 32-bit range, or one of the
// hexadecimal prefixes "$", "x", "X", "0x", "0X" followed by up to 32 bits of hexadecimal digits
// (no sign; "$FFFFFFFF" is -1). Anything else, an empty text included, gives nothing.
std::optional<qint32> parseFeedInteger(QByteArrayView text);

// Plain decimal, a minus sign for negative values, no leading zeros.
void appendFeedInteger(qint64 value, QByteArray& out);

}  // namespace catalogue
