#pragma once

#include <QFont>

namespace platform {

// The two faces the windows were laid out in. Neither is free; each is drawn in the free face
// whose widths come closest to the layouts (see fonts.cpp).
enum class Face { Tahoma, MsSansSerif };

// Registers the free faces and makes Tahoma 8 point the application's font. Once, before the
// first window.
void loadDescribedFonts();

// A described face at a pixel size: 8 point at 96 dots per inch is 11 pixels.
QFont describedFont(Face face, int pixelSize, bool bold = false);

}  // namespace platform
