#pragma once

#include "ProfileFile.h"
#include "SettingsStore.h"

#include <string>

// The console page's view of one section of a settings file. The interface has no result for a
// write, so a failed write is remembered here for the caller that owns the file.
class CProfileSettingsStore : public ISettingsStore {
  public:
    CProfileSettingsStore(CProfileFile& file, std::string section);

    int GetInt(const std::string& key, int def) override;
    std::string GetText(const std::string& key, const std::string& def) override;
    void WriteText(const std::string& key, const std::string& value) override;

    // Why the first WriteText since construction or the last ClearFailure failed; empty when
    // none did.
    const std::string& WriteFailure() const { return writeFailure; }
    void ClearFailure() { writeFailure.clear(); }

  private:
    CProfileFile& file;
    std::string section;
    std::string writeFailure;
};
