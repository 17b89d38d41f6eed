#pragma once

#include "CmdItem.h"
#include "CmdResult.h"

#include <string>
#include <vector>

// What a save would write: the page values that differ from the values last read from the module
// the pages belong to. Save, the window's marks and its count of pending changes all take it from
// here, so the count shown is the number of writes the next save sends.

struct SPendingWrite {
    int type = 0;
    std::string pageValue;   // as the page delivers it for a write
    bool moduleRead = false; // a value of the code was read from the module
    std::string moduleValue; // the first read value (empty when none was read)
};

// The same value for a save: both texts with carriage returns and line feeds trimmed from both
// ends, compared without regard to letter case.
bool SameParamValue(const std::string& stored, const std::string& page);

// True for a page value a save can write: not empty (an empty field has nothing to write) and
// without a CR, LF or NUL (which would end the command and start another).
bool WritableParamValue(const std::string& page);

// The writable page values (in the order given) for which lastRead has no value of their code, or
// a different one (SameParamValue).
std::vector<SPendingWrite> PendingWrites(const std::vector<SCmdItem>& pageValues, const CResultList& lastRead);
