#pragma once

#include <string>

// The keys of section "CONFIG" of the settings file as the console page reads and writes them.
// The window adapts its settings file object to this, so the page stays testable alone.
class ISettingsStore {
  public:
    virtual ~ISettingsStore() = default;
    virtual int GetInt(const std::string& key, int def) = 0;
    virtual std::string GetText(const std::string& key, const std::string& def) = 0;
    virtual void WriteText(const std::string& key, const std::string& value) = 0;
};
