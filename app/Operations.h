#pragma once

class Program;

// The operations the windows, the command line and AutoSync start, carried by the layers
// below and wired to the program here.
void TransferAllRecords(Program& program);
void CreateRemoteDatabase(Program& program, bool firstTime);
void ShowChangeLogViewer(Program& program);
void ShowTransferHistoryViewer(Program& program);
