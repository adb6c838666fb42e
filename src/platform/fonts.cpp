#include "fonts.h"

#include <QApplication>
#include <QFontDatabase>

namespace platform {

void loadDescribedFonts() {
  for (const char* file : {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"})
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/") + QString::fromLatin1(file));
  QApplication::setFont(describedFont(Face::Tahoma, 11));
}

QFont describedFont(Face face, int pixelSize, bool bold) {
  QString family = face == Face::Tahoma ? QStringLiteral("Tahoma") : QStringLiteral("MS Sans Serif");
  // The free "MS Sans Serif" has no bold face; Tahoma Bold has the same height and width class.
  if (bold && face == Face::MsSansSerif && !QFontDatabase::styles(family).contains(QStringLiteral("Bold")))
    family = QStringLiteral("Tahoma");
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace platform
