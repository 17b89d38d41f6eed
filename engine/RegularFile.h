#pragma once

#include <cstddef>
#include <string>

// Reading files an operator names (settings, parameter sets, language bundles, firmware images)
// so that none can block or exhaust the program: only regular files are opened, without waiting
// (a FIFO, a device or a folder is refused at once), and a file past its format's bound is refused.

enum EFileOpen { FILE_OPENED, FILE_MISSING, FILE_REFUSED };

// Opens path read-only; fd is the open descriptor (FILE_OPENED) or -1. error gets the operator's
// reason for FILE_REFUSED (the path and what is wrong), and for FILE_MISSING too.
EFileOpen OpenRegularFile(const std::string& path, int& fd, std::string& error);

// The whole file into text when it holds at most maxBytes bytes (FILE_OPENED).
EFileOpen ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& text, std::string& error);
