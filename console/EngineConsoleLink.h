#pragma once

#include "ConsoleLink.h"
#include "Engine.h"

// The console page's link to the window's engine. Header only: the page itself never needs the
// engine's code, so it links and runs in tests without one.
class CEngineConsoleLink final : public IConsoleLink {
  public:
    explicit CEngineConsoleLink(CEngine& engine) : engine(engine) {}

    bool SendData(const uint8_t* bytes, int count) override { return engine.SendData(bytes, count); }
    bool DisplayPacket() const override { return engine.DisplayPacket(); }
    void SetAbortEntry() override { engine.SetAbortEntry(); }
    int RawMode() const override { return engine.RawMode(); }
    void SetRawMode(int value) override { engine.SetRawMode(value); }
    void UpgradeRequest(const std::string& text) override { engine.OnUpgradeRequest(0, text); }

  private:
    CEngine& engine;
};
