#include "app/PlannedOperations.h"

void ConnectToDatabases(Program&)
{
    throw NotAvailable{QStringLiteral("Connecting to the databases")};
}

void AutoSync(Program&)
{
    throw NotAvailable{QStringLiteral("Automatic synchronisation")};
}

void TransferNewRecords(Program&)
{
    throw NotAvailable{QStringLiteral("The transfer of new records")};
}

void TransferModifiedRecords(Program&)
{
    throw NotAvailable{QStringLiteral("The transfer of modified records")};
}

void CreateScratchTable(Program&)
{
    throw NotAvailable{QStringLiteral("Creating the scratch table")};
}

void TransferAllRecords(Program&)
{
    throw NotAvailable{QStringLiteral("The merge of all records")};
}
