#pragma once

namespace platform {

class Shell;
class MessageBoxes;

// The platform services a window's handlers call, handed down from the program's start so that
// tests can put their own in.
struct Services {
  Shell& shell;
  MessageBoxes& boxes;
};

}  // namespace platform
