#pragma once

#include <QFont>

namespace platform {

// The two faces the windows were laid out in. Neither is free; each is drawn in Wine's free
// replacement, whose captions came closest to the layouts among the free faces Debian ships
// (Liberation, Arimo, FreeSans, Noto, Nimbus, DejaVu measured against every form). It is still
// a little wider than the original: a caption that does not fit grows its control (fitcaptions.h).
enum class Face { Tahoma, MsSansSerif };

// Registers the free faces and makes Tahoma 8 point the application's font. Once, before the
// first window.
void loadDescribedFonts();

// A described face at a pixel size: 8 point at 96 dots per inch is 11 pixels.
QFont describedFont(Face face, int pixelSize, bool bold = false);

}  // namespace platform
