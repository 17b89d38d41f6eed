// Parses arbitrary bytes as a language bundle, installs what parses and uses every text the way
// the program does: after installation each text must have the conversions of its English text,
// whatever the bundle said, and filling it with arguments must stay within its arguments.
#include "LanguageBundleParser.h"
#include "Texts.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    SLanguageBundle bundle;
    std::string error;
    if (!ParseLanguageBundle(text, bundle, &error)) {
        if (error.empty()) std::abort(); // a broken bundle always says why
        return 0;
    }
    if (!IsUtf8(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text)) std::abort();
    SetTextTable(bundle.texts);
    for (const auto& [id, english] : BuiltinEnglishTexts()) {
        const std::string active = Text(id);
        if (TextConversions(active) != TextConversions(english)) std::abort();
        const std::string filled = FormatText(id, {"<a>", "<b>", "<c>"});
        if (filled.size() > active.size() + 3 * TextConversions(active).size()) std::abort();
    }
    SetCaptionTable(bundle.captions);
    (void)Caption(102, 0, "Calyra");
    return 0;
}
