#pragma once

#include <QString>
#include <QStringView>

namespace catalogue {

// The web address a page column (`Www`, `ScheduleWww`) stands for: the catalogue keeps pages
// without their "http://", so it is put back in front. A field that already is a whole web address
// ("https://…" from a directory, a prefix typed in capitals) stays as it is; any other scheme
// (file:, smb:, a handler's own) goes behind "http://", so that it never reaches the desktop as a
// target of its own.
QString pageAddress(QStringView field);

}  // namespace catalogue
