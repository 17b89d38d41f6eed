#pragma once
// The main window under test: a fresh working directory (ParamCfg.ini lands there) and a fresh
// ports folder (CALYRA_PORTS_DIR) per fixture, fast engine timings, and helpers that wait for
// conditions and answer prompts without long sleeps. Header only: it needs calyra_app, which
// only the window's own tests link.

#include "CalyraDlg.h"
#include "CommSettings.h"
#include "Engine.h"
#include "LogPane.h"
#include "MessageBoxCustom.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CWindowFixture {
  public:
    CWindowFixture() {
        previousDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        qputenv("CALYRA_PORTS_DIR", portsDir.path().toUtf8());
        qputenv("XDG_STATE_HOME", (workDir.path() + "/state").toUtf8()); // backups before a download
    }
    ~CWindowFixture() {
        CloseWindow();
        QDir::setCurrent(previousDir);
    }
    CWindowFixture(const CWindowFixture&) = delete;
    CWindowFixture& operator=(const CWindowFixture&) = delete;

    // Builds and shows the window (after the test prepared the folders).
    CCalyraDlg& Start(STimings timings = STimings::Fast()) {
        window = std::make_unique<CCalyraDlg>(timings);
        window->show();
        return *window;
    }
    CCalyraDlg& Window() { return *window; }
    void CloseWindow() { window.reset(); }
    QString PortsDir() const { return portsDir.path(); }
    QString WorkDir() const { return workDir.path(); }
    QString LogText() const { return window->Log()->Text(); }
    // The value text the pages deliver for code (as a save or an export takes it), "" when none.
    std::string PageValue(int code) const {
        std::vector<SCmdItem> list;
        window->CollectParamList(list);
        for (const SCmdItem& r : list)
            if (r.type == code) return r.Text();
        return {};
    }

    // Makes COM<n> an alias of target in the ports folder.
    bool AddAlias(int number, const QString& target) {
        return QFile::link(target, portsDir.path() + QString("/COM%1").arg(number));
    }
    bool RemoveAlias(int number) { return QFile::remove(portsDir.path() + QString("/COM%1").arg(number)); }

    // Waits (at most ms) until the COM list shows name, then selects it.
    bool SelectPort(const QString& name, int ms = 2000) {
        QComboBox* list = window->Comm()->PortList();
        if (!QTest::qWaitFor([&] { return list->findText(name) >= 0; }, ms)) return false;
        list->setCurrentIndex(list->findText(name));
        return true;
    }
    // Selects name and presses Open COM; true when the port is open.
    bool OpenPort(const QString& name) {
        if (!SelectPort(name)) return false;
        QTest::mouseClick(window->Comm()->OpenButton(), Qt::LeftButton);
        return window->Engine().IsOpen();
    }

  private:
    QTemporaryDir workDir;
    QTemporaryDir portsDir;
    QString previousDir;
    std::unique_ptr<CCalyraDlg> window;
};

// Answers the next prompt (CMessageBoxCustom) that opens, by its Yes (result 6) or its other
// button, and records its text. Stays armed until a prompt appears or the object is destroyed.
class CPromptAnswerer : public QObject {
  public:
    // before runs while the prompt is up, just before the answer.
    explicit CPromptAnswerer(int result, std::function<void()> before = {})
        : answer(result), beforeAnswer(std::move(before)) {
        connect(&poll, &QTimer::timeout, this, &CPromptAnswerer::Check);
        poll.start(5);
    }
    bool Answered() const { return answered; }
    QString Text() const { return text; }

  private:
    void Check() {
        auto* box = qobject_cast<CMessageBoxCustom*>(QApplication::activeModalWidget());
        if (!box || answered) return;
        answered = true;
        poll.stop();
        text = box->MessageText();
        if (beforeAnswer) beforeAnswer();
        QPushButton* button =
            answer == MB_RESULT_YES && box->YesButton()->isVisible() ? box->YesButton() : box->NoButton();
        // Clicked from the event loop of the prompt, after this check returns.
        QTimer::singleShot(0, button, [button] { button->click(); });
    }

    int answer;
    std::function<void()> beforeAnswer;
    bool answered = false;
    QString text;
    QTimer poll;
};
