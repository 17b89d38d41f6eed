#pragma once

#include "CmdItem.h"
#include "CmdResult.h"

#include <functional>
#include <string>
#include <vector>

// Parameter set files: section "CONFIG" of an INI file, one key per parameter, named by its
// three-letter mnemonic, holding the value text as a page gives it for a write. The window
// shows the file dialogs and the messages; this is what happens between them.

enum EExportOutcome { EXPORT_EMPTY, EXPORT_CANCELLED, EXPORT_WRITTEN, EXPORT_FAILED };

struct SExportResult {
    EExportOutcome outcome = EXPORT_CANCELLED;
    std::string path;  // the file chosen
    std::string error; // why it could not be written (EXPORT_FAILED)

    // The operator's text of the outcome in the active language: text 266 for nothing to export
    // (a log line), 212 "Export Success!" (a notice), 282 with the reason for a failed write;
    // empty when cancelled.
    std::string Message() const;
};

// The export of the pages' value records (network, advanced, IO and encryption page, in that
// order). With no records nothing is asked or written (EXPORT_EMPTY). Otherwise choosePath asks
// for the file (the save dialog; an empty path cancels) and the keys are written in record order:
// a key already in the file is replaced where it stands, new keys go to the end of the section,
// everything else in the file stays. All keys are written at once or, on a failure, none.
SExportResult ExportConfig(const std::vector<SCmdItem>& values,
                           const std::function<std::string()>& choosePath);

// The keys of a parameter set file as decoded replies, in code order 6 to 39 (so the node type
// comes before the node address and the sleep mode before the sleep times). The link key (TLK)
// is never read; values are cut to 259 characters; empty values count as missing. A value holding
// a CR, LF or NUL is not taken (it could end a command and start another). A missing, unreadable
// or foreign file gives an empty list. messages, when given, gets the operator's lines: one
// (text 470) per value not taken and, for a file that cannot be read, text 472 with the reason.
std::vector<SCmdResult> ReadConfigFile(const std::string& path, std::vector<std::string>* messages = nullptr);

// The import once the file is chosen: reset (the pages are cleared), then every value of the
// file goes to apply, as if it had been read from a module. True when at least one key was
// found ("Import Success!" is then shown); false leaves the pages cleared. messages as above.
bool ImportConfig(const std::string& path, const std::function<void()>& reset,
                  const std::function<void(const SCmdResult&)>& apply, std::vector<std::string>* messages = nullptr);

// ---- For scripts: the same file, checked strictly and kept apart from any window ----

// The keys in the order the pages deliver them, which is the order of a new exported file:
// network page IPR .. NID, advanced page MOD .. CDA, IO page DM0, DT0 .. DM4, DT4, encryption
// page SEC, KEY, TLK.
const std::vector<int>& ExportKeyOrder();

// The text a new parameter set file holding values would have (what ExportConfig writes into a
// file that does not exist yet).
std::string ConfigFileText(const std::vector<SCmdItem>& values);

// One problem of a parameter set file, with the line it is on (0 for the file as a whole).
struct SParamSetProblem {
    int line = 0;
    std::string text; // the operator's message in the active language
    bool fatal = true; // false: a notice (a line that is ignored), the rest of the file counts
};

// A parameter set file read for a write to a module: the values in code order 6 to 40 (as import
// applies them) with the line of each, and every problem: a file that cannot be read or holds no
// [CONFIG] section with a known key (not a parameter set), an unknown key, a value the pages
// would not offer, a key that stands twice. Read-only keys (MID, NCD) and the link key (TLK, as
// import ignores it) are notices. Ok() is true when no problem is fatal.
struct SParamSet {
    std::vector<SCmdResult> values;
    std::vector<int> lines;
    std::vector<SParamSetProblem> problems;
    bool Ok() const;
};
SParamSet ReadParamSet(const std::string& path);
