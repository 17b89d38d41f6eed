#pragma once

#include "MessageNumbers.h"

// Codes of the engine: link modes, parser results, node actions, prompt styles.
enum ELinkMode : int {
    LM_ENTERING = 0,
    LM_IDLE = 1,
    LM_AT = 2,
    LM_API = 3,
    LM_UPGRADE_ENTER = 4,
    LM_UPGRADE = 5,
};

enum EReplyCode : int {
    REPLY_ERROR = 0,
    REPLY_DONE = 1,
    REPLY_RECORD = 2,
    REPLY_INCOMPLETE = 3,
};

// Node actions of the remote device page.
enum ENodeAction : int {
    NA_SEARCH = 0,
    NA_READ = 1,
    NA_WRITE = 2,
    NA_RESTART = 3,
    NA_FACTORY = 4,
    NA_IMPORT = 5,
    NA_EXPORT = 6,
};

// Prompt results and styles.
enum { MB_STYLE_OK = 0, MB_STYLE_YESNO = 4, MB_RESULT_YES = 6, MB_RESULT_NO = 7 };
