#include "programfolder.h"

#include <QCoreApplication>

namespace platform {

QString programFolder() { return QCoreApplication::applicationDirPath() + QLatin1Char('/'); }

}  // namespace platform
