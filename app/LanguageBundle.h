#pragma once

#include "LanguageBundleParser.h"

#include <QString>

#include <string>

class CAppSettings;

// A bundle file is a few dozen kilobytes; anything past this is not one.
constexpr std::size_t kMaxBundleBytes = 1 << 20;
// Reads and parses a bundle file (only a regular file of at most kMaxBundleBytes).
bool ReadLanguageBundle(const QString& path, SLanguageBundle& out, std::string* error = nullptr);

// "Chinese.ini" for 0, "English.ini" for 1, empty for any other index.
QString LanguageBundleFileName(int languageIndex);
// The bundle folder: share/calyra/lang under the installed prefix, else lang/ beside the program.
QString LanguageBundleDir();

// Installs the bundle of languageIndex from dir as the active texts and captions. Without a
// bundle for the index, or with a missing or broken file, the built-in English texts are active;
// nothing is shown to the operator. An entry whose conversions differ from the English text's
// keeps the English text, with a trace. True when a bundle was installed.
bool InstallLanguage(int languageIndex, const QString& dir = LanguageBundleDir());

// Start-up: reads "LANGUAGE" from the settings, makes it the process-wide language index and
// installs its bundle. Returns the index.
int StartLanguage(const CAppSettings& settings, const QString& dir = LanguageBundleDir());
