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

    // Parameter set files read for scripts (390..395).
    TXT_UNKNOWN_PARAMETER = 390,   // "%s, line %d: unknown parameter \"%s\"."
    TXT_VALUE_OUT_OF_RANGE = 391,  // "%s, line %d: %s=%s is out of range (%s)."
    TXT_NOT_A_PARAMETER_SET = 392, // "%s is not a parameter set: ..."
    TXT_FILE_UNREADABLE = 393,     // "%s cannot be read: %s"
    TXT_PARAMETER_IGNORED = 394,   // "%s, line %d: %s is not written to a module; the line is ignored."
    TXT_PARAMETER_TWICE = 395,     // "%s, line %d: %s stands twice; the first value counts."
    TXT_DOCTOR_PERMISSION = 350,
    TXT_DOCTOR_JOIN_GROUP = 351,
    TXT_DOCTOR_LOG_IN_AGAIN = 352,
    TXT_DOCTOR_UDEV_RULE = 353,
    TXT_DOCTOR_BUSY = 354,
    TXT_DOCTOR_BUSY_FIX = 355,
    TXT_DOCTOR_BUSY_UNSEEN = 356,
    TXT_DOCTOR_HOLDER = 357,
    TXT_DOCTOR_MODEM_MANAGER = 358,
    TXT_DOCTOR_ENTRY_FAILED = 359,
    TXT_DOCTOR_ENTRY_BAUD = 360,
    TXT_DOCTOR_ENTRY_READER = 361,
    TXT_DOCTOR_NO_ACCESS = 362,
    TXT_PIN_BUTTON = 363,
    TXT_PIN_TOOLTIP = 364,
    TXT_PIN_PROMPT = 365,
    TXT_PIN_DONE = 366,
    TXT_PIN_FAILED = 367,
    TXT_PIN_NO_ID = 368,
    TXT_LOG_FILE = 369,
    TXT_LOG_FILE_FAILED = 370,
    TXT_SETTINGS_FILE = 371,
    TXT_SETTINGS_FALLBACK = 372,
    TXT_SETTINGS_NOT_SAVED = 373,
    TXT_LANGUAGE_NOT_SAVED = 374,
    TXT_LOW_LATENCY = 375,
    TXT_PIN_TAKEN = 376,
};
