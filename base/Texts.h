#pragma once

#include <map>
#include <string>

// The numbered string table. Text returns a copy, so a later table change never invalidates it. English is built in; the program replaces entries from the
// language bundle it loads at start-up. Missing entries fall back to English.
std::string Text(int id);
// Replaces the active table (entries not given keep the built-in English text).
void SetTextTable(const std::map<int, std::string>& table);
// The built-in English table.
const std::map<int, std::string>& BuiltinEnglishTexts();

// Captions of window templates, controls and menu items from the language bundle, addressed by
// template ID (102 main window, 129..136 pages and progress dialog, 139 remote page menu, 173 prompt)
// and control or menu item ID (0: the template's own caption). The English text is the fallback.
std::string Caption(int templateId, int controlId, const std::string& english);
void SetCaptionTable(const std::map<std::pair<int, int>, std::string>& table);

// String IDs added on this platform (operator-facing reasons and guards).
enum ETextId : int {
    TXT_OPEN_FAILED_NO_DEVICE = 278,   // "No such device: %s"
    TXT_OPEN_FAILED_PERMISSION = 279,  // "Permission denied on %s: join the group \"%s\" ..."
    TXT_OPEN_FAILED_BUSY = 280,        // "%s is busy: another program holds it."
    TXT_OPEN_FAILED_OTHER = 281,       // "%s: %s"
    TXT_EXPORT_FAILED = 282,           // "Export Failed! The file could not be written: %s"
    TXT_COMMAND_TOO_LONG = 283,        // "Command too long, not sent (at most %d characters)!"
    TXT_HEX_INVALID = 284,             // "Hex command may hold only 0-9, A-F, a-f and blanks!"
    TXT_RECORD_TOO_LONG = 285,         // "Command too long for a record, not queued: %s"
    TXT_PORT_VANISHED = 286,           // "The port %s has vanished."
    TXT_OPENED_DEVICE = 287,           // "%s is %s"
    TXT_LATE_REPLY = 300,              // "Ignored a late or unexpected reply: %s"
    TXT_UPGRADE_BUSY = 320,            // "An upgrade is in progress: the new request was refused."
    TXT_IMAGE_EMPTY = 321,             // "The image %s is empty: nothing was sent."
    TXT_IMAGE_TOO_LARGE = 322,         // "The image %s has %lld bytes, more than the %lld ..."
    TXT_VALUES_OF_LOCAL = 323,         // "Values shown: local module on %1, MAC %2"
    TXT_VALUES_OF_NODE = 324,          // "Values shown: node %1, MAC %2"
    TXT_VALUES_OF_NONE = 325,          // "Values shown: none loaded"
    TXT_VALUES_OF_FILE = 326,          // "Values shown: parameter set file %1"
    TXT_SAVE_NODE_VALUES = 327,        // "The pages hold the values of node %1 ... ?"
    TXT_SAVE_NOT_WRITTEN = 328,        // "Save Params cancelled: nothing was written ..."
    TXT_CLICK_NOT_RUN = 329,           // "The value was corrected to %1; \"%2\" was not run ..."
    // The firmware download as a transaction: backup, check after, restore, recovery, telemetry.
    TXT_BACKUP_READING = 420,         // "Reading the module's parameters for a backup before the down..."
    TXT_BACKUP_WRITTEN = 421,         // "Parameters backed up to %s"
    TXT_BACKUP_FAILED = 422,          // "The backup could not be written (%s): the download was not s..."
    TXT_BACKUP_INCOMPLETE = 423,      // "Not every parameter could be read for the backup: the downlo..."
    TXT_WAITING_FOR_APP = 424,        // "Waiting for the module to start its new firmware ...."
    TXT_APP_BACK = 425,               // "The module runs its new firmware: %s"
    TXT_APP_NOT_BACK = 426,           // "The module did not come back in its application: it stays in..."
    TXT_PARAMS_EQUAL = 427,           // "All %d parameters equal the backup."
    TXT_PARAMS_DIFFER = 428,          // "%d parameters differ from the backup:"
    TXT_PARAM_DIFFERENCE = 429,       // "    %s: %s before, %s now"
    TXT_RESTORE_PROMPT = 430,         // "%d parameters differ from the backup taken before the downlo..."
    TXT_RESTORING = 431,              // "Restoring the parameters of the backup ...."
    TXT_RESTORE_VERIFIED = 432,       // "Restore verified: every parameter equals the backup."
    TXT_RESTORE_INCOMPLETE = 433,     // "Restore incomplete: %d parameters still differ from the back..."
    TXT_RECOVER_PROMPT = 434,         // "The module is still in its boot loader after an interrupted ..."
    TXT_RECOVER_UNREACHED_PROMPT = 435, // "The module does not answer in its application: it may be in ..."
    TXT_RECOVER_STARTED = 436,        // "Downloading again without the restart step: the boot loader ..."
    TXT_LEFT_IN_BOOT = 437,           // "The download did not finish: the module stays in its boot lo..."
    TXT_TRANSFER_PROGRESS = 438,      // "%ld of %ld bytes, %.0f bytes/s, %.1f %% of the line-rate lim..."
    TXT_TRANSFER_TOTALS = 439,        // "Transfer totals: %ld bytes in %.1f s, %.0f bytes/s, %.1f %% ..."
};
