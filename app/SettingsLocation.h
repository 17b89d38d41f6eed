#pragma once

#include <string>

// Where ParamCfg.ini lives. It stays in the working folder, as it always has, when it can be
// written there (the file itself when it exists, else a new file in the folder). A launcher
// may start the program in a folder nobody may write (/, a read-only mount): then the file is
// $XDG_CONFIG_HOME/calyra/ParamCfg.ini (~/.config/calyra/ParamCfg.ini) instead.
struct SSettingsLocation {
    std::string path;
    bool fallback = false;   // not in the working folder
    std::string workFolder;  // the working folder that was tried
    std::string reason;      // why it could not be written there (fallback only)
};

SSettingsLocation LocateSettings(const std::string& workFolder, const std::string& fileName);

// $XDG_CONFIG_HOME/calyra, with ~/.config as the default of $XDG_CONFIG_HOME.
std::string ConfigFolder();
