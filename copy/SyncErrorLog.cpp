#include "copy/SyncErrorLog.h"

#include "app/Clock.h"
#include "app/LogFiles.h"
#include "app/Program.h"

QString syncErrorBlock(const QDateTime& time, const QString& errorText,
                       const QString& statementText, const QString& procedureName)
{
    const QString stamp = QLatin1Char('[') + timestampText(time) + QStringLiteral("] ");
    const QString crlf = QStringLiteral("\r\n");
    return stamp + QStringLiteral("**********") + crlf + stamp + errorText + crlf + stamp +
           statementText + crlf + stamp + procedureName + crlf;
}

void LogSyncError(Program& program, const QString& errorText, const QString& statementText,
                  const QString& procedureName)
{
    appendToLog(logFilePath(program.state, QStringLiteral("syncerr.log")),
                syncErrorBlock(program.clock.now(), errorText, statementText, procedureName));
    program.tableCopy.syncError = true;
    ++program.tableCopy.syncLogBlocks;
}
