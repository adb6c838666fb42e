#include "profiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <optional>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folders.h"
#include "platform/inuse.h"
#include "platform/descriptor.h"
#include "platform/nofollow.h"

namespace privacy::browsers {

using platform::Descriptor;
namespace {

// A profile file larger than this is not a profile list.
constexpr qint64 kMaxProfilesIni = 1 << 20;

// The environment's folders are taken as they resolve (the home folder itself may well be a link,
// as /home is on some systems); empty when the folder does not exist.
QString resolved(const QString& folder) { return QFileInfo(folder).canonicalFilePath(); }

bool isFolderWithoutLinks(const QString& folder) {
  return Descriptor(platform::openNoFollow(folder, O_PATH | O_DIRECTORY)).valid();
}

QByteArray readWithoutLinks(const QString& file) {
  // Not blocking: a pipe under the file's name would hold the window up for ever.
  Descriptor fd(platform::openNoFollow(file, O_RDONLY | O_NONBLOCK));
  struct stat st {};
  QFile in;
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      !in.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
    return {};
  return in.read(kMaxProfilesIni);
}

struct Home {
  QString root;       // the folder with the profiles (Firefox) or the user data folder (Chromium)
  QString cacheRoot;  // its counterpart under the cache folder
};

void addFirefoxProfiles(const Home& home, std::vector<BrowserProfile>& found) {
  if (home.root.isEmpty()) return;
  const QString ini = home.root + QStringLiteral("/profiles.ini");
  for (const QString& folder : profilesListedIn(readWithoutLinks(ini), home.root)) {
    if (!isFolderWithoutLinks(folder)) continue;
    BrowserProfile profile{BrowserFamily::Firefox, QStringLiteral("Firefox"), folder, folder, {}};
    // A profile inside the profiles folder keeps its cache under the cache folder's same path;
    // one elsewhere keeps it in itself.
    const QString relative = QDir(home.root).relativeFilePath(folder);
    if (!home.cacheRoot.isEmpty() && !relative.startsWith(QLatin1String("..")) && !QDir::isAbsolutePath(relative))
      profile.cacheFolders << home.cacheRoot + QLatin1Char('/') + relative + QStringLiteral("/cache2");
    profile.cacheFolders << folder + QStringLiteral("/cache2");
    found.push_back(profile);
  }
}

void addChromiumProfiles(const QString& browser, const Home& home, bool sandboxed, std::vector<BrowserProfile>& found) {
  if (home.root.isEmpty() || !isFolderWithoutLinks(home.root)) return;
  static const QRegularExpression kProfileName(QStringLiteral("^(Default|Profile [0-9]+)$"));
  const QStringList names = QDir(home.root).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
  for (const QString& name : names) {
    if (!kProfileName.match(name).hasMatch()) continue;
    BrowserProfile profile{BrowserFamily::Chromium, browser, home.root + QLatin1Char('/') + name, home.root, {}, sandboxed};
    for (const char* cache : {"Cache", "Code Cache", "GPUCache"}) {
      if (!home.cacheRoot.isEmpty())
        profile.cacheFolders << home.cacheRoot + QLatin1Char('/') + name + QLatin1Char('/') + QLatin1String(cache);
      profile.cacheFolders << profile.folder + QLatin1Char('/') + QLatin1String(cache);
    }
    found.push_back(profile);
  }
}

// A folder below one of the environment's folders; empty when that folder is not there.
QString under(const QString& base, const QString& relative) {
  return base.isEmpty() ? QString() : base + QLatin1Char('/') + relative;
}
QString under(const QString& base, const char* relative) { return under(base, QLatin1String(relative)); }

// The text of a link, "" when there is none; nullopt when something else stands in its place.
std::optional<QString> linkText(const QString& folder, const char* name) {
  Descriptor dir(platform::openNoFollow(folder, O_PATH | O_DIRECTORY));
  if (!dir.valid()) return errno == ENOENT ? std::optional(QString()) : std::nullopt;
  char text[PATH_MAX];
  const ssize_t length = ::readlinkat(dir.get(), name, text, sizeof text - 1);
  if (length >= 0) return QString::fromLocal8Bit(text, length);
  if (errno == ENOENT) return QString();
  return std::nullopt;
}

bool isFirefoxProfileInUse(const QString& folder) {
  Descriptor lock(platform::openNoFollow(folder + QStringLiteral("/.parentlock"), O_RDONLY | O_NONBLOCK));
  if (lock.valid()) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    if (::fcntl(lock.get(), F_GETLK, &probe) != 0 || probe.l_type != F_UNLCK) return true;
  } else if (errno != ENOENT) {
    return true;  // something odd stands where the lock should be: leave the profile alone
  }
  // The older lock: a link whose text is "address:+pid".
  const std::optional<QString> link = linkText(folder, "lock");
  if (!link) return true;
  const qsizetype plus = link->lastIndexOf(QStringLiteral(":+"));
  if (plus < 0) return false;
  bool number = false;
  const pid_t pid = link->mid(plus + 2).toInt(&number);
  return number && platform::processIsRunning(pid);
}

bool isChromiumProfileInUse(const QString& userData, bool sandboxed) {
  const std::optional<QString> link = linkText(userData, "SingletonLock");
  if (!link) return true;
  if (link->isEmpty()) return false;
  // A sandboxed browser's lock is taken as held: its number cannot be checked from here.
  if (sandboxed) return true;
  const qsizetype dash = link->lastIndexOf(QLatin1Char('-'));
  bool number = false;
  const pid_t pid = dash < 0 ? 0 : link->mid(dash + 1).toInt(&number);
  if (!number) return true;
  char host[HOST_NAME_MAX + 1] = {};
  if (::gethostname(host, sizeof host - 1) != 0 || link->left(dash) != QString::fromLocal8Bit(host)) return true;
  return platform::processIsRunning(pid);
}

}  // namespace

