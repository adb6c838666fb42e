#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <optional>

#include "platform/codepage.h"

namespace search {

// The complete text in the code page; a character the code page lacks becomes '?'.
QByteArray ToCodePage(QStringView text, platform::CodePage codePage);

// The query bytes trimmed of blanks and control bytes at both ends and percent-encoded for an
// address; nothing when nothing is left, which ends the search.
std::optional<QByteArray> EncodeQuery(QByteArrayView text);

}  // namespace search
