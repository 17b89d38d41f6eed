#pragma once

// The language of this process (0 Chinese, 1 English, anything else: no bundle, empty prompt
// buttons). Set once at start-up from the settings file; a change takes effect through a restart.
enum { LANG_CHINESE = 0, LANG_ENGLISH = 1 };
int ProcessLanguageIndex();
void SetProcessLanguageIndex(int index);