QStringList profilesListedIn(const QByteArray& profilesIni, const QString& folder) {
  QStringList folders;
  QString path;
  bool relative = false;
  bool inProfile = false;
  const auto finish = [&] {
    if (inProfile && !path.isEmpty()) {
      const QString absolute = QDir::cleanPath(relative ? folder + QLatin1Char('/') + path : path);
      if (QDir::isAbsolutePath(absolute) && !folders.contains(absolute)) folders << absolute;
    }
    path.clear();
    relative = false;
  };
  for (QByteArray line : profilesIni.split('\n')) {
    line = line.trimmed();
    if (line.startsWith('[')) {
      finish();
      inProfile = line.startsWith("[Profile") && line.endsWith(']');
      continue;
    }
    const qsizetype equals = line.indexOf('=');
    if (equals < 0) continue;
    const QByteArray key = line.left(equals).trimmed();
    const QByteArray value = line.mid(equals + 1).trimmed();
    if (key == "Path") path = QString::fromUtf8(value);
    else if (key == "IsRelative") relative = value == "1";
  }
  finish();
  return folders;
}

std::vector<BrowserProfile> findBrowserProfiles() {
  const QString home = resolved(platform::homeFolder());
  const QString config = resolved(platform::userConfigHome());
  const QString cache = resolved(platform::userCacheHome());
  std::vector<BrowserProfile> found;

  const QString firefoxFlatpak = under(home, ".var/app/org.mozilla.firefox");
  const QString firefoxSnap = under(home, "snap/firefox/common");
  for (const Home& firefox : {Home{under(home, ".mozilla/firefox"), under(cache, "mozilla/firefox")},
                              Home{under(config, "mozilla/firefox"), under(cache, "mozilla/firefox")},
                              Home{under(firefoxSnap, ".mozilla/firefox"), under(firefoxSnap, ".cache/mozilla/firefox")},
                              Home{under(firefoxFlatpak, ".mozilla/firefox"), under(firefoxFlatpak, "cache/mozilla/firefox")},
                              Home{under(firefoxFlatpak, "config/mozilla/firefox"), under(firefoxFlatpak, "cache/mozilla/firefox")}})
    addFirefoxProfiles(firefox, found);

  struct Chromium {
    const char* folder;
    const char* flatpak;
    const char* name;
  };
  for (const Chromium& kind : {Chromium{"chromium", "org.chromium.Chromium", "Chromium"},
                               Chromium{"google-chrome", "com.google.Chrome", "Google Chrome"},
                               Chromium{"BraveSoftware/Brave-Browser", "com.brave.Browser", "Brave"},
                               Chromium{"microsoft-edge", "com.microsoft.Edge", "Microsoft Edge"},
                               Chromium{"vivaldi", "com.vivaldi.Vivaldi", "Vivaldi"}}) {
    const QString name = QLatin1String(kind.name);
    addChromiumProfiles(name, {under(config, kind.folder), under(cache, kind.folder)}, false, found);
    const QString flatpak = under(home, QStringLiteral(".var/app/") + QLatin1String(kind.flatpak));
    addChromiumProfiles(name, {under(flatpak, QStringLiteral("config/") + QLatin1String(kind.folder)),
                               under(flatpak, QStringLiteral("cache/") + QLatin1String(kind.folder))}, true, found);
  }
  const QString chromiumSnap = under(home, "snap/chromium/common");
  addChromiumProfiles(QStringLiteral("Chromium"), {under(chromiumSnap, "chromium"), under(chromiumSnap, ".cache/chromium")}, false, found);

  // The same folder can be reached from two homes (XDG_CONFIG_HOME inside a Flatpak's home): once.
  std::vector<BrowserProfile> unique;
  for (const BrowserProfile& profile : found)
    if (std::none_of(unique.begin(), unique.end(), [&](const BrowserProfile& p) { return p.folder == profile.folder; }))
      unique.push_back(profile);
  return unique;
}

bool isProfileInUse(const BrowserProfile& profile) {
  return profile.family == BrowserFamily::Firefox ? isFirefoxProfileInUse(profile.lockFolder)
                                                  : isChromiumProfileInUse(profile.lockFolder, profile.ownProcessNumbers);
}

}  // namespace privacy::browsers
