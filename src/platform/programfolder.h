#pragma once

#include <QString>

namespace platform {

// The folder of the program's own executable, ending with a path separator.
QString programFolder();

}  // namespace platform
