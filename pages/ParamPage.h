#pragma once

#include "CmdItem.h"

#include <string>
#include <vector>

// What the window and the engine ask of each of the four parameter pages (network, advanced,
// IO, encryption). The controls are the values: the page keeps no copy of its own.
class IParamPage {
  public:
    virtual ~IParamPage() = default;
    // The setter of a parameter code shown on this page (see the catalogue's page field);
    // codes of other pages are ignored.
    virtual void SetParam(int code, const std::string& value) = 0;
    // Appends one value record (MakeValueRecord) per parameter the page can write, in the
    // page's documented order.
    virtual void GetParamList(std::vector<SCmdItem>& list) = 0;
    // Empties every control before a load.
    virtual void ClearParams() = 0;
};
