#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The module's side of the API frame format: 0xFE, LEN, command (low byte first), payload,
// XOR of everything from LEN on. Written apart from Tamsil so that the simulator checks the
// program's codec instead of mirroring it.

using Bytes = std::vector<uint8_t>;

enum ESimCommand : uint16_t {
    SC_REMOTE_REQUEST = 0x6224,
    SC_REMOTE_REPLY = 0x6244,
    SC_RESTART_REQUEST = 0x2C21,
    SC_RESTART_REPLY = 0x2C61,
    SC_BLOCK_WRITE = 0x014D,
    SC_BLOCK_REPLY = 0x814D,
    SC_ENABLE = 0x034D,
    SC_ENABLE_REPLY = 0x834D,
    SC_HANDSHAKE = 0x044D,
    SC_HANDSHAKE_REPLY = 0x844D,
};

constexpr size_t kSimMaxPayload = 250;

// The whole frame for command and payload (at most kSimMaxPayload bytes; more is cut).
Bytes BuildSimFrame(uint16_t command, const Bytes& payload);

struct SSimFrame {
    uint16_t command = 0;
    Bytes payload;
};

// Cuts frames out of the received stream. Bytes in front of a start byte come out as stray
// bytes (the escape sequence travels there). A frame with a wrong checksum or an impossible
// length costs its start byte; the scan resynchronises on the next 0xFE.
class CFrameCutter {
  public:
    enum EEvent { CUT_NONE, CUT_FRAME, CUT_STRAY, CUT_BAD };
    void Feed(const uint8_t* bytes, size_t n) { buffer.insert(buffer.end(), bytes, bytes + n); }
    // The next event; frame is filled for CUT_FRAME, stray for CUT_STRAY.
    EEvent Next(SSimFrame& frame, std::string& stray);
    // Everything not consumed yet, and the cutter emptied.
    Bytes TakeRest();
    bool HoldsPartialFrame() const { return !buffer.empty(); }
    void Clear() { buffer.clear(); }

  private:
    Bytes buffer;
};
