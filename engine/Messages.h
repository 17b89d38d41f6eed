#pragma once

// Message numbers of the system (WM_USER is 1024). They name the hand-overs between the
// serial event thread, the command worker and the window thread.
enum EMessage : int {
    WM_USER_BASE = 1024,
    WM_COMM_RXCHAR = 1125,
    WM_COMM_CTS = 1126,
    WM_COMM_DSR = 1127,
    WM_COMM_RING = 1128,
    WM_COMM_RLSD = 1130,
    WM_COMM_BREAK = 1131,
    WM_COMM_TXEMPTY = 1132,
    WM_COMM_ERROR = 1133,
    WM_COMM_GONE = 1134,  // the device vanished (hang-up); the port must be reopened
    WM_PROGRESS_STEP = 1225,
    WM_JOB_ABORT = 1226,
    WM_CMD_RESULT = 1325,
    WM_CMD_START = 1326,
    WM_NODE_ACTION = 1425,
    WM_PAGE_ACTION = 1525,
    WM_UPGRADE_REQUEST = 1625,
    WM_UPGRADE_STEP = 1725,
    WM_ENTER_FAILED = 1825,
    WM_QUIT_WORKER = 18,  // the worker's quit message
};

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

// Purge flags of the serial port.
enum EPurge : unsigned {
    PURGE_TXABORT = 0x01,
    PURGE_RXABORT = 0x02,
    PURGE_TXCLEAR = 0x04,
    PURGE_RXCLEAR = 0x08,
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
