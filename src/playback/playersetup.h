#pragma once

namespace playback {

// What the player windows need of the process, around building the application object.

// Before the application object: a player's picture draws in an OpenGL context shared with the
// application's, which Qt makes only when asked before it starts (the banner's web engine needs the
// same).
void shareGraphicsContexts();

// After the application object, which takes the locale from the environment: the media library
// refuses to start unless numbers are formatted the C way.
void formatNumbersForPlayers();

}  // namespace playback
