#pragma once

#include <QString>

#include <map>
#include <string>
#include <utility>

class CAppSettings;

// A language bundle: a UTF-8 text file beside the program, lang/English.ini or lang/Chinese.ini.
//
//   ; comment
//   [Strings]
//   138=Open Com Failed!
//   227="*Read "            quotes keep blanks at either end
//   222=Line one\r\nline two  escapes: \r \n \t \\ \"
//   [Captions]
//   102.1008=Load Params     template ID . control ID (0: the template's own caption)
//
// Keys are decimal; a value is the text after "=", blanks around it removed unless quoted.
// Sections other than these two are ignored. A bundle is used whole or not at all: a line that
// does not parse, a key given twice, text that is not UTF-8 or a file without [Strings] makes it
// broken. Entries a bundle does not give keep the built-in English text.
struct SLanguageBundle {
    std::map<int, std::string> texts;
    std::map<std::pair<int, int>, std::string> captions;
};

// Parses bundle text; false (with the reason in error) when it is broken.
bool ParseLanguageBundle(const std::string& text, SLanguageBundle& out, std::string* error = nullptr);
bool ReadLanguageBundle(const QString& path, SLanguageBundle& out, std::string* error = nullptr);

// "Chinese.ini" for 0, "English.ini" for 1, empty for any other index.
QString LanguageBundleFileName(int languageIndex);
// The bundle folder: share/calyra/lang under the installed prefix, else lang/ beside the program.
QString LanguageBundleDir();

// Installs the bundle of languageIndex from dir as the active texts and captions. Without a
// bundle for the index, or with a missing or broken file, the built-in English texts are active;
// nothing is shown to the operator. True when a bundle was installed.
bool InstallLanguage(int languageIndex, const QString& dir = LanguageBundleDir());

// Start-up: reads "LANGUAGE" from the settings, makes it the process-wide language index and
// installs its bundle. Returns the index.
int StartLanguage(const CAppSettings& settings, const QString& dir = LanguageBundleDir());
