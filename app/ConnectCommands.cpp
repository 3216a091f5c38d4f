#include "app/ConnectCommands.h"

#include "app/Operations.h"
#include "app/Program.h"
#include "app/RemoteDatabaseLock.h"
#include "app/StartupFunctions.h"
#include "base/ErrorReporter.h"
#include "copy/Catalogue.h"
#include "copy/TempTables.h"
#include "session/SchemaOwner.h"
#include "session/Sessions.h"
#include "sync/ModifiedRecordTransfer.h"
#include "sync/NewRecordTransfer.h"

namespace {

using Field = ConnectDialogModel::Field;

} // namespace

void ConnectCommands::ConnectToDatabases()
{
    SessionState& s = m_program.state;
    ConnectDialogModel& dialog = m_program.connectDialog;
    dialog.load(); // the fields must exist, shown or not

    DisconnectFromMaster(m_program);
    DisconnectFromRemote(m_program);
    for (Window w : {Window::VRLog, Window::TransLog, Window::Statistics})
        m_program.ui.closeWindow(w);
    s.masterConnected = s.remoteConnected = false;
    s.errorOccurred = false;

    if (!fieldsComplete())
        return;
    takeCredentials();
    if (!connectBoth() || !firstTimeUserAllowed())
        return;
    m_program.connectDialog.saveSignIn();

    StartupFunctions(m_program);
    // A connection lost while the facts were gathered leaves nothing to go on with.
    if (s.errorOccurred || !databasesDistinct())
        return;

    if (s.switchAutoSync || s.switchTransfer) {
        // Unattended runs need the same rights; a refused one leaves both databases untouched.
        if (!mayTransfer())
            return;
        // The change log is counted, and then transferred, under the Remote Database's lock,
        // which the run keeps to its end. Refused, the run counts nothing and so transfers
        // nothing; a lock that cannot be made ends it as failed.
        const RemoteDatabaseHold hold(m_program);
        if (!hold.held()) {
            if (hold.outcome() == RemoteDatabaseLock::Outcome::Failed) {
                DisconnectFromMaster(m_program);
                DisconnectFromRemote(m_program);
            }
            return;
        }
        m_program.mainMenu.UpdateMenuStatus();
        m_program.ui.setBusy(false);
        return;
    }
    if (!scratchTableReady())
        return;
    if (isSchemaOwner(s.masterUser) && isSchemaOwner(s.remoteUser) && s.switchTransAll) {
        openMaintenanceMerge();
        return;
    }
    if (s.firstTime) {
        CreateRemoteDatabase(m_program, true);
        s.autosyncRunning = false;
        return;
    }
    checkRights();
}

bool ConnectCommands::fieldsComplete()
{
    SessionState& s = m_program.state;
    ConnectDialogModel& dialog = m_program.connectDialog;
    const QString incomplete = m_program.phrase(s.autosyncRunning ? 139 : 135);
    for (Field f : {Field::TextMasterUsername, Field::TextRemoteUsername, Field::TextMasterPassword,
                    Field::TextRemotePassword}) {
        if (dialog.text(f).isEmpty())
            return refuseIncomplete(incomplete, f);
    }
    // Nothing is tried without a data source on each side, from the list or the command line;
    // with none set up at all, the user learns that it is the configuration that lacks them.
    const QString noSource =
        m_program.phrase(138) + (dialog.dataSources.isEmpty()
                                     ? QStringLiteral("\r\n\r\n") + m_program.phrase(140)
                                     : QString());
    if (s.masterDataSource.trimmed().isEmpty() && dialog.masterDataSourceText().isEmpty())
        return refuseIncomplete(noSource, Field::ComboMasterDatasource);
    if (s.remoteDataSource.trimmed().isEmpty() && dialog.remoteDataSourceText().isEmpty())
        return refuseIncomplete(noSource, Field::ComboRemoteDatasource);
    return true;
}

