#include "sessionfiles.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/descriptor.h"
#include "platform/inuse.h"

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

}  // namespace platform
