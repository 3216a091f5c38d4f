#include "gui/MDIFormMain.h"

#include "app/Program.h"
#include "base/ProgramExit.h"
#include "gui/VarrowIcons.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

MDIFormMain::MDIFormMain(Program& program) : m_program(program), m_area(new QMdiArea(this))
{
    setObjectName(QStringLiteral("MDIFormMain"));
    setCentralWidget(m_area);
    m_area->viewport()->installEventFilter(this);
    setWindowIcon(VarrowIcons::icon(101));
    resize(960, 720);
    buildMenus();
    buildStatusBar();
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
        action->setCheckable(model.checked(id).has_value());
        m_actions[id] = action;
        // A checkable item shows the model's state afterwards, whatever the click made of it.
        connect(action, &QAction::triggered, this, [this, id] {
            runGuarded([this, id] { m_program.mainMenu.onCommand(id); });
            syncMenus();
        });
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
        if (const std::optional<bool> checked = m_program.menus.checked(item.id))
            action->setChecked(*checked);
    }
    syncStatus();
}

void MDIFormMain::buildStatusBar()
{
    for (QLabel*& label : m_status) {
        label = new QLabel(this);
        label->setContentsMargins(4, 0, 12, 0);
        statusBar()->addWidget(label);
    }
    m_status[0]->setObjectName(QStringLiteral("statusMaster"));
    m_status[1]->setObjectName(QStringLiteral("statusRemote"));
    m_status[2]->setObjectName(QStringLiteral("statusPending"));
}

void MDIFormMain::syncStatus()
{
    const std::optional<MenuModel::Status>& status = m_program.menus.status();
    statusBar()->setVisible(status.has_value());
    if (!status)
        return;
    auto side = [this](int phrase, const QString& dataSource, const QString& user) {
        return QStringLiteral("%1: %2 (%3)").arg(m_program.phrase(phrase), dataSource, user);
    };
    m_status[0]->setText(side(520, status->masterDataSource, status->masterUser));
    m_status[1]->setText(side(521, status->remoteDataSource, status->remoteUser));
    m_status[2]->setText(QStringLiteral("%1 %2   %3 %4")
                             .arg(m_program.phrase(567))
                             .arg(status->newRows)
                             .arg(m_program.phrase(568))
                             .arg(status->changedRows));
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
