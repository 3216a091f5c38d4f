#include "app/PlannedOperations.h"

#include "app/Program.h"

void TransferAllRecords(Program&)
{
    throw NotAvailable{QStringLiteral("The merge of all records")};
}

void CreateRemoteDatabase(Program&, bool)
{
    throw NotAvailable{QStringLiteral("Creating a new Remote Database")};
}

void ShowChangeLogViewer(Program&)
{
    throw NotAvailable{QStringLiteral("The change-log viewer")};
}

void ShowTransferHistoryViewer(Program&)
{
    throw NotAvailable{QStringLiteral("The transfer-history viewer")};
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
