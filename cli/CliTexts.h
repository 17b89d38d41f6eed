#pragma once

// Numbers of the command-line program's texts in the string table (the English is built into
// the engine's table, the bundles translate them). 390..395 are the parameter set file's, in
// Texts.h.
enum ECliText : int {
    TXT_CLI_IMAGE_EMPTY = 396, // "Firmware image %s is empty: nothing was sent."
    TXT_CLI_IMAGE_TOO_LARGE = 397, // "Firmware image %s is too large: %lld bytes, at most %d bytes fit; nothing was sent."
    TXT_NO_ANSWER = 398, // "No answer from the module on %s."
    TXT_VERIFY_MISMATCH = 399, // "Verify failed: %s reads %s on the module, %s was written."
    TXT_VALUE_REFUSED = 400, // "The module refused %s=%s."
    TXT_WRITE_VERIFIED = 401, // "%d value(s) written, saved and verified."
    TXT_NO_DIFFERENCES = 402, // "No differences: nothing written."
    TXT_UNKNOWN_PORT = 403, // "Unknown port "%s": give COM<n>, a device path or a /dev/serial/by-id link."
    TXT_PORT_WITHOUT_NUMBER = 404, // "%s has no COM number: create a symbolic link COM<n> to it in %s."
    TXT_FLASH_FAILED = 405, // "The firmware download failed."
    TXT_BOOT_SILENT = 406, // "The boot loader did not answer the handshake."
    TXT_RECIPE_PROBLEM = 407, // "Recipe %s: %s"
    TXT_STATION_SUMMARY = 408, // "Station %s: %d unit(s), %d passed, %d failed."
    TXT_UNIT_LINE = 409, // "%s: unit %s %s %s"
    TXT_WAITING_FOR_MODULE = 410, // "%s: waiting for a module..."
    TXT_RULE_EXHAUSTED = 411, // "No free value left for %s in the recipe."
    TXT_RECORDS_PROBLEM = 412, // "Records file %s: %s"
    TXT_NODE_SILENT = 413, // "The node %s did not answer."
    TXT_INTERRUPTED = 414, // "Interrupted."
    TXT_PASSED = 415, // "passed"
    TXT_FAILED = 416, // "failed"
    TXT_DIFFERENCES = 417, // "%d difference(s)."
    TXT_IMAGE_UNREADABLE = 418, // "Firmware image %s cannot be read: %s"
    TXT_SEARCH_FOUND = 419, // "%d node(s) found."
    TXT_NOT_RESTORED = 440, // "The parameters that differ from the backup were not restored. To restore them: ..."
    TXT_RESTORE_UNVERIFIED = 441, // "The restore of the backup did not verify. Write it again: calyra-cli write %s --port %s"
};
