#pragma once

#include "SimFrame.h"
#include "SimModule.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Status byte of a remote reply and field 0 of a search record, as the remote device page
// reads them.
enum ERemoteStatus : int {
    RS_OK = 0,
    RS_NOT_JOINED = 1,
    RS_NO_SUCH_NODE = 2,
    RS_NO_ANSWER = 3,
    RS_PIN_OFF = 4,
    RS_BAD_VALUE = 5,
};

// The local module (coordinator, address 0) and the remote nodes of its network. Remote
// addresses and MACs come from a seeded generator: distinct, reproducible for one seed.
class CSimNetwork {
  public:
    CSimNetwork(int nodes, unsigned seed);

    CSimModule& Local() { return local; }
    const CSimModule& Local() const { return local; }
    // The module answering at a network address (the local one included), nullptr when none.
    CSimModule* Find(uint16_t address);
    const CSimModule* Find(uint16_t address) const;
    // Addresses of the remote nodes in the network, in creation order.
    std::vector<uint16_t> RemoteAddresses() const;
    // One "+NWS:status,address,MAC,type\r\n" record per remote node in the network.
    std::vector<std::string> SearchRecords() const;
    // A non-zero status makes the node at that address answer every request with it, without
    // acting on it; 0 restores normal answers.
    void SetStatus(uint16_t address, int status);

    struct SRequestOutcome {
        Bytes reply;                 // payload of the 0x6244 reply; empty when the request is too short
        std::string logLine;         // the request as a readable line
        bool localRestarted = false; // the request restarted the local module itself
    };
    // Runs one remote AT request (payload of a 0x6224 frame).
    SRequestOutcome HandleRequest(const Bytes& request);

  private:
    int StatusOf(uint16_t address) const;

    CSimModule local;
    std::vector<CSimModule> remotes;
    std::map<uint16_t, int> forcedStatus;
};
