#include "LanguageIndex.h"

#include <atomic>

namespace {
std::atomic<int> languageIndex{LANG_ENGLISH};
}

int ProcessLanguageIndex() {
    return languageIndex.load();
}
void SetProcessLanguageIndex(int index) {
    languageIndex.store(index);
}
