#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace privacy::browsers {

enum class BrowserFamily { Firefox, Chromium };

// One profile of a browser the user has installed natively, as a Snap or as a Flatpak.
struct BrowserProfile {
  BrowserFamily family;
  QString browser;           // the name the user knows it by, for the message about running browsers
  QString folder;            // the profile's own folder: its databases live here
  QString lockFolder;        // where the browser's lock lives: the profile (Firefox) or its user data folder (Chromium)
  QStringList cacheFolders;  // folders whose content is the profile's cache
  // The browser runs in a sandbox with process numbers of its own, so a number in its lock says
  // nothing about the processes here.
  bool ownProcessNumbers = false;
};

// Every profile found under the user's home and XDG folders, each once. Folders are taken from
// the environment's home and XDG paths as they resolve; below them, nothing reached through a
// symbolic link counts.
std::vector<BrowserProfile> findBrowserProfiles();

// The profile paths a Firefox profiles.ini lists, made absolute against the folder it lies in.
QStringList profilesListedIn(const QByteArray& profilesIni, const QString& folder);

// True while a browser process holds the profile: Firefox's lock on .parentlock or its `lock` link
// naming a live process; Chromium's SingletonLock naming a live process on this host, or any host
// but this one (which cannot be checked from here).
bool isProfileInUse(const BrowserProfile& profile);

}  // namespace privacy::browsers
