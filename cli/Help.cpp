#include "Help.h"

#include <cstring>

namespace {
const char* kCommon = R"(
Common options:
  -p, --port PORT      COM<n>, a device (/dev/ttyUSB0) or a /dev/serial/by-id link
  -b, --baud N         baud rate (default 115200)
      --data-bits N    5 to 8 (default 8)
      --parity P       none, odd, even, mark or space (default none)
      --stop-bits S    1, 1.5 or 2 (default 1)
      --timeout MS     reply wait per command (default 6000)
      --retries N      send failed reads and writes again N times (default 1)
      --json           results as JSON on standard output
  -q, --quiet          no progress or notices on standard error (errors still)
  -v, --verbose        the engine's log lines on standard error
      --log FILE       append every log line, with time and port, to FILE
  -h, --help           help of the command

Exit codes: 0 success; 1 a value refused, a verify mismatch, differences
(diff) or a failed unit; 2 usage or a bad input file; 3 port error (cannot
be opened, vanished); 4 no answer from the module; 130 interrupted.
)";

struct SHelp {
    const char* command;
    const char* text;
};

const SHelp kHelp[] = {
    {"", R"(Usage: calyra-cli COMMAND [options]

Configures ZigBee modules on serial ports without a window: the same engine,
parameter set files and texts as the Calyra window.

Commands:
  ports                     list the serial ports
  read                      read every parameter (parameter set format or --json)
  diff FILE                 show how the module differs from a parameter set
  write FILE                write the differences, save, read back and verify
  restart                   restart the module
  factory                   restore the factory settings
  search                    list the nodes of the network
  remote NODE ACTION        read, diff FILE, write FILE, restart or factory of a node
  flash IMAGE               download a firmware image
  send TEXT | --hex HEX     send one raw command, print its reply
  provision RECIPE          production station on one or more --port slots
  records                   list the station records

calyra-cli COMMAND --help shows the options of a command; man calyra-cli has all.
)"},
    {"ports", R"(Usage: calyra-cli ports [--json]

Lists the serial ports: COM name, Linux device, whether another program holds it,
label and /dev/serial/by-id link. COM<n> links in the ports folder
($CALYRA_PORTS_DIR, else $XDG_CONFIG_HOME/calyra/ports) are listed too.
)"},
    {"read", R"(Usage: calyra-cli read --port PORT [--json]

Enters the configuration state, reads every parameter and prints them as a
parameter set file (the window's Export Config format) or, with --json, as JSON
with the versions and the MAC address.
)"},
    {"diff", R"(Usage: calyra-cli diff FILE --port PORT [--json]

Reads the module and prints every value of the parameter set FILE that the module
holds otherwise, as KEY=module -> file. Nothing is written. Exit code 0 when there
is no difference, 1 when there are.
)"},
    {"write", R"(Usage: calyra-cli write FILE --port PORT [--json] [--retries N]

Reads the module, writes only the values of FILE that differ, saves, reads back
and verifies each written value. An unknown parameter or a value out of range in
FILE is reported with its line and nothing is written. The link key (TLK) of a
file is ignored, as the window's import ignores it.
)"},
    {"restart", "Usage: calyra-cli restart --port PORT\n\nRestarts the module (it leaves the configuration state).\n"},
    {"factory", "Usage: calyra-cli factory --port PORT\n\nRestores the factory settings and reads the module again.\n"},
    {"search", R"(Usage: calyra-cli search --port PORT [--json] [--wait MS]

Searches the network and lists its nodes (address, MAC, node type, status). The
records arrive one by one: the search ends when none came for a second, at
most after --wait MS (default 5000).
)"},
    {"remote", R"(Usage: calyra-cli remote NODE read|diff FILE|write FILE|restart|factory --port PORT

Works on a remote node through the local module in API mode. NODE is the node
address, decimal or 0x hexadecimal, as search lists it. write reads the node,
writes the differences, saves and verifies them.
)"},
    {"flash", R"(Usage: calyra-cli flash IMAGE --port PORT [--no-restart] [--restore]
                 [--handshake-wait MS]

Downloads the firmware IMAGE into the module's boot loader. An empty image or
one larger than 239552 bytes is refused before anything is sent.

Unless --no-restart (the module is in its boot loader already), the module's
parameters are first backed up to $XDG_STATE_HOME/calyra/backups/MAC-TIME.ini
and the module is restarted into its boot loader. A module that does not
answer in its application is downloaded to without the restart step.

After the transfer the new firmware is checked: its version is read and its
parameters are compared with the backup. With --restore the parameters that
differ are written back, saved and read back; without it they are listed and
left as they are (calyra-cli write BACKUP restores them later).

Exit codes: 0 done, 1 the restore did not verify, 4 the boot loader did not
answer the handshake within --handshake-wait MS (default 10000) or the new
firmware did not answer after the transfer.
)"},
    {"send", R"(Usage: calyra-cli send TEXT --port PORT [--no-enter] [--wait MS]
       calyra-cli send --hex HEX --port PORT [--wait MS]

Sends one raw command and prints what comes back until the line is quiet for
--wait MS (default 300). A text command gets CR LF and is preceded by "+++"
into the configuration state unless --no-enter; hex bytes go out as they are
and the reply is printed in hex.
)"},
    {"provision", R"(Usage: calyra-cli provision RECIPE --port A [--port B ...] [--units N]
                 [--records FILE] [--station NAME] [--poll MS]

A production station: every --port is a slot that runs on its own. Each slot
waits for a module to answer, flashes it when the recipe names an image, writes
the recipe's parameter set with the unit's own values, verifies, records the
unit and waits for the next module (one with another MAC address). One slot's
fault never stops another. --units N ends each slot after N units; Ctrl+C ends
the station. A summary is printed at the end.

Recipe (INI):
  [RECIPE]
  ParamSet=base.ini        parameter set file (relative to the recipe)
  Firmware=app.bin         optional image, downloaded before the write
  Station=line-1           station name of the records (or --station)
  [RULES]
  NID=counter:100-199      each unit the next free number of the range
  KEY=list:keys.txt        each unit the next free line of the file

Records: $XDG_DATA_HOME/calyra/stations.db (~/.local/share/calyra/) or --records.
)"},
    {"records", R"(Usage: calyra-cli records [--records FILE] [--csv | --json]

Lists the station records: time, station, port, MAC address, firmware before and
after, hash of the parameters written, result and reason.
)"},
};
} // namespace

bool IsCommand(const std::string& command) {
    for (const SHelp& h : kHelp)
        if (*h.command && command == h.command) return true;
    return false;
}

const char* HelpText(const std::string& command) {
    static std::string text;
    for (const SHelp& h : kHelp)
        if (command == h.command) {
            text = std::string(h.text) + kCommon;
            return text.c_str();
        }
    text = std::string(kHelp[0].text) + kCommon;
    return text.c_str();
}
