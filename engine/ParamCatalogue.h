#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The one table of parameter and command codes (ParamType): mnemonics, AT read and write
// commands, captions and the page that shows a value. Everything else derives from it.

enum EParamCode : int {
    PT_NONE = 0,
    PT_UPGRADE_BLOCK = 2,
    PT_UPGRADE_ENABLE = 3,
    PT_SOFT_VERSION = 4,
    PT_BOOT_VERSION = 5,
    PT_IPR = 6, PT_PAR, PT_STO, PT_UFC, PT_DBL, PT_ECH, PT_AST, PT_CHA, PT_MID, PT_TID, PT_PID, PT_TYP,
    PT_NID = 18, PT_NCD = 19, PT_ITV = 20,
    PT_MOD = 21, PT_SLE, PT_STC, PT_WTC, PT_ENP, PT_PRD, PT_CDA,
    PT_DM0 = 28, PT_DT0 = 33,
    PT_SEC = 38, PT_KEY = 39, PT_TLK = 40,
    PT_SAV = 41, PT_FAC = 42, PT_SRS = 43, PT_NWS = 44,
};

enum EPage : int { PG_NONE, PG_NETWORK, PG_ADVANCED, PG_IO, PG_ENCRYPT, PG_LOCAL, PG_REMOTE, PG_ENGINE };

struct SParamInfo {
    int code;
    const char* mnemonic;    // three letters, nullptr for 2..5 and 44
    const char* readCmd;     // "AT+PID?" or the command text of 41..44; nullptr when none
    const char* writePrefix; // "AT+PID="; nullptr when the value cannot be written
    int captionId;           // string ID of the caption; 0 when none (19)
    int failTextId;          // 41..44 and 2, 3: the line for result 0; else 0
    int ioIndex;             // 0..4 for DM0..DT4, else -1
    EPage page;              // where a read value is shown
};

// The entry of a code, nullptr for an unknown code.
const SParamInfo* FindParam(int code);
// Entry by its three mnemonic letters (case-sensitive), nullptr when unknown.
const SParamInfo* FindParamByMnemonic(const std::string& letters);
// Packed mnemonic (first letter in the lowest byte) for 6..43, -1 otherwise.
int32_t MnemonicCode(int code);
// The caption of a code in the current language ("IO%d %s" for the pins); empty when none.
std::string ParamCaption(int code);
// The 36 reads of a local load, in sending order.
const std::vector<int>& LocalLoadOrder();
