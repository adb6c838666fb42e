#pragma once

namespace platform {

// Makes the desktop's run dialogs forget the commands they remember: GNOME Shell's command
// history (through gsettings, which the running shell follows at once) and KRunner's history in
// $XDG_CONFIG_HOME/krunnerstaterc. Quietly does nothing where neither desktop is installed, and
// never waits for another program.
void clearRunDialogHistories();

// Whether the desktop keeps a run history that clearRunDialogHistories would clear: GNOME Shell is
// installed, or KRunner's state file is there.
bool runDialogHistoryExists();

}  // namespace platform
