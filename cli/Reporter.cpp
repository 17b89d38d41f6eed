#include "Reporter.h"

#include "TextUtil.h"

#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
// Columns of the terminal on stderr; 80 when it does not say.
size_t TerminalColumns() {
    winsize w {};
    return ioctl(STDERR_FILENO, TIOCGWINSZ, &w) == 0 && w.ws_col > 0 ? w.ws_col : 80;
}
} // namespace

CReporter::CReporter(bool quiet, bool verbose) : quiet(quiet), verbose(verbose), tty(isatty(STDERR_FILENO) == 1) {}

CReporter::~CReporter() {
    EndProgress();
    if (logFile) std::fclose(logFile);
}

bool CReporter::OpenLog(const std::string& path, std::string& error) {
    std::lock_guard g(lock);
    logFile = std::fopen(path.c_str(), "ae");
    if (!logFile) error = std::strerror(errno);
    return logFile != nullptr;
}

void CReporter::ClearBar() {
    if (!barShown) return;
    std::fputs("\r\033[K", stderr);
    barShown = false;
}

void CReporter::Error(const std::string& text) {
    std::lock_guard g(lock);
    ClearBar();
    std::fprintf(stderr, "calyra-cli: %s\n", text.c_str());
    if (logFile) std::fprintf(logFile, "%s %s\n", FormatTimeStamp().c_str(), text.c_str());
}

void CReporter::Note(const std::string& text) {
    std::lock_guard g(lock);
    if (logFile) std::fprintf(logFile, "%s %s\n", FormatTimeStamp().c_str(), text.c_str());
    if (quiet) return;
    ClearBar();
    std::fprintf(stderr, "%s\n", text.c_str());
}

void CReporter::Log(const std::string& port, const std::string& text, bool notice) {
    std::lock_guard g(lock);
    // Engine lines may hold their own line breaks; one record per line keeps the log greppable.
    std::string flat = text;
    for (char& c : flat)
        if (c == '\r' || c == '\n') c = ' ';
    if (logFile) {
        std::fprintf(logFile, "%s %s %s\n", FormatTimeStamp().c_str(), port.c_str(), flat.c_str());
        std::fflush(logFile);
    }
    if (quiet) return;
    if (verbose) {
        ClearBar();
        std::fprintf(stderr, "%s %s\n", port.c_str(), flat.c_str());
    } else if (notice) {
        ClearBar();
        std::fprintf(stderr, "%s\n", text.c_str());
    }
}

void CReporter::Progress(const std::string& label, int position, int max, const std::string& detail) {
    std::lock_guard g(lock);
    if (quiet || max <= 0) return;
    if (position > max) position = max;
    const std::string tail = detail.empty() ? std::string() : " " + detail;
    if (tty) {
        constexpr int kWidth = 30;
        const int filled = position * kWidth / max;
        std::string bar = label + " [" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "] " +
                          std::to_string(position) + "/" + std::to_string(max) + tail;
        // A line longer than the terminal would wrap, and the next "\r" would then leave the
        // wrapped part standing. Cut in bytes, never inside a UTF-8 character (a translated
        // label is cut early at worst).
        if (size_t cut = TerminalColumns() - 1; bar.size() > cut) {
            while (cut > 0 && (static_cast<unsigned char>(bar[cut]) & 0xC0) == 0x80)
                --cut;
            bar.resize(cut);
        }
        std::fprintf(stderr, "\r\033[K%s", bar.c_str());
        std::fflush(stderr);
        barShown = true;
        return;
    }
    // Not a terminal: a line per tenth, so a log of a pipe stays short.
    const int tenth = position * 10 / max;
    const std::string line = label + " " + std::to_string(tenth * 10) + "%";
    if (line == lastLine) return;
    lastLine = line;
    std::fprintf(stderr, "%s%s\n", line.c_str(), tail.c_str());
}

void CReporter::EndProgress() {
    std::lock_guard g(lock);
    if (barShown) std::fputc('\n', stderr);
    barShown = false;
    lastLine.clear();
}
