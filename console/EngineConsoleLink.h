#pragma once

#include "ConsoleLink.h"
#include "Engine.h"

// The console page's link to the window's engine. Header only: the page itself never needs the
// engine's code, so it links and runs in tests without one.
class CEngineConsoleLink final : public IConsoleLink {
  public:
    explicit CEngineConsoleLink(CEngine& engine) : engine(engine) {}

    bool SendData(const uint8_t* bytes, int count) override { return engine.SendData(bytes, count); }
    bool DisplayPacket() const override { return engine.displayPacket.load() != 0; }
    void SetAbortEntry() override { engine.abortEntry = 1; }
    int RawMode() const override { return engine.rawMode.load(); }
    void SetRawMode(int value) override { engine.rawMode = value; }
    void UpgradeRequest(const std::string& text) override { engine.OnUpgradeRequest(0, text); }

  private:
    CEngine& engine;
};
