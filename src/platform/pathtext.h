#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Paths as text, for paths that are compared, not looked up.

// The components of a path, without empty ones and ".", with each ".." taking the one before it
// away (at the top it stays at the top).
std::vector<std::string> pathComponents(std::string_view path);

// An absolute path with no "." or ".." component, no doubled separator and none at the end.
std::string cleanAbsolutePath(std::string_view path);

}  // namespace platform