bool ConnectCommands::refuseIncomplete(const QString& text, Field field)
{
    m_program.ui.setBusy(false);
    m_program.ui.message(
        {text, m_program.phrase(550), MessageIcon::Exclamation, MessageButtons::Ok, std::nullopt});
    m_program.connectDialog.setFocus(field);
    m_program.state.autosyncRunning = false;
    return false;
}

// Data sources given on the command line stay; the rest comes from the dialog.
void ConnectCommands::takeCredentials()
{
    SessionState& s = m_program.state;
    const ConnectDialogModel& dialog = m_program.connectDialog;
    m_program.ui.setBusy(true);
    m_program.ui.yield();
    if (s.masterDataSource.isEmpty())
        s.masterDataSource = dialog.masterDataSourceText();
    if (s.remoteDataSource.isEmpty())
        s.remoteDataSource = dialog.remoteDataSourceText();
    s.masterUser = dialog.masterUser.trimmed();
    s.masterPassword = dialog.masterPassword.trimmed();
    s.remoteUser = dialog.remoteUser.trimmed();
    s.remotePassword = dialog.remotePassword.trimmed();
}

bool ConnectCommands::connectBoth()
{
    SessionState& s = m_program.state;
    // Neither database is tried while either data source cannot be used.
    for (const bool remote : {true, false}) {
        if (!checkDataSource(m_program, remote ? Side::Remote : Side::Master)) {
            connectFailed(remote);
            return false;
        }
    }
    if (!ConnectToRemote(m_program)) {
        connectFailed(true);
        return false;
    }
    s.firstTime = s.switchTransAll ? false : FirstTime(m_program);
    if (!ConnectToMaster(m_program)) {
        connectFailed(false);
        return false;
    }
    return true;
}

// The driver's reason goes to errors.log and into the message; the hint that no connection
// opened in time only after the checks ran out.
void ConnectCommands::connectFailed(bool remote)
{
    const Side side = remote ? Side::Remote : Side::Master;
    const std::optional<ConnectFailure> failure = connectFailure(m_program, side);
    QString reason;
    bool retried = true;
    if (failure) {
        reason = failure->error.description();
        retried = failure->retried;
        LogError(m_program, failure->error.number(), reason,
                 remote ? QStringLiteral("VRW1,ConnectToRemote")
                        : QStringLiteral("VRW1,ConnectToMaster"),
                 QString());
    }
    m_program.connectDialog.failureExit(remote ? 493 : 136, remote, retried, reason);
}

// Only the schema owner (or the QEL login) may prepare a Remote Database for the first time.
bool ConnectCommands::firstTimeUserAllowed()
{
    SessionState& s = m_program.state;
    if (!s.firstTime || isSchemaOwner(s.remoteUser) ||
        s.remoteUser.toUpper() == QLatin1String("QEL"))
        return true;
    DisconnectFromMaster(m_program);
    DisconnectFromRemote(m_program);
    m_program.ui.setBusy(false);
    m_program.ui.message({m_program.phrase(541), m_program.phrase(551), MessageIcon::Exclamation,
                          MessageButtons::Ok, std::nullopt});
    m_program.connectDialog.show();
    m_program.connectDialog.askForSchemaOwner(isSchemaOwner(s.masterUser));
    s.autosyncRunning = false;
    return false;
}

bool ConnectCommands::scratchTableReady()
{
    const std::optional<bool> scratch =
        tableExistsChecked(m_program, QStringLiteral("M"), QStringLiteral("qel_vr_scratch"));
    if (!scratch)
        return false;
    if (!*scratch) {
        m_program.connectDialog.failureExit(539, false, false);
        return false;
    }
    return true;
}

