#include "catalogueedits.h"

namespace browser {

QString deleteQuestion(const QString& name, qint32 regionId) {
  const QString lead = regionId != 0 ? QStringLiteral("Czy na pewno chcesz usunąć stację ")
                                     : QStringLiteral("Czy na pewno chcesz usunąć z Ulubionych ");
  return lead + QLatin1Char('"') + name + QStringLiteral("\"?");
}

}  // namespace browser
