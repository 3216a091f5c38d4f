#include "app/PlannedOperations.h"

#include "app/Program.h"
#include "remote/CreateRemoteDatabase.h"

void TransferAllRecords(Program&)
{
    throw NotAvailable{QStringLiteral("The merge of all records")};
}

// Carried by remote/: the menu, the connect dialog and AutoSync reach it through here.
void CreateRemoteDatabase(Program& program, bool firstTime)
{
    CreateRemoteDatabase(program.remoteContext(), firstTime);
}

// The viewers are windows of gui/; each fills itself from a connection of its own when it
// opens, and a viewer already open is brought to the front as it is.
void ShowChangeLogViewer(Program& program)
{
    program.ui.showWindow(Window::VRLog);
}

void ShowTransferHistoryViewer(Program& program)
{
    program.ui.showWindow(Window::TransLog);
}

QString notAvailableText(const NotAvailable& missing)
{
    return missing.what + QStringLiteral(" is not available in this version of Varrow.");
}

void runAvailable(Program& program, const std::function<void()>& command)
{
    try {
        command();
    } catch (const NotAvailable& missing) {
        program.ui.setBusy(false);
        program.ui.message({notAvailableText(missing), program.phrase(101),
                            MessageIcon::Information, MessageButtons::Ok, std::nullopt});
        program.mainMenu.UpdateMenuStatus();
    }
}
