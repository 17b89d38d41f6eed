#pragma once

#include <ctime>
#include <string>

// Where parameter backups taken before a firmware download go: $XDG_STATE_HOME/calyra/backups,
// or ~/.local/state/calyra/backups when XDG_STATE_HOME is unset or not absolute.
std::string BackupFolder();

// A file in folder named by the module's MAC address and the local time,
// "<MAC>-YYYYMMDD-HHMMSS.ini" (characters other than letters and digits of the MAC left out,
// "unknown" without one); "-2", "-3" ... before ".ini" when the name is taken.
std::string NewBackupPath(const std::string& folder, const std::string& mac, std::time_t when);
