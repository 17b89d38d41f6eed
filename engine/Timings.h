#pragma once

// Every wait of the engine in one place. Tests shorten them through the value given to CEngine.
struct STimings {
    int escapeMs = 500;      // one "+++" attempt
    int replyMs = 6000;      // reply to a command or to "AT+API"
    int workerIdleMs = 100;  // worker's look at its message queue
    int readMs = 50;         // serial read on a receive notification
    int portRefreshMs = 20;  // port list refresh of the main window
    int handshakeMs = 500;   // boot loader handshake period
    // A quiet line: nothing received for this long. Waited for before the escape when an answer
    // may still be due (after the port opened, an abort, an unanswered "+++"), and after the
    // escape before a command that a bare "OK" answers.
    int escapeGuardMs = 100;
    // Waited for, as a quiet line, after an AT command got no answer in time: its late answer
    // arrives then and is dropped instead of answering the next command.
    int lateGuardMs = 1000;

    int appStartMs = 1000;   // the new firmware's start after the enable reply

    static STimings Fast() { return STimings{150, 600, 10, 50, 20, 50, 25, 400, 50}; }
};
