#pragma once

#include <QString>

class Program;

// Operations of the automatic modes that this version does not carry yet. Each one throws
// NotAvailable, which the start-up turns into a clear message and exit status 1.
struct NotAvailable
{
    QString what;
};

void ConnectToDatabases(Program& program);
void AutoSync(Program& program);
void TransferNewRecords(Program& program);
void TransferModifiedRecords(Program& program);
void CreateScratchTable(Program& program);
void TransferAllRecords(Program& program);
