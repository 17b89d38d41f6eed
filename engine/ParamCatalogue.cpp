#include "ParamCatalogue.h"

#include "Texts.h"

#include <cstdio>
#include <cstring>

namespace {
// code, mnemonic, read, write prefix, caption, failure text, IO index, page
const SParamInfo kCatalogue[] = {
    {2, nullptr, nullptr, nullptr, 272, 272, -1, PG_ENGINE},
    {3, nullptr, nullptr, nullptr, 274, 274, -1, PG_ENGINE},
    {4, nullptr, "AT+VER", nullptr, 230, 0, -1, PG_LOCAL},
    {5, nullptr, "AT+BTL", nullptr, 269, 0, -1, PG_LOCAL},
    {6, "IPR", "AT+IPR?", "AT+IPR=", 231, 0, -1, PG_NETWORK},
    {7, "PAR", "AT+PAR?", "AT+PAR=", 232, 0, -1, PG_NETWORK},
    {8, "STO", "AT+STO?", "AT+STO=", 233, 0, -1, PG_NETWORK},
    {9, "UFC", "AT+UFC?", "AT+UFC=", 264, 0, -1, PG_NETWORK},
    {10, "DBL", "AT+DBL?", "AT+DBL=", 234, 0, -1, PG_NETWORK},
    {11, "ECH", "AT+ECH?", "AT+ECH=", 235, 0, -1, PG_NETWORK},
    {12, "AST", "AT+AST?", "AT+AST=", 239, 0, -1, PG_NETWORK},
    {13, "CHA", "AT+CHA?", "AT+CHA=", 240, 0, -1, PG_NETWORK},
    {14, "MID", "AT+MID?", nullptr, 241, 0, -1, PG_NETWORK},
    {15, "TID", "AT+TID?", "AT+TID=", 265, 0, -1, PG_NETWORK},
    {16, "PID", "AT+PID?", "AT+PID=", 238, 0, -1, PG_NETWORK},
    {17, "TYP", "AT+TYP?", "AT+TYP=", 236, 0, -1, PG_NETWORK},
    {18, "NID", "AT+NID?", "AT+NID=", 237, 0, -1, PG_NETWORK},
    {19, "NCD", "AT+NCD?", nullptr, 0, 0, -1, PG_REMOTE},
    {20, "ITV", "AT+ITV?", "AT+ITV=", 242, 0, -1, PG_NETWORK},
    {21, "MOD", "AT+MOD?", "AT+MOD=", 243, 0, -1, PG_ADVANCED},
    {22, "SLE", "AT+SLE?", "AT+SLE=", 244, 0, -1, PG_ADVANCED},
    {23, "STC", "AT+STC?", "AT+STC=", 245, 0, -1, PG_ADVANCED},
    {24, "WTC", "AT+WTC?", "AT+WTC=", 246, 0, -1, PG_ADVANCED},
    {25, "ENP", "AT+ENP?", "AT+ENP=", 247, 0, -1, PG_ADVANCED},
    {26, "PRD", "AT+PRD?", "AT+PRD=", 248, 0, -1, PG_ADVANCED},
    {27, "CDA", "AT+CDA?", "AT+CDA=", 249, 0, -1, PG_ADVANCED},
    {28, "DM0", "AT+DM0?", "AT+DM0=", 250, 0, 0, PG_IO},
    {29, "DM1", "AT+DM1?", "AT+DM1=", 250, 0, 1, PG_IO},
    {30, "DM2", "AT+DM2?", "AT+DM2=", 250, 0, 2, PG_IO},
    {31, "DM3", "AT+DM3?", "AT+DM3=", 250, 0, 3, PG_IO},
    {32, "DM4", "AT+DM4?", "AT+DM4=", 250, 0, 4, PG_IO},
    {33, "DT0", "AT+DT0?", "AT+DT0=", 251, 0, 0, PG_IO},
    {34, "DT1", "AT+DT1?", "AT+DT1=", 251, 0, 1, PG_IO},
    {35, "DT2", "AT+DT2?", "AT+DT2=", 251, 0, 2, PG_IO},
    {36, "DT3", "AT+DT3?", "AT+DT3=", 251, 0, 3, PG_IO},
    {37, "DT4", "AT+DT4?", "AT+DT4=", 251, 0, 4, PG_IO},
    {38, "SEC", "AT+SEC?", "AT+SEC=", 252, 0, -1, PG_ENCRYPT},
    {39, "KEY", "AT+KEY?", "AT+KEY=", 253, 0, -1, PG_ENCRYPT},
    {40, "TLK", "AT+TLK?", "AT+TLK=", 254, 0, -1, PG_ENCRYPT},
    {41, "SAV", "AT+SAV", nullptr, 221, 218, -1, PG_ENGINE},
    {42, "FAC", "AT+FAC", nullptr, 219, 216, -1, PG_ENGINE},
    {43, "SRS", "AT+SRS", nullptr, 220, 217, -1, PG_ENGINE},
    {44, nullptr, "AT+NWS", nullptr, 258, 259, -1, PG_REMOTE},
};
} // namespace

const SParamInfo* FindParam(int code) {
    for (const SParamInfo& p : kCatalogue)
        if (p.code == code) return &p;
    return nullptr;
}

const SParamInfo* FindParamByMnemonic(const std::string& letters) {
    for (const SParamInfo& p : kCatalogue)
        if (p.mnemonic && letters == p.mnemonic) return &p;
    return nullptr;
}

int32_t MnemonicCode(int code) {
    const SParamInfo* p = FindParam(code);
    if (!p || !p->mnemonic || code < 6 || code > 43) return -1;
    const auto* l = reinterpret_cast<const unsigned char*>(p->mnemonic);
    return static_cast<int32_t>(l[0] | (l[1] << 8) | (l[2] << 16));
}

std::string ParamCaption(int code) {
    const SParamInfo* p = FindParam(code);
    if (!p || !p->captionId) return {};
    if (p->ioIndex >= 0) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "IO%d %s", p->ioIndex, Text(p->captionId).c_str());
        return buf;
    }
    return Text(p->captionId);
}

const std::vector<int>& LocalLoadOrder() {
    static const std::vector<int> order = {4,  5,  6,  7,  8,  9,  10, 11, 16, 17, 18, 15,
                                           12, 13, 14, 20, 21, 22, 23, 24, 25, 26, 27, 28,
                                           29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40};
    return order;
}
