#pragma once

#include "base/Ui.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>

// The user seam with real windows: Qt message boxes, the override cursor, and the
// program's windows made on demand by the factories the main window registers.
//
// The pointer is busy while the program asks for it, and also while the program works through
// a long step: from a yield until the event loop next waits for the user. A message box waits
// for the user, so it always has the normal pointer.
class QtUi : public Ui
{
public:
    using WindowFactory = std::function<QWidget*()>;

    void setMainWindow(QWidget* window) { m_main = window; }
    // The window is created by the factory when first shown and deleted when closed.
    void registerWindow(Window window, WindowFactory factory);

    Answer message(const Message& message) override;
    void setBusy(bool busy) override;
    bool isBusy() const override { return m_busy; }
    void yield() override;
    void showWindow(Window window) override;
    void closeWindow(Window window) override;
    bool isWindowOpen(Window window) const override;
    void beep() override;

private:
    void showPointer();
    void working(bool busy);

    QPointer<QWidget> m_main;
    bool m_busy = false;
    bool m_working = false;      // between a yield and the event loop's next wait
    int m_boxes = 0;             // message boxes open
    bool m_pointerShown = false; // our override cursor is pushed
    bool m_watchingLoop = false;
    QObject m_lifetime; // ends the event loop's connection with this object
    std::map<Window, WindowFactory> m_factories;
    std::map<Window, QPointer<QWidget>> m_open;
};
