#pragma once

#include <string>

// Where the program's own files are. Installed, they sit under the prefix (bin/calyra and
// share/calyra/lang); in the build tree they are copied beside the program (bin/lang).

// The folder of the running executable ("" when /proc/self/exe cannot be read).
std::string ProgramDir();

// installed is relative to the prefix above the executable's folder ("share/calyra/lang"),
// beside relative to the executable's folder ("lang"). The installed place wins when it exists;
// otherwise the place beside the program (which may not exist either).
std::string FindProgramFile(const std::string& installed, const std::string& beside,
                            const std::string& programDir = ProgramDir());

// The udev rules file the project ships (installed or in the build tree).
std::string UdevRulesFile();
