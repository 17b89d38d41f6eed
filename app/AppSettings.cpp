#include "AppSettings.h"

#include "LanguageIndex.h"

#include <QDir>

CAppSettings::CAppSettings() : CAppSettings(LocateSettings(QDir::currentPath().toStdString(), kFileName)) {}

namespace {
SSettingsLocation At(std::string path) {
    SSettingsLocation where;
    where.path = std::move(path);
    return where;
}
} // namespace

CAppSettings::CAppSettings(std::string path) : CAppSettings(At(std::move(path))) {}

CAppSettings::CAppSettings(SSettingsLocation where)
    : location(std::move(where)), file(location.path), store(file, kSection) {}

int CAppSettings::Language() const {
    return file.ReadInt(kSection, "LANGUAGE", LANG_ENGLISH);
}

bool CAppSettings::DisplayPacket() const {
    return file.ReadInt(kSection, "DisPlayPacket", 1) != 0;
}

bool CAppSettings::HexShow() const {
    return file.ReadInt(kSection, "HexShow", 1) != 0;
}

bool CAppSettings::ShowChangeList() const {
    return file.ReadInt(kSection, "ShowChangeList", 0) != 0;
}

bool CAppSettings::Write(const char* key, int value) {
    if (file.WriteText(kSection, key, std::to_string(value))) return true;
    if (lastError.empty()) lastError = file.LastError();
    return false;
}

bool CAppSettings::SaveLanguage(int index) {
    lastError.clear();
    return Write("LANGUAGE", index);
}

bool CAppSettings::SaveShowChangeList(bool show) {
    lastError.clear();
    return Write("ShowChangeList", show ? 1 : 0);
}

bool CAppSettings::SaveOnClose(bool displayPacket, bool hexShow,
                               const std::function<void(ISettingsStore&)>& saveConsole) {
    lastError.clear();
    bool ok = Write("DisPlayPacket", displayPacket ? 1 : 0);
    ok = Write("HexShow", hexShow ? 1 : 0) && ok;
    if (saveConsole) {
        store.ClearFailure();
        saveConsole(store);
        if (!store.WriteFailure().empty()) {
            if (lastError.empty()) lastError = store.WriteFailure();
            ok = false;
        }
    }
    return ok;
}
