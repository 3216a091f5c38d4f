#include "gui/MDIFormMain.h"

#include "app/Program.h"
#include "base/ProgramExit.h"
#include "gui/VarrowIcons.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>

MDIFormMain::MDIFormMain(Program& program) : m_program(program), m_area(new QMdiArea(this))
{
    setObjectName(QStringLiteral("MDIFormMain"));
    setCentralWidget(m_area);
    m_area->viewport()->installEventFilter(this);
    setWindowIcon(VarrowIcons::icon(101));
    resize(960, 720);
    buildMenus();
    syncMenus();
    connect(&m_program.menus, &MenuModel::changed, this, &MDIFormMain::syncMenus);
}

QMdiSubWindow* MDIFormMain::addChildWindow(QWidget* child)
{
    QMdiSubWindow* window = m_area->addSubWindow(child);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(child->windowIcon());
    return window;
}

void MDIFormMain::buildMenus()
{
    const MenuModel& model = m_program.menus;
    for (const MenuModel::Item& item : model.items()) {
        if (item.parent)
            continue;
        const bool hasChildren =
            std::any_of(model.items().begin(), model.items().end(),
                        [&](const MenuModel::Item& child) { return child.parent == item.id; });
        const MenuId id = item.id;
        if (hasChildren) {
            QMenu* menu = menuBar()->addMenu(QString());
            menu->setObjectName(item.name);
            m_menus[id] = menu;
            m_actions[id] = menu->menuAction();
            if (id == MenuId::mnuTransfer)
                connect(menu, &QMenu::aboutToShow, this, [this] {
                    runGuarded([this] { m_program.mainMenu.onTransferMenuOpened(); });
                });
        } else {
            // A menu-bar item without a submenu is a command of its own.
            QAction* action = menuBar()->addAction(QString());
            action->setObjectName(item.name);
            m_actions[id] = action;
            connect(action, &QAction::triggered, this,
                    [this, id] { runGuarded([this, id] { m_program.mainMenu.onCommand(id); }); });
        }
    }
    for (const MenuModel::Item& item : model.items()) {
        if (!item.parent)
            continue;
        const MenuId id = item.id;
        QAction* action = m_menus.at(*item.parent)->addAction(QString());
        action->setObjectName(item.name);
        action->setShortcut(QKeySequence(item.shortcut));
        m_actions[id] = action;
        connect(action, &QAction::triggered, this,
                [this, id] { runGuarded([this, id] { m_program.mainMenu.onCommand(id); }); });
    }
}

void MDIFormMain::syncMenus()
{
    setWindowTitle(m_program.phrase(101));
    for (const MenuModel::Item& item : m_program.menus.items()) {
        QAction* action = actionFor(item.id);
        action->setText(item.caption);
        action->setEnabled(item.enabled);
        action->setVisible(item.visible);
    }
}

QAction* MDIFormMain::actionFor(MenuId id) const
{
    return m_actions.at(id);
}

void MDIFormMain::closeEvent(QCloseEvent* event)
{
    // The question decides: No keeps the window open; Yes ends the process from runGuarded.
    event->ignore();
    runGuarded([this] { m_program.mainMenu.onClose(); });
    if (exitPending())
        event->accept();
}

bool MDIFormMain::eventFilter(QObject* watched, QEvent* event)
{
    // A click on the frame's empty area puts the About window away.
    if (watched == m_area->viewport() && event->type() == QEvent::MouseButtonPress)
        m_program.ui.closeWindow(Window::About);
    return QMainWindow::eventFilter(watched, event);
}
