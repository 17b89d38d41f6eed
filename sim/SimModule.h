#pragma once

#include <cstdint>
#include <map>
#include <string>

// One simulated module's parameter set. Writes change the current values at once; "save"
// keeps them, and a restart brings back the saved set, so a value that was written but not
// saved is lost at the restart, as on the device. The network address (what "NCD" reads and
// where the module answers remote requests) changes only at a restart.
class CSimModule {
  public:
    // Factory values with this identity; saved equals current.
    CSimModule(std::string mac, uint16_t address, int nodeType);

    // Stored text of a parameter (6 to 40): MAC for 14, the network address for 19,
    // "" for a code the module does not have.
    std::string Read(int code) const;
    // Sets a checked value text (see ParamRules) or, for tests, any text.
    void Set(int code, const std::string& text) { current[code] = text; }
    // Sets current and saved value alike (the value survives a restart).
    void SetLasting(int code, const std::string& text);
    void SetAddress(uint16_t a) { address = a; }
    void SetMac(const std::string& m) { mac = m; }

    void Save() { saved = current; }
    // Factory values for everything but the identity (MAC, network address), saved at once.
    void Factory();
    // The saved set becomes current; the network address follows the node type and the node
    // address: a coordinator is 0, an assigned node address is taken, and with 65535 (random)
    // a remote node leaves the network while the local module keeps its address.
    void Restart(bool isLocal);

    uint16_t Address() const { return address; }
    bool Joined() const { return joined; }
    const std::string& Mac() const { return mac; }
    int NodeType() const;

  private:
    std::map<int, std::string> current, saved;
    std::string mac;
    uint16_t address;
    bool joined = true;
};
