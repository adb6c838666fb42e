// The exclusions of the system's temporary-file cleaner (tmpfiles.d), for the cleaner's own walk.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <map>
#include <sys/utsname.h>
#include <unistd.h>

#include "platform/descriptor.h"
#include "platform/folders.h"
#include "platform/pathtext.h"
#include "platform/sessionfiles.h"

namespace platform {
namespace {

// The values of the specifiers as the system's own instance of the cleaner sees them.
struct Specifiers {
  std::map<char, std::string> values;

  static Specifiers ofThisMachine() {
    Specifiers specifiers;
    auto& v = specifiers.values;
    const auto firstLine = [](const QString& path) {
      QFile file(path);
      return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed().toStdString() : std::string();
    };
    std::string boot = firstLine(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    std::erase(boot, '-');
    const std::string machine = firstLine(underMachineRoot(QStringLiteral("/etc/machine-id")));
    if (!boot.empty()) v['b'] = boot;
    if (!machine.empty()) v['m'] = machine;
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0 && host[0] != '\0') {
      v['H'] = host;
      v['l'] = std::string(host).substr(0, std::string(host).find('.'));
    }
    struct utsname system;
    if (::uname(&system) == 0) v['v'] = system.release;
    v['T'] = "/tmp";
    v['V'] = "/var/tmp";
    v['t'] = "/run";
    v['S'] = "/var/lib";
    v['C'] = "/var/cache";
    v['L'] = "/var/log";
    v['E'] = "/etc";
    v['h'] = "/root";
    v['u'] = v['g'] = "root";
    v['U'] = v['G'] = "0";
    v['%'] = "%";
    return specifiers;
  }

  std::string expand(std::string_view text) const {
    std::string expanded;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '%' || i + 1 == text.size()) {
        expanded += text[i];
        continue;
      }
      const auto value = values.find(text[++i]);
      expanded += value != values.end() ? value->second : std::string("*");
    }
    return expanded;
  }
};

// One field of a line: quoted or not, with backslash escapes; empty at the end of the line.
std::string nextLineField(std::string_view line, std::size_t& at) {
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  std::string field;
  char quote = 0;
  if (at < line.size() && (line[at] == '"' || line[at] == '\'')) quote = line[at++];
  for (; at < line.size(); ++at) {
    const char c = line[at];
    if (quote != 0 ? c == quote : (c == ' ' || c == '\t')) {
      ++at;
      break;
    }
    if (c == '\\' && at + 1 < line.size()) {
      field += line[++at];
      continue;
    }
    field += c;
  }
  return field;
}

bool matches(const std::string& pattern, const char* name) { return ::fnmatch(pattern.c_str(), name, FNM_PERIOD) == 0; }

bool prefixMatches(const std::vector<std::string>& pattern, const std::vector<std::string>& path, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    if (!matches(pattern[i], path[i].c_str())) return false;
  return true;
}

// The names in a folder; the folder is read through a descriptor of its own.
std::vector<std::string> namesIn(int folderFd) {
  std::vector<std::string> names;
  Descriptor fd(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* listing = fd.valid() ? ::fdopendir(fd.get()) : nullptr;
  if (listing == nullptr) return names;
  fd.release();
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(listing);
  return names;
}

// Whether something in the folder matches the rest of a pattern, from `index` on, without leaving
// the folder's mount.
bool holdsMatch(int folderFd, const std::vector<std::string>& pattern, std::size_t index, std::uint64_t mountId) {
  for (const std::string& name : namesIn(folderFd)) {
    if (!matches(pattern[index], name.c_str())) continue;
    if (index + 1 == pattern.size()) return true;
    Descriptor sub(::openat(folderFd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    std::uint64_t subMount = 0;
    if (sub.valid() && mountOf(sub.get(), subMount) && subMount == mountId &&
        holdsMatch(sub.get(), pattern, index + 1, mountId))
      return true;
  }
  return false;
}

}  // namespace

TmpfilesExclusions TmpfilesExclusions::ofThisMachine() {
  TmpfilesExclusions exclusions;
  // A file of one name in an earlier folder hides the files of that name in the later ones.
  std::map<QString, QString> files;
  for (const char* folder : {"/etc/tmpfiles.d", "/run/tmpfiles.d", "/usr/local/lib/tmpfiles.d", "/usr/lib/tmpfiles.d"}) {
    const QDir dir(underMachineRoot(QLatin1String(folder)));
    for (const QString& name : dir.entryList({QStringLiteral("*.conf")}, QDir::Files | QDir::System))
      files.emplace(name, dir.filePath(name));
  }
  const Specifiers specifiers = Specifiers::ofThisMachine();
  const std::vector<std::string> root = pathComponents(QFile::encodeName(machineRoot()).toStdString());
  for (const auto& [name, path] : files) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& raw : file.readAll().split('\n')) {
      const std::string_view line(raw.constData(), static_cast<std::size_t>(raw.size()));
      std::size_t at = 0;
      const std::string type = nextLineField(line, at);
      // The type's letter, then any of its modifiers ("x!").
      if (type.empty() || (type[0] != 'x' && type[0] != 'X') ||
          type.find_first_not_of("!-=~^+", 1) != std::string::npos)
        continue;
      const std::string target = specifiers.expand(nextLineField(line, at));
      if (target.empty() || target[0] != '/') continue;
      Pattern pattern{root, type[0] == 'x'};
      for (std::string& part : pathComponents(target)) pattern.components.push_back(std::move(part));
      exclusions.patterns_.push_back(std::move(pattern));
    }
  }
  return exclusions;
}

std::unordered_set<std::string> TmpfilesExclusions::holdersIn(int folderFd, const std::string& folderPath,
                                                             std::uint64_t mountId, bool& everything) const {
  std::unordered_set<std::string> holders;
  everything = false;
  const std::vector<std::string> folder = pathComponents(folderPath);
  std::vector<std::string> names;
  bool listed = false;
  for (const Pattern& pattern : patterns_) {
    const std::vector<std::string>& parts = pattern.components;
    if (parts.size() <= folder.size()) {
      // The folder itself, or one above it; "X" keeps only that one folder, not what it holds.
      if (prefixMatches(parts, folder, parts.size()) && pattern.withContents) everything = true;
      continue;
    }
    if (!prefixMatches(parts, folder, folder.size())) continue;
    if (!listed) {
      names = namesIn(folderFd);
      listed = true;
    }
    const std::size_t next = folder.size();
    for (const std::string& name : names) {
      if (holders.contains(name) || !matches(parts[next], name.c_str())) continue;
      bool holds = next + 1 == parts.size();
      if (!holds) {
        Descriptor sub(::openat(folderFd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        std::uint64_t subMount = 0;
        holds = sub.valid() && mountOf(sub.get(), subMount) && subMount == mountId &&
                holdsMatch(sub.get(), parts, next + 1, mountId);
      }
      if (holds) holders.insert(name);
    }
  }
  return holders;
}

bool TmpfilesExclusions::excludes(const std::string& path) const {
  const std::vector<std::string> components = pathComponents(path);
  for (const Pattern& pattern : patterns_) {
    const std::size_t size = pattern.components.size();
    if (size > components.size() || (size < components.size() && !pattern.withContents)) continue;
    if (prefixMatches(pattern.components, components, size)) return true;
  }
  return false;
}

}  // namespace platform
