#include "PortArgument.h"

#include "PortAliases.h"
#include "PortEnum.h"
#include "PortNames.h"
#include "TextUtil.h"
#include "Texts.h"
#include "CliTexts.h"

#include <cstdlib>
#include <vector>

std::string RealPath(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return {};
    std::string out = real;
    std::free(real);
    return out;
}

unsigned PortNumberOfArgument(const std::string& argument, std::string& error) {
    if (argument.find('/') == std::string::npos) {
        const unsigned number = PortNumberOfName(UpperCase(argument));
        if (number == 0) error = TextPrintf(TXT_UNKNOWN_PORT, argument.c_str());
        return number;
    }
    const std::string real = RealPath(argument);
    if (real.empty()) {
        error = TextPrintf(TXT_OPEN_FAILED_NO_DEVICE, argument.c_str());
        return 0;
    }
    // An alias that names the device wins, as it does for the window's list.
    std::vector<SPortAlias> aliases;
    std::string ignored;
    ReadPortAliases(PortsFolder(), aliases, &ignored);
    for (const SPortAlias& a : aliases)
        if (a.live && RealPath(a.target) == real) return a.number;
    const std::string name = real.substr(real.rfind('/') + 1);
    const unsigned number = PortNumberOfDevice(name);
    if (number && RealPath(ResolvePortPath(number)) == real) return number;
    error = TextPrintf(TXT_PORT_WITHOUT_NUMBER, argument.c_str(), PortsFolder().c_str());
    return 0;
}
