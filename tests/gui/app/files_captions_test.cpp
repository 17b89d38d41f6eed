// The Chinese bundle covers every caption the program shows: the main window with all its pages,
// menus and dialogs is built under the Chinese bundle, and no visible text may still hold an
// English word. Words that the bundle itself uses (abbreviations such as AT, PAN ID, MAC) are
// allowed, so a caption added to the program without a Chinese entry fails here.

#include "FilesFixture.h"
#include "LanguageBundle.h"
#include "LanguageIndex.h"
#include "Texts.h"
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTabWidget>

namespace {

const QRegularExpression kWord("[A-Za-z]{2,}");

// The English words of the bundle's own texts: the ones a Chinese text may contain.
QSet<QString> BundleWords(const SLanguageBundle& bundle) {
    QSet<QString> words{"COM"}; // port names
    const auto add = [&](const std::string& text) {
        for (const auto& m : kWord.globalMatch(QString::fromStdString(text)))
            words.insert(m.captured());
    };
    for (const auto& [id, text] : bundle.texts)
        add(text);
    for (const auto& [id, text] : bundle.captions)
        add(text);
    return words;
}

// Every text a widget shows as a caption, a list item, a tab, a column or a menu item.
QStringList ShownTexts(QWidget* w) {
    QStringList texts;
    if (w->isWindow()) texts << w->windowTitle();
    if (auto* label = qobject_cast<QLabel*>(w)) texts << label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) texts << button->text();
    if (auto* group = qobject_cast<QGroupBox*>(w)) texts << group->title();
    if (auto* tabs = qobject_cast<QTabWidget*>(w))
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i);
    if (auto* list = qobject_cast<QComboBox*>(w))
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
    if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model())
        for (int c = 0; c < view->model()->columnCount(); ++c)
            texts << view->model()->headerData(c, Qt::Horizontal).toString();
    if (auto* menu = qobject_cast<QMenu*>(w))
        for (QAction* action : menu->actions())
            texts << action->text();
    return texts;
}

} // namespace

class CCaptionsTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        SetTextTable({});
        SetCaptionTable({});
        SetProcessLanguageIndex(LANG_ENGLISH);
    }
    void chineseWindowShowsNoEnglishWord();
};

void CCaptionsTest::chineseWindowShowsNoEnglishWord() {
    SLanguageBundle chinese;
    std::string error;
    QVERIFY2(ReadLanguageBundle(LanguageBundleDir() + "/Chinese.ini", chinese, &error), error.c_str());
    const QSet<QString> allowed = BundleWords(chinese);

    CWindowFixture fixture;
    WriteFileBytes(fixture.WorkDir() + "/ParamCfg.ini", "[CONFIG]\nLANGUAGE=0\n");
    SetProcessLanguageIndex(LANG_CHINESE);
    QVERIFY(InstallLanguage(LANG_CHINESE));
    CCalyraDlg& window = fixture.Start();

    QStringList english;
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets << &window;
    // The line settings' parity names are fixed texts of the window in every language.
    widgets.removeAll(window.Comm()->ParityList());
    // The note under the log names files: paths are data, not captions.
    widgets.removeAll(window.Log()->NoteLabel());
    for (QWidget* w : widgets) {
        for (const QString& text : ShownTexts(w)) {
            for (const auto& m : kWord.globalMatch(text)) {
                if (allowed.contains(m.captured())) continue;
                english << QString("%1 %2: \"%3\"").arg(w->metaObject()->className(), w->objectName(), text);
                break;
            }
        }
    }
    english.removeDuplicates();
    QVERIFY2(english.isEmpty(), qPrintable("\n" + english.join('\n')));
}

QTEST_MAIN(CCaptionsTest)
#include "files_captions_test.moc"
