#include "ProfileSettingsStore.h"

CProfileSettingsStore::CProfileSettingsStore(CProfileFile& file, std::string section)
    : file(file), section(std::move(section)) {}

int CProfileSettingsStore::GetInt(const std::string& key, int def) {
    return file.ReadInt(section, key, def);
}

std::string CProfileSettingsStore::GetText(const std::string& key, const std::string& def) {
    // The text keys of the settings file are read into a buffer of 1024 characters.
    return file.ReadText(section, key, def, 1024);
}

void CProfileSettingsStore::WriteText(const std::string& key, const std::string& value) {
    if (!file.WriteText(section, key, value) && writeFailure.empty())
        writeFailure = file.LastError().empty() ? "write failed" : file.LastError();
}
