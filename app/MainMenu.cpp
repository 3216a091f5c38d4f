#include "app/MainMenu.h"

#include "app/Operations.h"
#include "app/Program.h"
#include "app/RemoteDatabaseLock.h"
#include "app/StartupFunctions.h"
#include "base/ErrorReporter.h"
#include "base/ProgramExit.h"
#include "db/Command.h"
#include "session/Sessions.h"
#include "sync/ChangeLog.h"
#include "sync/LogCleanup.h"
#include "sync/ModifiedRecordTransfer.h"
#include "sync/NewRecordTransfer.h"

namespace {

long countOf(Command& command, const QString& query)
{
    command.setCommandText(query);
    return command.open()->value(0).value_or(QString()).toLong();
}

} // namespace

void MainMenu::UpdateMenuStatus()
{
    SessionState& s = m_program.state;
    if (!s.masterConnected || !s.remoteConnected)
        return;
    MenuModel& menus = m_program.menus;
    Command command;
    try {
        ConnectToRemote(m_program);
        command.setActiveConnection(&userConnection(m_program, Side::Remote));

        if (s.masterDataSource == s.remoteDataSource) {
            const Answer answer = m_program.ui.message(
                {m_program.phrase(535), m_program.phrase(549), MessageIcon::Information,
                 MessageButtons::YesNo, std::nullopt});
            if (answer == Answer::Yes)
                throw ProgramExit(0);
            return;
        }
        ClearMasterLog(m_program);

        const long newRows = countOf(command, ChangeLog::pendingCountQuery(QStringLiteral("INS")));
        if (newRows == 0) {
            menus.setEnabled(MenuId::mnuNewRecords, false);
            menus.setEnabled(MenuId::mnuVRLog, false);
            menus.setEnabled(MenuId::mnuRunCounter, false);
            s.newRecordsPending = false;
        } else {
            menus.setEnabled(MenuId::mnuVRLog, true);
            menus.setEnabled(MenuId::mnuRunCounter, true);
            s.newRecordsPending = true;
        }
        // Pending new records count as pending modifications too, so both transfers run.
        const long changedRows =
            countOf(command, ChangeLog::pendingCountQuery(QStringLiteral("UPD")));
        if (changedRows == 0 && !s.newRecordsPending &&
            countOf(command, ChangeLog::markedCountQuery()) == 0) {
            s.modifiedRecordsPending = false;
        } else {
            menus.setEnabled(MenuId::mnuVRLog, true);
            menus.setEnabled(MenuId::mnuRunCounter, true);
            s.modifiedRecordsPending = true;
        }

        ConnectToMaster(m_program);
        command.setActiveConnection(&userConnection(m_program, Side::Master));
        menus.setEnabled(MenuId::mnuTrans,
                         countOf(command, ChangeLog::historyCountQuery(s.remoteMachineName)) != 0);

        if (s.newRecordsPending || s.modifiedRecordsPending)
            menus.setEnabled(MenuId::mnuNewRecords, true);
        menus.setEnabled(MenuId::mnuTransfer, true);
        menus.setEnabled(MenuId::mnuGetDatabase, true);
        menus.setEnabled(MenuId::mnuReLogin, true);
        menus.setVisible(MenuId::mnuAdministration, true);
        menus.setEnabled(MenuId::mnuAdministration, true);
        menus.setStatus(MenuModel::Status{s.masterDataSource, s.masterUser, s.remoteDataSource,
                                          s.remoteUser, newRows, changedRows});
    } catch (const DbError& e) {
        ReportError(m_program, e, QStringLiteral("VRW1,UpdateMenuStatus"), command.commandText());
    }
}

void MainMenu::onCommand(MenuId id)
{
    switch (id) {
    case MenuId::mnuReLogin:
        onReLogin();
        break;
    case MenuId::mnuNewRecords:
        onNewRecords();
        break;
    case MenuId::mnuGetDatabase:
        onGetDatabase();
        break;
    case MenuId::mnuAllRecords:
        onAllRecords();
        break;
    case MenuId::mnuVRLog:
        onViewer(true);
        break;
    case MenuId::mnuTrans:
        onViewer(false);
        break;
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

void MainMenu::onNewRecords()
{
    SessionState& s = m_program.state;
    const RemoteDatabaseHold hold(m_program);
    if (!hold.held())
        return;
    UpdateMenuStatus();
    m_program.menus.DisableMenus();
    if (!s.errorOccurred && s.newRecordsPending)
        TransferNewRecords(m_program);
    UpdateMenuStatus();
    m_program.menus.DisableMenus();
    if (!s.errorOccurred && s.modifiedRecordsPending)
        TransferModifiedRecords(m_program);
    UpdateMenuStatus();
    m_program.ui.setBusy(false);
}

void MainMenu::onGetDatabase()
{
    SessionState& s = m_program.state;
    const RemoteDatabaseHold hold(m_program);
    if (!hold.held())
        return;
    s.firstTime = FirstTime(m_program);
    if (!s.firstTime)
        UpdateMenuStatus();
    if (!s.errorOccurred)
        CreateRemoteDatabase(m_program, s.firstTime);
}

void MainMenu::onAllRecords()
{
    if (!m_program.state.errorOccurred)
        TransferAllRecords(m_program);
}

void MainMenu::onViewer(bool changeLog)
{
    UpdateMenuStatus();
    if (m_program.state.errorOccurred)
        return;
    if (changeLog)
        ShowChangeLogViewer(m_program);
    else
        ShowTransferHistoryViewer(m_program);
}

void MainMenu::onReLogin()
{
    m_program.ui.setBusy(false);
    const Answer answer =
        m_program.ui.message({m_program.phrase(558), m_program.phrase(150),
                              MessageIcon::Information, MessageButtons::YesNo, Answer::No});
    if (answer != Answer::Yes)
        return;
    DisconnectFromMaster(m_program);
    DisconnectFromRemote(m_program);
    DisconnectQELDBAFromMaster(m_program);
    DisconnectQELDBAFromRemote(m_program);
    m_program.connectDialog.show();
}

void MainMenu::onTransferMenuOpened()
{
    UpdateMenuStatus();
    m_program.ui.yield();
}

void MainMenu::onRunCounter()
{
    m_program.state.runningCounter = !m_program.state.runningCounter;
    showRunningCounterState();
}

void MainMenu::showRunningCounterState()
{
    const bool on = m_program.state.runningCounter;
    m_program.menus.setCaption(MenuId::mnuRunCounter, m_program.phrase(11) + QLatin1Char(' ') +
                                                          m_program.phrase(on ? 12 : 13));
    m_program.menus.setChecked(MenuId::mnuRunCounter, on);
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
    const Answer answer = m_program.ui.message(
        {m_program.phrase(pending ? 563 : 115), m_program.phrase(pending ? 108 : 101),
         MessageIcon::Question, MessageButtons::YesNo, Answer::No});
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
