#include "CalyraApp.h"
#include "CalyraVersion.h"

#include <cstdio>
#include <cstring>

namespace {
const char* kUsage = R"(Usage: calyra [Qt options]
       calyra --help | --version

Configures ZigBee radio modules on a serial port: open the port, then load, edit and save
the module's parameters, search the network, configure remote modules, import and export
parameter sets, send commands and download firmware.

Options:
  -h, --help       this text
  -V, --version    the version
The usual Qt options are accepted, for example -platform offscreen.

Files: ./ParamCfg.ini (or $XDG_CONFIG_HOME/calyra/ParamCfg.ini when the working folder cannot
be written), $XDG_STATE_HOME/calyra/calyra.log, port aliases in $CALYRA_PORTS_DIR or
$XDG_CONFIG_HOME/calyra/ports. See calyra(1).
)";
} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so that they work without a display.
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (!std::strcmp(argv[i], "--version") || !std::strcmp(argv[i], "-V")) {
            std::puts("calyra " CALYRA_VERSION);
            return 0;
        }
    }
    CCalyraApp app(argc, argv);
    // Qt has taken its own options out of the arguments; anything left is not ours either.
    for (int i = 1; i < argc; ++i) {
        std::fprintf(stderr, "calyra: unknown argument: %s\n(see calyra --help)\n", argv[i]);
        return 2;
    }
    return app.InitInstance();
}
