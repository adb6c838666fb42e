#pragma once

#include <QString>

namespace playback {

// The media library is loaded when the first player is made, not with the program (mpvlibrary.cpp
// says why). Why it could not be loaded, after mpv_create() returned nothing; empty when it was.
QString mpvLibraryProblem();

}  // namespace playback
