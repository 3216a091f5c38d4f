#pragma once

#include <QString>
#include <functional>

class Program;

// Operations that this version does not carry yet. Each one throws NotAvailable, which an
// automatic run turns into a clear message and exit status 1, and a command of the windows
// into a message.
struct NotAvailable
{
    QString what;
};

void TransferAllRecords(Program& program);
void CreateRemoteDatabase(Program& program, bool firstTime);
void ShowChangeLogViewer(Program& program);
void ShowTransferHistoryViewer(Program& program);

// The message that tells the user what is missing.
QString notAvailableText(const NotAvailable& missing);

// Runs a command of the windows; an operation this version lacks is explained to the user,
// and the menus are recomputed so that nothing stays disabled.
void runAvailable(Program& program, const std::function<void()>& command);
