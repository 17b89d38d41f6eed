#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The numbered string table. Text returns a copy, so a later table change never invalidates it. English is built in; the program replaces entries from the
// language bundle it loads at start-up. Missing entries fall back to English.
std::string Text(int id);
// Replaces the active table (entries not given keep the built-in English text). An entry whose
// conversions ("%s", "%d", ... in order) differ from those of its built-in English text keeps the
// English text instead, so no translation can make a substitution read arguments that are not
// there. Returns the IDs of the entries refused so.
std::vector<int> SetTextTable(const std::map<int, std::string>& table);
// A text with each "%s" or "%d" replaced by the next argument in order (missing arguments give
// nothing) and "%%" by "%"; every other character, a lone "%" too, is kept as it is.
std::string FillText(std::string_view text, std::initializer_list<std::string_view> args);
// The text of id with each "%s" or "%d" replaced by the next argument (numbers are passed as
// text) and "%%" by "%". Texts are never used as printf formats.
std::string FormatText(int id, std::initializer_list<std::string_view> args);
// The text of id filled by printf, for arguments that need its conversions (a precision, a width):
// sound because SetTextTable lets no entry in whose conversions differ from the built-in English
// text's, and the English texts are written for their callers' arguments. Prefer FormatText.
std::string TextPrintf(int id, ...);
// The conversions of a printf-style text in order, "%%" left out ("%s is %d" gives "%s", "%d").
std::vector<std::string> TextConversions(std::string_view text);
// line could have been made from the text of id: its fixed parts stand in line in order, the
// first at the start and the last at the end (each conversion stands for any run of characters).
bool PrintedFromText(std::string_view line, int id);
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
    TXT_IMAGE_TOO_LARGE = 322,         // "The image %s has %d bytes, more than the %d ..."
    TXT_VALUES_OF_LOCAL = 323,         // "Values shown: local module on %1, MAC %2"
    TXT_VALUES_OF_NODE = 324,          // "Values shown: node %1, MAC %2"
    TXT_VALUES_OF_NONE = 325,          // "Values shown: none loaded"
    TXT_VALUES_OF_FILE = 326,          // "Values shown: parameter set file %1"
    TXT_SAVE_NODE_VALUES = 327,        // "The pages hold the values of node %1 ... ?"
    TXT_SAVE_NOT_WRITTEN = 328,        // "Save Params cancelled: nothing was written ..."
    TXT_CLICK_NOT_RUN = 329,           // "The value was corrected to %1; \"%2\" was not run ..."
    TXT_SAVE_LOCAL_TO_NODE = 330,      // "The pages hold the values of the local module on %1 ... node %3?"
    TXT_SAVE_NODE_TO_NODE = 331,       // "The pages hold the values of node %1 ... node %3?"
    TXT_NODE_SAVE_NOT_WRITTEN = 332,   // "Save params cancelled: nothing was written to node %1."

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
    // Pending changes and the comparison with a parameter set file.
    TXT_PENDING_COUNT = 450, // "Changes: %d"
    TXT_PENDING_TIP = 451, // "Values Save Params writes: they differ from the module's last read values"
    TXT_SHOW_CHANGES = 452, // "Show Changes..."
    TXT_LIST_BEFORE_WRITING = 453, // "Show the List Before Writing"
    TXT_COMPARE_FILE = 454, // "Compare with a File..."
    TXT_CLEAR_COMPARISON = 455, // "Clear the Comparison"
    TXT_PENDING_TITLE = 456, // "Pending Changes"
    TXT_COLUMN_PARAMETER = 457, // "Parameter"
    TXT_COLUMN_MODULE = 458, // "Module Value"
    TXT_COLUMN_NEW = 459, // "New Value"
    TXT_WRITE = 460, // "Write"
    TXT_CANCEL = 461, // "Cancel"
    TXT_CLOSE = 462, // "Close"
    TXT_NOT_READ = 463, // "(not read)"
    TXT_MODULE_VALUE_TIP = 464, // "Module value: %s"
    TXT_FILE_VALUE_TIP = 465, // "File value: %s"
    TXT_COMPARED = 466, // "Compared with %s: %d differences."
    TXT_COMPARE_EMPTY = 467, // "%s holds no parameter to compare."
    TXT_NOTHING_PENDING = 468, // "No pending changes: the pages hold the module's values."
    TXT_NOT_READ_TIP = 469, // "Not read from the module: Save Params writes it"
    TXT_VALUE_LINE_BREAK = 470,        // "%s: a value with a line break or a NUL character is not used!"
    TXT_COMMAND_LINE_BREAK = 471,      // "A text command may not hold a line break or a NUL character ..."
    TXT_IMPORT_FAILED = 472,           // "Import Failed! %s"
    TXT_NOT_REGULAR_FILE = 473,        // "%s is not a regular file."
    TXT_FILE_TOO_LARGE = 474,          // "%s is larger than %d bytes."
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
