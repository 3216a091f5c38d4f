#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/InstanceLock.h"
#include "app/Operations.h"
#include "app/Program.h"
#include "base/PhraseFile.h"
#include "base/ProgramExit.h"
#include "copy/TempTables.h"
#include "db/Dialect.h"
#include "sync/ModifiedRecordTransfer.h"
#include "sync/NewRecordTransfer.h"

#include <QDir>
#include <cstdio>

namespace {

void assignIfLocated(QString& field, const std::optional<QString>& value)
{
    if (value)
        field = *value;
}

// An unattended run that could not connect, or lost its connection, must not look like a
// success to whoever scheduled it; one that left entries in syncerr.log says so too.
int automaticRunStatus(const Program& program)
{
    const SessionState& s = program.state;
    if (s.errorOccurred || !s.masterConnected || !s.remoteConnected)
        return 1;
    const CopyState& copy = program.tableCopy;
    return copy.syncLogBlocks > 0 || copy.syncLogUnwritable ? 2 : 0;
}

void runAutomaticMode(Program& program)
{
    SessionState& s = program.state;
    ConnectCommands& commands = program.connectCommands;
    if (s.switchAutoSync) {
        commands.ConnectToDatabases();
        commands.AutoSync();
        // A completed re-creation ends the process itself: reaching this point means the
        // Remote Database was not replaced (declined, or stopped before), which a scheduled
        // run must not take for success.
        std::fputs("vrw1: the Remote Database was not replaced\n", stderr);
        throw ProgramExit(1);
    }
    if (s.switchTransfer) {
        commands.ConnectToDatabases();
        if (!s.errorOccurred && s.newRecordsPending)
            TransferNewRecords(program);
        if (!s.errorOccurred && s.modifiedRecordsPending)
            TransferModifiedRecords(program);
        throw ProgramExit(automaticRunStatus(program));
    }
    if (s.switchTransAll) {
        commands.ConnectToDatabases();
        program.connectDialog.close();
        // Without both databases there is nothing to merge: the connect has said why, and the
        // user may sign in again.
        if (!s.errorOccurred && s.masterConnected && s.remoteConnected) {
            CreateScratchTable(program);
            TransferAllRecords(program);
        } else if (program.ui.hasWindows()) {
            program.connectDialog.show();
        }
        // The window stays open for the user; a run without one ends as the transfers do.
        if (!program.ui.hasWindows())
            throw ProgramExit(automaticRunStatus(program));
        return;
    }
    program.connectDialog.show();
}

} // namespace

void ParseCommand(Program& program, const QString& line)
{
    ConnectDialogModel& dialog = program.connectDialog;
    dialog.load();
    const CommandKeys keys = parseCommandKeys(line);
    SessionState& s = program.state;
    assignIfLocated(s.masterDataSource, keys.mdsn);
    assignIfLocated(s.masterUser, keys.muid);
    assignIfLocated(s.masterPassword, keys.mpwd);
    assignIfLocated(s.remoteDataSource, keys.rdsn);
    assignIfLocated(s.remoteUser, keys.ruid);
    assignIfLocated(s.remotePassword, keys.rpwd);
    assignIfLocated(dialog.masterUser, keys.muid);
    assignIfLocated(dialog.masterPassword, keys.mpwd);
    assignIfLocated(dialog.remoteUser, keys.ruid);
    assignIfLocated(dialog.remotePassword, keys.rpwd);
    dialog.notify();

    const QString missing = missingKeys(keys);
    if (!missing.isEmpty()) {
        const QByteArray warning =
            QStringLiteral("vrw1: the command line gives no value for %1 (write KEY=value; and "
                           "RPWD=value last)\n")
                .arg(missing)
                .toLocal8Bit();
        std::fputs(warning.constData(), stderr);
    }
}

void runStartup(Program& program, const QString& commandLine, InstanceLock& lock)
{
    prepareDialects();
    GetPhrases(program);

    if (!lock.tryLock()) {
        program.ui.setBusy(false);
        if (lock.error().isEmpty()) {
            program.ui.message({program.phrase(542), program.phrase(101), MessageIcon::Critical,
                                MessageButtons::Ok, std::nullopt});
            throw ProgramExit(0);
        }
        // Without its lock the program cannot tell whether another copy runs: an error.
        program.ui.message(
            {QStringLiteral("Varrow cannot make its lock file %1, which keeps a second copy "
                            "from running at the same time: %2.")
                 .arg(QDir::toNativeSeparators(lock.path()), lock.error()),
             program.phrase(101), MessageIcon::Critical, MessageButtons::Ok, std::nullopt});
        throw ProgramExit(1);
    }

    SessionState& s = program.state;
    s.switchDebugging = false;
    s.commandLine = commandLine.trimmed();
    switch (commandSwitch(s.commandLine)) {
    case CommandSwitch::AutoSync:
        s.switchAutoSync = true;
        break;
    case CommandSwitch::Transfer:
        s.switchTransfer = true;
        break;
    case CommandSwitch::TransAll:
        s.switchTransAll = true;
        break;
    case CommandSwitch::Debugging:
        s.switchDebugging = true;
        break;
    case CommandSwitch::None:
        break;
    }
    if (s.commandLine.size() > 9)
        ParseCommand(program, s.commandLine);

    program.menus.applyPhrases(s.phrases);
    program.menus.DisableMenus();

    runAutomaticMode(program);
}
