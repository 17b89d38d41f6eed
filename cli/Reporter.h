#pragma once

#include <cstdio>
#include <mutex>
#include <string>

// Where people's output goes: messages and progress on standard error (a bar when it is a
// terminal, plain lines when it is not), and every engine log line into the --log file. Results
// go to standard output and never through here. Thread-safe: provision slots share one.
class CReporter {
  public:
    CReporter(bool quiet, bool verbose);
    ~CReporter();
    // Opens the log file (appended); false with the reason in error.
    bool OpenLog(const std::string& path, std::string& error);

    // A message for the operator (always shown, also with --quiet: errors must be seen).
    void Error(const std::string& text);
    // A notice (suppressed by --quiet).
    void Note(const std::string& text);
    // An engine log line of port: into the log file; on stderr with --verbose, or as a notice
    // when notice is set (suppressed by --quiet).
    void Log(const std::string& port, const std::string& text, bool notice = false);

    // Progress of one job (single-port commands): label and position of max, and the job's own
    // figures (detail) after them. A terminal's bar is cut to the terminal's width.
    void Progress(const std::string& label, int position, int max, const std::string& detail = {});
    void EndProgress();

  private:
    void ClearBar(); // lock held
    std::mutex lock; // guards everything below and the writes to stderr and the log
    bool quiet, verbose, tty;
    std::FILE* logFile = nullptr;
    bool barShown = false;
    std::string lastLine; // the last plain progress line, not repeated
};
