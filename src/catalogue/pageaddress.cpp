#include "pageaddress.h"

namespace catalogue {

QString pageAddress(QStringView field) {
  if (field.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
      field.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
    return field.toString();
  return QStringLiteral("http://") + field.toString();
}

}  // namespace catalogue
