#include "app/Operations.h"

#include "app/Program.h"
#include "remote/CreateRemoteDatabase.h"
#include "sync/MergeTransfer.h"

// A completed merge closes its command until the next maintenance start.
void TransferAllRecords(Program& program)
{
    if (TransferAllRecords(static_cast<CopyContext&>(program)))
        program.menus.setEnabled(MenuId::mnuAllRecords, false);
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
