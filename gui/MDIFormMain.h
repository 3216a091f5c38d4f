#pragma once

#include "views/MenuModel.h"

#include <QMainWindow>
#include <map>

class Program;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

// The program's main window: a frame for the other windows, carrying the menu tree of the
// menu model and forwarding every command to the program's main menu.
class MDIFormMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit MDIFormMain(Program& program);

    // Hosts a window inside the frame; it is deleted when closed.
    QMdiSubWindow* addChildWindow(QWidget* child);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void syncMenus();
    void buildStatusBar();
    void syncStatus();
    QAction* actionFor(MenuId id) const;

    Program& m_program;
    QMdiArea* m_area;
    std::map<MenuId, QMenu*> m_menus;
    std::map<MenuId, QAction*> m_actions;
    QLabel* m_status[3] = {}; // where: master, remote; what: the pending rows
};
