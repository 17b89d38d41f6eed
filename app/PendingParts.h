#pragma once
// Transitional: the settings files are written alongside the window. Until their headers exist
// the window builds without them. Removed once they have landed.

#if __has_include("AppSettings.h")
#include "AppSettings.h"
#define CALYRA_HAVE_APP_SETTINGS 1
#endif
#if __has_include("LanguageBundle.h")
#include "LanguageBundle.h"
#define CALYRA_HAVE_LANGUAGE_BUNDLE 1
#endif
#if __has_include("ConfigFile.h")
#include "ConfigFile.h"
#define CALYRA_HAVE_CONFIG_FILE 1
#endif
#if __has_include("Restart.h")
#include "Restart.h"
#define CALYRA_HAVE_RESTART 1
#endif
