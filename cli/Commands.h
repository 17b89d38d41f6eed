#pragma once

#include "CliOptions.h"

#include <string>

class CReporter;

// The subcommands; each returns its exit code (ExitCodes.h).
int RunPorts(const SCliOptions& o, CReporter& reporter);
int RunRead(const SCliOptions& o, CReporter& reporter);
int RunDiffOrWrite(const SCliOptions& o, CReporter& reporter, bool write);
int RunCommand(const SCliOptions& o, CReporter& reporter, int code);
int RunSearch(const SCliOptions& o, CReporter& reporter);
int RunRemote(const SCliOptions& o, CReporter& reporter);
int RunFlash(const SCliOptions& o, CReporter& reporter);
int RunSend(const SCliOptions& o, CReporter& reporter);
int RunProvision(const SCliOptions& o, CReporter& reporter);
int RunRecords(const SCliOptions& o, CReporter& reporter);

// Why a firmware image cannot be downloaded (missing, unreadable, empty, larger than the boot
// loader takes); "" when it can.
std::string ImageProblem(const std::string& path);
