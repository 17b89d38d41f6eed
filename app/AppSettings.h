#pragma once

#include "ProfileFile.h"
#include "ProfileSettingsStore.h"
#include "SettingsLocation.h"

#include <functional>
#include <string>

// The program's settings: section "CONFIG" of ParamCfg.ini in the working directory. Every key
// has a default, so a missing or unreadable file gives English and both packet switches on.
class CAppSettings {
  public:
    static constexpr const char* kFileName = "ParamCfg.ini";
    static constexpr const char* kSection = "CONFIG";

    // ParamCfg.ini in the current working directory when it can be written there, else in
    // $XDG_CONFIG_HOME/calyra (see SettingsLocation.h); resolved now: a later change of the
    // working directory does not move the file.
    CAppSettings();
    explicit CAppSettings(std::string path);
    explicit CAppSettings(SSettingsLocation where);

    const std::string& Path() const { return file.Path(); }
    // Where the file is and, when not in the working folder, why.
    const SSettingsLocation& Location() const { return location; }

    int Language() const;       // "LANGUAGE": 0 Chinese, 1 English (default)
    bool DisplayPacket() const; // "DisPlayPacket", default on
    bool HexShow() const;       // "HexShow", default on
    // "ShowChangeList", default off: Save Params lists the pending changes before it writes them.
    bool ShowChangeList() const;

    // The language change writes only "LANGUAGE".
    bool SaveLanguage(int index);
    // Written when the operator switches it, so that it holds also without a regular close.
    bool SaveShowChangeList(bool show);

    // The close request: "DisPlayPacket", "HexShow", then the console page's keys, which it
    // writes itself through the store it is given (saveConsole may be empty). Every key is
    // tried; false when any write failed (LastError() says why).
    bool SaveOnClose(bool displayPacket, bool hexShow,
                     const std::function<void(ISettingsStore&)>& saveConsole);

    // The console page reads its keys through this at its initialisation.
    ISettingsStore& Store() { return store; }
    CProfileFile& File() { return file; }

    const std::string& LastError() const { return lastError; }

  private:
    bool Write(const char* key, int value);

    SSettingsLocation location;
    CProfileFile file;
    CProfileSettingsStore store;
    std::string lastError;
};
