#pragma once

#include <map>
#include <string>
#include <utility>

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
// Whether text is well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsUtf8(const std::string& text);
