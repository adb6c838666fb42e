#pragma once

#include <QString>

namespace platform {

// Every location the privacy cleaner touches is derived from HOME, the XDG variables, TMPDIR and
// the machine root, so that tests can move all of them into a folder of their own.

// The folder that stands for "/" of this machine: $SIECIOWNIK_MACHINE_ROOT, else "/". Never ends
// with a separator unless it is "/".
QString machineRoot();
// A machine-wide absolute path ("/var/tmp") placed under the machine root.
QString underMachineRoot(const QString& absolutePath);

QString homeFolder();
QString userConfigHome();  // $XDG_CONFIG_HOME, else ~/.config
QString userDataHome();    // $XDG_DATA_HOME, else ~/.local/share
QString userCacheHome();   // $XDG_CACHE_HOME, else ~/.cache
QString userStateHome();   // $XDG_STATE_HOME, else ~/.local/state

// The user's temporary-files folder: $TMPDIR, else /tmp of the machine.
QString userTempFolder();
// The machine's temporary folder that outlives a reboot: /var/tmp of the machine.
QString machineTempFolder();

// Where the program's embedded web engine keeps its profile: the stored data (history, visited
// links) and the HTTP cache.
QString webEngineStorageFolder();
QString webEngineCacheFolder();

// Replaces each %NAME% by the value of the environment variable NAME; a reference to a variable
// that is not set stays as written.
QString expandEnvironmentStrings(const QString& text);

}  // namespace platform