void ConnectCommands::openMaintenanceMerge()
{
    MenuModel& menus = m_program.menus;
    menus.setVisible(MenuId::mnuAllRecords, true);
    menus.setEnabled(MenuId::mnuAllRecords, true);
    menus.setEnabled(MenuId::mnuRunCounter, true);
    menus.setEnabled(MenuId::mnuTrans, true);
    menus.setEnabled(MenuId::mnuAdministration, true);
    menus.setVisible(MenuId::mnuTransfer, false);
    menus.setVisible(MenuId::mnuVRLog, false);
    menus.setCaption(MenuId::mnuAdministration, m_program.phrase(301));
    m_program.connectDialog.close();
    CreateScratchTable(m_program);
    m_program.ui.setBusy(false);
}

void ConnectCommands::checkRights()
{
    m_program.mainMenu.UpdateMenuStatus();
    m_program.connectDialog.close();
    m_program.menus.setVisible(MenuId::mnuAllRecords, true);
    if (mayTransfer())
        m_program.ui.setBusy(false);
}

bool ConnectCommands::mayTransfer()
{
    const SessionState& s = m_program.state;
    ConnectDialogModel& dialog = m_program.connectDialog;
    if (!isSchemaOwner(s.masterUserSegregate))
        dialog.rightsFailure(561, false);
    else if (!isSchemaOwner(s.remoteUserSegregate))
        dialog.rightsFailure(561, true);
    else if (s.masterUserLevel < 4)
        dialog.rightsFailure(566, false);
    else
        return true;
    return false;
}

// Two data sources that lead to one database, or a "master" that is a remote copy, would have
// the remote's change log emptied as if it were the master's: they are refused before anything
// is written, whatever the data sources are called.
bool ConnectCommands::databasesDistinct()
{
    SessionState& s = m_program.state;
    // One data source named twice: the status check asks the user whether to end; a run
    // without a user cannot answer and is refused here.
    const bool unattended = s.switchAutoSync || s.switchTransfer || s.switchTransAll;
    if (!unattended && s.masterDataSource == s.remoteDataSource)
        return true;
    QString problem;
    if (s.masterMarkedRemote) {
        problem = QStringLiteral("The data source %1, chosen for the Master Database, leads to a "
                                 "remote copy (%2 on %3).")
                      .arg(s.masterDataSource, s.masterDatabaseFile, s.masterMachineName);
    } else if (!s.masterDatabaseFile.isEmpty() && s.masterDatabaseFile == s.remoteDatabaseFile &&
               s.masterMachineName.compare(s.remoteMachineName, Qt::CaseInsensitive) == 0) {
        problem = QStringLiteral("The data sources %1 and %2 lead to one database (%3 on %4).")
                      .arg(s.masterDataSource, s.remoteDataSource, s.masterDatabaseFile,
                           s.masterMachineName);
    }
    if (problem.isEmpty())
        return true;
    DisconnectFromMaster(m_program);
    DisconnectFromRemote(m_program);
    m_program.ui.setBusy(false);
    m_program.ui.message({problem + QStringLiteral("\r\n\r\nNothing was changed. Choose the "
                                                   "data source of the Master Database and that "
                                                   "of the Remote Database again."),
                          m_program.phrase(551), MessageIcon::Critical, MessageButtons::Ok,
                          std::nullopt});
    s.autosyncRunning = false;
    m_program.connectDialog.show();
    return false;
}

void ConnectCommands::AutoSync()
{
    SessionState& s = m_program.state;
    m_program.connectDialog.load(); // loading clears the flag, so it must come first
    s.autosyncRunning = true;
    ConnectToDatabases();
    if (!s.autosyncRunning)
        return;
    // Under the Remote Database's lock (an unattended run took it when it connected), counted
    // again from the dialog: another run may have transferred the changes meanwhile.
    const RemoteDatabaseHold hold(m_program);
    if (!hold.held())
        return;
    if (!s.switchAutoSync)
        m_program.mainMenu.UpdateMenuStatus();
    if (s.autosyncRunning && s.newRecordsPending)
        TransferNewRecords(m_program);
    if (s.autosyncRunning && s.modifiedRecordsPending)
        TransferModifiedRecords(m_program);
    if (s.autosyncRunning)
        CreateRemoteDatabase(m_program, s.firstTime);
}
