#include "LanguageBundle.h"

#include "AppSettings.h"
#include "LanguageIndex.h"
#include "ProgramFiles.h"
#include "RegularFile.h"
#include "Texts.h"

#include <QCoreApplication>
#include <QFile>
#include <QtDebug>

bool ReadLanguageBundle(const QString& path, SLanguageBundle& out, std::string* error) {
    std::string text;
    std::string reason;
    if (ReadRegularFile(QFile::encodeName(path).toStdString(), kMaxBundleBytes, text, reason) != FILE_OPENED) {
        if (error) *error = reason;
        return false;
    }
    return ParseLanguageBundle(text, out, error);
}

QString LanguageBundleFileName(int languageIndex) {
    if (languageIndex == LANG_CHINESE) return QStringLiteral("Chinese.ini");
    if (languageIndex == LANG_ENGLISH) return QStringLiteral("English.ini");
    return QString();
}

QString LanguageBundleDir() {
    return QString::fromStdString(
        FindProgramFile("share/calyra/lang", "lang", QCoreApplication::applicationDirPath().toStdString()));
}

bool InstallLanguage(int languageIndex, const QString& dir) {
    SLanguageBundle bundle;
    const QString name = LanguageBundleFileName(languageIndex);
    std::string error;
    const bool loaded = !name.isEmpty() && ReadLanguageBundle(dir + "/" + name, bundle, &error);
    // Without a bundle the built-in English texts and the controls' own captions are active.
    if (!loaded && !name.isEmpty())
        qDebug("Language bundle %s not used: %s", qPrintable(name), error.c_str());
    for (int id : SetTextTable(bundle.texts))
        qDebug("Language bundle %s: entry %d does not have the conversions of the English text, which is used",
               qPrintable(name), id);
    SetCaptionTable(bundle.captions);
    return loaded;
}

int StartLanguage(const CAppSettings& settings, const QString& dir) {
    const int index = settings.Language();
    SetProcessLanguageIndex(index);
    InstallLanguage(index, dir);
    return index;
}
