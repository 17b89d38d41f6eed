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
