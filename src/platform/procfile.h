#pragma once

#include <string>

namespace platform {

// Reads a whole small file of /proc (they report a size of 0, so it is read until the end); empty
// when it cannot be read.
std::string readProcFile(int folderFd, const char* name);

}  // namespace platform
