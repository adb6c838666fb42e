#pragma once

#include <functional>

namespace app {

// What a start-up measurement attaches to the program; the program itself passes none.
struct ProgramProbes {
  std::function<void()> firstPaint;    // the main window has been painted for the first time
  std::function<void()> bannerLoaded;  // the banner page has finished loading
};

// The whole program: the privacy module, the application, the windows, the event loop.
int runProgram(int argc, char** argv, const ProgramProbes& probes = {});

}  // namespace app
