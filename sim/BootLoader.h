#pragma once

#include "SimFrame.h"

#include <cstdint>

// Boot loader status bytes (first payload byte of its replies).
enum EBootStatus : uint8_t {
    BS_OK = 0,
    BS_BAD_LENGTH = 1,   // a block frame without its 2 address bytes and 64 data bytes
    BS_OUT_OF_ORDER = 2, // a block address that is neither the next one nor a repeat of the last
    BS_BEYOND_FLASH = 3, // a block address at or past the end of the flash
    BS_NOTHING_TO_ENABLE = 4,
};

// The local module's boot loader: takes an image as 64-byte blocks whose address counts
// 4-byte units (16 per block), strictly in order from address 0; a block for address 0 starts
// the image anew. The last block may be sent again (the program repeats a block whose reply
// was lost) and is then written again. The
// image is kept as received, filler of the last block included, for comparison.
class CBootLoader {
  public:
    static constexpr int kBlockBytes = 64;
    static constexpr int kAddressStep = 16;
    static constexpr int kFlashEndAddress = 59888;

    // A new download session: image emptied, nothing enabled.
    void Begin();
    uint8_t WriteBlock(const Bytes& payload);
    uint8_t Enable();

    const Bytes& Image() const { return image; }
    bool Enabled() const { return enabled; }
    int Blocks() const { return static_cast<int>(image.size()) / kBlockBytes; }

  private:
    Bytes image;
    bool enabled = false;
};
