#pragma once

// What the program and the banner's own process say to each other, one line each, in UTF-8: a
// word, then for some a space and an argument.
namespace app::bannerhost {

// To the banner's process, on its standard input. The end of the input ends the process.
inline constexpr char kLoad[] = "load";                   // load URL: show this page
inline constexpr char kSize[] = "size";                   // size WIDTH HEIGHT: the strip's new size
inline constexpr char kClearHistory[] = "clear-history";  // answered with kCleared
inline constexpr char kClearCache[] = "clear-cache";      // answered with kCleared

// From the banner's process, on its standard output.
inline constexpr char kLoaded[] = "loaded";    // loaded 1 / loaded 0: how the page's load ended
inline constexpr char kOpen[] = "open";        // open URL: the desktop's browser is to open this
inline constexpr char kCleared[] = "cleared";  // cleared 1 / cleared 0: whether the engine did it

}  // namespace app::bannerhost
