#pragma once

class QOpenGLContext;

namespace playback {

// What the player windows need of the process.

// A player's picture is drawn in an OpenGL context of its own that shares with the player windows'
// contexts through the application's share context. That one is made on first use rather than when
// the application starts, so that a start without playing loads no OpenGL driver; the banner's web
// engine finds it and uses the same. Null where OpenGL cannot be had.
QOpenGLContext* sharedGraphicsContext();

// After the application object, which takes the locale from the environment: the media library
// refuses to start unless numbers are formatted the C way.
void formatNumbersForPlayers();

}  // namespace playback
