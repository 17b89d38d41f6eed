#pragma once
// Transitional: the pages, the console and the settings files are written alongside the window.
// Until a part's header exists, a minimal stand-in with the same interface keeps the window
// building. Removed once every part has landed.

#include "ParamPage.h"

#include <QWidget>

#include <string>

#if __has_include("BaseConfigDialog.h")
#include "BaseConfigDialog.h"
#define CALYRA_HAVE_NETWORK_PAGE 1
#else
class CBaseConfigDialog : public QWidget, public IParamPage {
  public:
    explicit CBaseConfigDialog(QWidget* parent = nullptr) : QWidget(parent) {}
    void SetParam(int, const std::string&) override {}
    void GetParamList(std::vector<SCmdItem>&) override {}
    void ClearParams() override {}
};
#endif

#if __has_include("AdvConfigDialog.h")
#include "AdvConfigDialog.h"
#else
class CAdvConfigDialog : public QWidget, public IParamPage {
  public:
    explicit CAdvConfigDialog(QWidget* parent = nullptr) : QWidget(parent) {}
    void SetParam(int, const std::string&) override {}
    void GetParamList(std::vector<SCmdItem>&) override {}
    void ClearParams() override {}
    void EnableSleepSettings(bool) {}
};
#endif

#if __has_include("IOConfigDialog.h")
#include "IOConfigDialog.h"
#else
class CIOConfigDialog : public QWidget, public IParamPage {
  public:
    explicit CIOConfigDialog(QWidget* parent = nullptr) : QWidget(parent) {}
    void SetParam(int, const std::string&) override {}
    void GetParamList(std::vector<SCmdItem>&) override {}
    void ClearParams() override {}
    void SetPinCaptions(bool, int) {}
};
#endif

#if __has_include("EncryptConfigDialog.h")
#include "EncryptConfigDialog.h"
#else
class CEncryptConfigDialog : public QWidget, public IParamPage {
  public:
    explicit CEncryptConfigDialog(QWidget* parent = nullptr) : QWidget(parent) {}
    void SetParam(int, const std::string&) override {}
    void GetParamList(std::vector<SCmdItem>&) override {}
    void ClearParams() override {}
    void HideLinkKey(bool) {}
};
#endif

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
