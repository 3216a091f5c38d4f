#pragma once

#include "base/Ui.h"

#include <QSet>
#include <QStringList>
#include <cstdio>

// The user seam without windows (unattended runs): each message box becomes one line on
// standard error, "<title>: <text>" with every line break written as " / ", and is answered
// with its default button, or with the next of the scripted answers ("yes", "no", "ok",
// "cancel") when it offers that button.
class ConsoleUi : public Ui
{
public:
    explicit ConsoleUi(const QString& answers = QString(), std::FILE* out = stderr);

    // True when the program should run without windows: VARROW_HEADLESS=1, or no display.
    static bool headlessRequested();
    // The text of a message box as one console line.
    static QString formatLine(const Message& message);

    Answer message(const Message& message) override;
    void setBusy(bool busy) override { m_busy = busy; }
    bool isBusy() const override { return m_busy; }
    void yield() override;
    void showWindow(Window window) override { m_open.insert(window); }
    void closeWindow(Window window) override { m_open.remove(window); }
    bool isWindowOpen(Window window) const override { return m_open.contains(window); }
    void beep() override {}
    bool hasWindows() const override { return false; }

private:
    void writeLine(const QString& line);

    QStringList m_answers;
    std::FILE* m_out;
    bool m_busy = false;
    QSet<Window> m_open;
};
