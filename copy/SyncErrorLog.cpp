#include "copy/SyncErrorLog.h"

#include "base/Clock.h"
#include "base/ErrorReporter.h"
#include "base/LogFiles.h"
#include "copy/CopyContext.h"

QString syncErrorLogPath(const SessionState& state)
{
    return logFilePath(state, QStringLiteral("syncerr.log"));
}

QString syncErrorText(const DbError& error)
{
    return errorNumberText(error.number()) + QLatin1Char(' ') + error.description();
}

QString syncErrorBlock(const QDateTime& time, const QString& errorText,
                       const QString& statementText, const QString& procedureName)
{
    const QString stamp = QLatin1Char('[') + timestampText(time) + QStringLiteral("] ");
    const QString crlf = QStringLiteral("\r\n");
    return stamp + QStringLiteral("**********") + crlf + stamp + errorText + crlf + stamp +
           statementText + crlf + stamp + procedureName + crlf;
}

void LogSyncError(const CopyContext& context, const QString& errorText,
                  const QString& statementText, const QString& procedureName)
{
    if (!appendToLog(syncErrorLogPath(context.state),
                     syncErrorBlock(context.clock.now(), errorText, statementText, procedureName)))
        context.tableCopy.syncLogUnwritable = true;
    context.tableCopy.syncError = true;
    ++context.tableCopy.syncLogBlocks;
}
