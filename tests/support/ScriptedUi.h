#pragma once

#include "base/Ui.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <functional>

// The user seam for tests: remembers every message box, answers from a script (else with
// the default button), and keeps track of the windows the program asked for.
class ScriptedUi : public Ui
{
public:
    QList<Message> messages;
    QList<Answer> script; // consumed in order
    QList<Window> shown;  // every show request, in order
    QSet<Window> open;
    int yields = 0;
    std::function<void()> onYield; // lets a test act "during" long work

    Answer message(const Message& message) override;
    void setBusy(bool busy) override { m_busy = busy; }
    bool isBusy() const override { return m_busy; }
    void yield() override;
    void showWindow(Window window) override;
    void closeWindow(Window window) override { open.remove(window); }
    bool isWindowOpen(Window window) const override { return open.contains(window); }
    void beep() override { ++beeps; }

    int beeps = 0;
    // The texts of the messages shown so far.
    QStringList texts() const;

private:
    bool m_busy = false;
};
