#include "sessionfiles.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/descriptor.h"
#include "platform/inuse.h"
#include "platform/pathtext.h"

namespace platform {
namespace {

bool startsWith(std::string_view name, std::string_view prefix) { return name.substr(0, prefix.size()) == prefix; }

bool endsWith(std::string_view name, std::string_view suffix) {
  return name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

bool endsWithNoCase(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  const std::string_view tail = name.substr(name.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(tail[i])) != suffix[i]) return false;
  return true;
}

// The number at the very end of a text, blanks after it ignored; 0 when there is none.
pid_t trailingNumber(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  std::size_t start = text.size();
  while (start > 0 && std::isdigit(static_cast<unsigned char>(text[start - 1]))) --start;
  const std::string_view digits = text.substr(start);
  if (digits.empty() || digits.size() > 9) return 0;
  pid_t number = 0;
  for (const char digit : digits) number = number * 10 + (digit - '0');
  return number;
}

}  // namespace

bool isSessionFile(std::string_view name) {
  if (name.empty()) return false;
  if (name[0] == '.') return (startsWith(name, ".X") && endsWith(name, "-lock")) || endsWith(name, "-unix");
  for (const std::string_view prefix : {"xauth", "kde-", "ksocket-", "pulse-", "tmux-", "ssh-", "krb5cc", "dbus-",
                                        "systemd-private-", "snap-private-tmp"})
    if (startsWith(name, prefix)) return true;
  return false;
}

bool isLockFileName(std::string_view name) { return endsWithNoCase(name, "lock") || endsWithNoCase(name, ".pid"); }

bool lockNamesRunningProcess(int folderFd, const char* name, bool isLink) {
  char text[128];
  ssize_t length = -1;
  if (isLink) {
    length = ::readlinkat(folderFd, name, text, sizeof text);
  } else {
    // Never block on what only looks like a file, and never follow a link put in its place.
    Descriptor fd(::openat(folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.valid()) {
      do length = ::read(fd.get(), text, sizeof text);
      while (length < 0 && errno == EINTR);
    }
  }
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof text) return false;
  const pid_t pid = trailingNumber(std::string_view(text, static_cast<std::size_t>(length)));
  // Process 1 always runs; a file naming it says nothing about a program that holds it.
  return pid > 1 && processIsRunning(pid);
}

void addNamedPaths(std::string_view nulSeparated, bool isEnvironment, std::unordered_set<std::string>& into) {
  const auto addIfAbsolute = [&into](std::string_view path) {
    if (!path.empty() && path.front() == '/') into.insert(cleanAbsolutePath(path));
  };
  for (std::size_t at = 0; at < nulSeparated.size();) {
    const std::size_t end = std::min(nulSeparated.find('\0', at), nulSeparated.size());
    const std::string_view item = nulSeparated.substr(at, end - at);
    at = end + 1;
    const std::size_t equals = item.find('=');
    if (!isEnvironment) {
      addIfAbsolute(item);
      if (equals != std::string_view::npos) addIfAbsolute(item.substr(equals + 1));
      continue;
    }
    // Where a shell was before, not where it is.
    if (equals == std::string_view::npos || item.substr(0, equals) == "OLDPWD") continue;
    const std::string_view value = item.substr(equals + 1);
    for (std::size_t from = 0; from <= value.size();) {
      const std::size_t colon = std::min(value.find(':', from), value.size());
      addIfAbsolute(value.substr(from, colon - from));
      from = colon + 1;
    }
  }
}

}  // namespace platform
