#pragma once
// The main window against the module simulator: the simulator runs on a pseudo-terminal with
// an alias in the fixture's ports folder, created before the window enumerates the ports. The
// alias number is above the fixed numbers of ttyS, ttyUSB and ttyACM devices, so no device of the
// machine takes the name when the alias goes away. $CALYRA_SIM_FAULTS names the simulator's fault
// profile.

#include "Simulator.h"
#include "WindowFixture.h"

#include <string>
#include <vector>

class CSimWindowFixture : public CWindowFixture {
  public:
    static constexpr int kAlias = 201;

    explicit CSimWindowFixture(int nodes = 3) {
        SSimOptions o;
        o.nodes = nodes;
        o.portsDir = PortsDir().toStdString();
        o.aliasNumber = kAlias;
        started = FaultProfileFromEnvironment(o.faults, &error) && sim.Start(o, &error);
    }
    ~CSimWindowFixture() {
        // The window closes its port before the simulator goes away.
        CloseWindow();
        sim.Stop();
    }

    bool SimStarted() const { return started; }
    const std::string& SimError() const { return error; }
    CSimulator& Sim() { return sim; }

    static QString AliasName() { return QString("COM%1").arg(kAlias); }
    // Opens the simulator's port in a started window.
    bool OpenSimPort() { return OpenPort(QString("COM%1").arg(kAlias)); }

    // A job ended: the progress dialog is hidden and the controls are unlocked.
    bool WaitJobEnd(int ms = 5000) {
        CCalyraDlg& w = Window();
        return QTest::qWaitFor([&] { return !w.IsProgressShown() && w.Comm()->OpenButton()->isEnabled(); },
                               ms);
    }

    // What the simulator received apart from the escape sequences.
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const std::string& c : sim.ReceivedCommands())
            if (c != "+++") out.push_back(c);
        return out;
    }

  private:
    CSimulator sim;
    std::string error;
    bool started = false;
};
