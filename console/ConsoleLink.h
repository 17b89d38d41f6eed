#pragma once

#include <cstdint>
#include <string>

// What the console page asks of the engine. The window gives the page one (CEngineConsoleLink);
// tests give it a recorder. Without a link the page sends nothing, like a page without a window.
class IConsoleLink {
  public:
    virtual ~IConsoleLink() = default;
    // Writes the bytes to the port; false when they were not sent (the engine logs why).
    virtual bool SendData(const uint8_t* bytes, int count) = 0;
    // The "Display packet" switch of the log pane.
    virtual bool DisplayPacket() const = 0;
    // Makes a configuration-state entry that is still looping give up.
    virtual void SetAbortEntry() = 0;
    // Raw mode: while 1 the receive dispatcher only logs what arrives.
    virtual int RawMode() const = 0;
    virtual void SetRawMode(int value) = 0;
    // Starts the firmware download: "image path,restart flag".
    virtual void UpgradeRequest(const std::string& text) = 0;
};
