#include "app/MainMenu.h"

#include "app/Program.h"
#include "app/ProgramExit.h"

void MainMenu::UpdateMenuStatus()
{
    const SessionState& s = m_program.state;
    if (!s.masterConnected || !s.remoteConnected)
        return;
}

void MainMenu::onCommand(MenuId id)
{
    switch (id) {
    case MenuId::mnuExit:
        onExit();
        break;
    case MenuId::mnuRunCounter:
        onRunCounter();
        break;
    case MenuId::mnuabout:
        onAbout();
        break;
    default:
        break;
    }
}

void MainMenu::onTransferMenuOpened()
{
    UpdateMenuStatus();
    m_program.ui.yield();
}

void MainMenu::onRunCounter()
{
    SessionState& s = m_program.state;
    s.runningCounter = !s.runningCounter;
    m_program.menus.setCaption(MenuId::mnuRunCounter, m_program.phrase(11) + QLatin1Char(' ') +
                                                          m_program.phrase(s.runningCounter ? 12 : 13));
}

void MainMenu::onAbout()
{
    m_program.ui.showWindow(Window::About);
}

bool MainMenu::mayEndWithoutAsking() const
{
    return m_program.state.firstTime || m_program.state.switchTransAll;
}

bool MainMenu::confirmExit()
{
    UpdateMenuStatus();
    const SessionState& s = m_program.state;
    const bool pending = s.newRecordsPending || s.modifiedRecordsPending;
    const Answer answer = m_program.ui.message({m_program.phrase(pending ? 563 : 115),
                                                m_program.phrase(pending ? 108 : 101),
                                                MessageIcon::Question, MessageButtons::YesNo,
                                                Answer::No});
    return answer == Answer::Yes;
}

void MainMenu::onExit()
{
    if (mayEndWithoutAsking()) {
        for (Window w : {Window::VRLog, Window::TransLog, Window::Statistics, Window::RepStatus})
            m_program.ui.closeWindow(w);
        throw ProgramExit(0);
    }
    if (confirmExit())
        throw ProgramExit(0);
}

void MainMenu::onClose()
{
    if (mayEndWithoutAsking() || confirmExit())
        throw ProgramExit(0);
}
