#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/InstanceLock.h"
#include "app/PhraseFile.h"
#include "app/PlannedOperations.h"
#include "app/Program.h"
#include "app/ProgramExit.h"

#include <cstdio>

namespace {

void assignIfLocated(QString& field, const std::optional<QString>& value)
{
    if (value)
        field = *value;
}

void runAutomaticMode(Program& program)
{
    SessionState& s = program.state;
    if (s.switchAutoSync) {
        ConnectToDatabases(program);
        AutoSync(program);
        throw ProgramExit(0);
    }
    if (s.switchTransfer) {
        ConnectToDatabases(program);
        if (!s.errorOccurred && s.newRecordsPending)
            TransferNewRecords(program);
        if (!s.errorOccurred && s.modifiedRecordsPending)
            TransferModifiedRecords(program);
        throw ProgramExit(0);
    }
    if (s.switchTransAll) {
        ConnectToDatabases(program);
        program.ui.closeWindow(Window::Connect);
        CreateScratchTable(program);
        TransferAllRecords(program);
        return;
    }
    program.ui.showWindow(Window::Connect);
}

} // namespace

void ParseCommand(Program& program, const QString& line)
{
    const CommandKeys keys = parseCommandKeys(line);
    SessionState& s = program.state;
    assignIfLocated(s.masterDataSource, keys.mdsn);
    assignIfLocated(s.masterUser, keys.muid);
    assignIfLocated(s.masterPassword, keys.mpwd);
    assignIfLocated(s.remoteDataSource, keys.rdsn);
    assignIfLocated(s.remoteUser, keys.ruid);
    assignIfLocated(s.remotePassword, keys.rpwd);

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
    GetPhrases(program);

    if (!lock.tryLock()) {
        program.ui.setBusy(false);
        program.ui.message({program.phrase(542), program.phrase(101), MessageIcon::Critical,
                            MessageButtons::Ok, std::nullopt});
        throw ProgramExit(0);
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

    try {
        runAutomaticMode(program);
    } catch (const NotAvailable& missing) {
        program.ui.setBusy(false);
        program.ui.message({missing.what + QStringLiteral(" is not available in this version of "
                                                          "Varrow."),
                            program.phrase(101), MessageIcon::Critical, MessageButtons::Ok,
                            std::nullopt});
        throw ProgramExit(1);
    }
}
