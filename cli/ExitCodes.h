#pragma once

// Exit codes of calyra-cli (documented in calyra-cli.1 and --help).
enum EExitCode : int {
    EXIT_OK = 0,          // done as asked
    EXIT_REFUSED = 1,     // the module refused a value, a verify found a mismatch, a unit failed
    EXIT_USAGE = 2,       // bad arguments or a bad input file (parameter set, image, recipe)
    EXIT_PORT = 3,        // the port cannot be opened, or vanished
    EXIT_NO_ANSWER = 4,   // no answer from the module (configuration state, boot loader, node)
    EXIT_INTERRUPTED = 130, // Ctrl+C (128 + SIGINT)
};
