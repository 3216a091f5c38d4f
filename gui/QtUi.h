#pragma once

#include "base/Ui.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>

// The user seam with real windows: Qt message boxes, the override cursor, and the
// program's windows made on demand by the factories the main window registers.
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
    QPointer<QWidget> m_main;
    bool m_busy = false;
    std::map<Window, WindowFactory> m_factories;
    std::map<Window, QPointer<QWidget>> m_open;
};
