#pragma once

#include "CmdItem.h"

#include <QString>

#include <string>
#include <vector>

class QWidget;

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
    // The controls that show a code of this page (an address: its mode list and its value field);
    // empty for the codes of other pages.
    virtual std::vector<QWidget*> ControlsOf(int /*code*/) const { return {}; }
    // A value of a code of this page as the operator sees it ("9600" for the baud rate value 5,
    // "Random" for the PAN ID 65535); the text itself where the page shows its text.
    virtual QString ShownText(int /*code*/, const std::string& value) const {
        return QString::fromStdString(value);
    }
};
