#pragma once

#include <cstdint>
#include <mutex>
#include <string>

// The complete log on disk: every entry of the log pane and every developer trace, appended to
// one file. When an append would take the file past its size bound, the file is rotated first:
// calyra.log -> calyra.log.1 -> ... -> calyra.log.<keep>, the oldest dropped. Safe from any thread.
class CLogFile {
  public:
    static constexpr std::uintmax_t kDefaultMaxBytes = 1u << 20;
    static constexpr int kDefaultKeep = 3;

    explicit CLogFile(std::string path, std::uintmax_t maxBytes = kDefaultMaxBytes, int keep = kDefaultKeep);
    ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Creates the folder and opens the file for appending; false with LastError() when it cannot.
    bool Open();
    // Appends text as it is. False (LastError() says why) when it could not be written; the
    // next append tries again.
    bool Append(const std::string& text);
    const std::string& Path() const { return path; }
    std::string LastError() const;

  private:
    bool OpenLocked();
    void RotateLocked();

    const std::string path;
    const std::uintmax_t maxBytes;
    const int keep;
    mutable std::mutex lock; // guards fd, size and error
    int fd = -1;
    std::uintmax_t size = 0;
    std::string error;
};

// $XDG_STATE_HOME/calyra/calyra.log, with ~/.local/state as the default of $XDG_STATE_HOME.
std::string DefaultLogPath();

// The process's log file, which DebugTrace also writes to; nullptr when there is none. The
// owner (the main window) sets it and clears it before the file goes.
void SetProcessLog(CLogFile* log);
CLogFile* ProcessLog();
// Appends to the process's log file when there is one.
void AppendToProcessLog(const std::string& text);
