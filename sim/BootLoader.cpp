#include "BootLoader.h"

#include <algorithm>

void CBootLoader::Begin() {
    image.clear();
    enabled = false;
}

uint8_t CBootLoader::WriteBlock(const Bytes& payload) {
    if (payload.size() != 2 + kBlockBytes) return BS_BAD_LENGTH;
    int address = payload[0] | (payload[1] << 8);
    if (address >= kFlashEndAddress) return BS_BEYOND_FLASH;
    if (address == 0) Begin(); // a download always starts at address 0, also after a broken one
    int next = Blocks() * kAddressStep;
    bool repeat = next > 0 && address == next - kAddressStep;
    if (address != next && !repeat) return BS_OUT_OF_ORDER;
    size_t offset = static_cast<size_t>(address / kAddressStep) * kBlockBytes;
    if (!repeat) image.resize(offset + kBlockBytes);
    std::copy(payload.begin() + 2, payload.end(), image.begin() + static_cast<long>(offset));
    return BS_OK;
}

uint8_t CBootLoader::Enable() {
    if (image.empty()) return BS_NOTHING_TO_ENABLE;
    enabled = true;
    return BS_OK;
}
