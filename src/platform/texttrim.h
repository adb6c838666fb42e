#pragma once

#include <QByteArrayView>
#include <QStringView>

namespace platform {

// The trim the program uses everywhere a text is taken in (catalogue lines and columns, the
// editors' fields, search queries): every character with a code from 0 to 32 goes from both ends.
QByteArrayView trimControls(QByteArrayView text);
QStringView trimControls(QStringView text);

}  // namespace platform
