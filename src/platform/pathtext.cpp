#include "pathtext.h"

#include <algorithm>

namespace platform {

std::vector<std::string> pathComponents(std::string_view path) {
  std::vector<std::string> components;
  for (std::size_t at = 0; at <= path.size();) {
    const std::size_t end = std::min(path.find('/', at), path.size());
    const std::string_view part = path.substr(at, end - at);
    at = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!components.empty()) components.pop_back();
      continue;
    }
    components.emplace_back(part);
  }
  return components;
}

std::string cleanAbsolutePath(std::string_view path) {
  std::string clean;
  for (const std::string& part : pathComponents(path)) clean += '/' + part;
  return clean.empty() ? std::string("/") : clean;
}

}  // namespace platform
