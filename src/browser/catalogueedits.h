#pragma once

#include <QString>

#include "catalogue/stationfiling.h"

namespace browser {

using catalogue::fileStation;
using catalogue::hasEqualName;

// The "Pytanie" text before a station (or a favourite) is deleted.
QString deleteQuestion(const QString& name, qint32 regionId);

}  // namespace browser
