#include "base/ErrorReporter.h"

#include "base/BaseContext.h"
#include "base/Clock.h"
#include "base/LogFiles.h"
#include "base/ProgramEvents.h"
#include "base/ProgramExit.h"
#include "base/Ui.h"

namespace {
const QString crlf = QStringLiteral("\r\n");
}

QString errorNumberText(double number)
{
    return QString::number(number, 'g', 15);
}

QString errorLogRecord(const QDateTime& time, double number, const QString& description,
                       const QString& procedure, const QString& sql, const SessionState& s)
{
    const QString stamp = QLatin1Char('[') + timestampText(time) + QStringLiteral("] ");
    QString r;
    r += stamp + QStringLiteral(" **** VARROW ****") + crlf;
    r += stamp + errorNumberText(number) + QLatin1Char(' ') + description + crlf;
    r += stamp + procedure + crlf;
    r += stamp + sql + crlf;
    r += QStringLiteral("Master User Name = ") + s.masterUser + crlf;
    r += QStringLiteral("Remote User Name = ") + s.remoteUser + crlf;
    r += QStringLiteral("Master DSN = ") + s.masterDataSource + crlf;
    r += QStringLiteral("Remote DSN = ") + s.remoteDataSource + crlf;
    r += QStringLiteral("Master DBF = ") + s.masterDatabaseName + crlf;
    r += QStringLiteral("Remote DBF = ") + s.remoteDatabaseName + crlf;
    r += QStringLiteral("Master DBN = ") + s.masterEngineName + crlf;
    r += QStringLiteral("Remote DBN = ") + s.remoteEngineName + crlf;
    r += QStringLiteral("Master Sybase Engine Version = ") + s.masterEngineVersion + crlf;
    r += QStringLiteral("Remote Sybase Engine Version = ") + s.remoteEngineVersion + crlf;
    r += QStringLiteral("Remote Sybase Operating System = ") + s.remotePlatform + crlf;
    r += crlf;
    return r;
}

bool isLostConnection(const QString& description)
{
    return description.contains(QLatin1String("Unable to connect to database")) ||
           description.contains(QLatin1String("not connected"));
}

bool isLockedByAnotherProgram(const QString& description)
{
    return description.contains(QLatin1String("is locked by another program"));
}

bool stopsTheWork(const QString& description)
{
    return isLostConnection(description) || isLockedByAnotherProgram(description);
}

void LogError(const BaseContext& context, double number, const QString& description,
              const QString& procedure, const QString& sql)
{
    const SessionState& state = context.state;
    appendToLog(logFilePath(state, QStringLiteral("errors.log")),
                errorLogRecord(context.clock.now(), number, description, procedure, sql, state));
}

void ReportError(const BaseContext& context, double number, const QString& description,
                 const QString& procedure, const QString& sql)
{
    SessionState& state = context.state;
    context.ui.setBusy(false);
    // A log that cannot be written must not keep the user from the message, nor the
    // process from ending.
    LogError(context, number, description, procedure, sql);

    const Phrases& p = state.phrases;
    if (stopsTheWork(description)) {
        state.errorOccurred = true;
        const QString text =
            isLockedByAnotherProgram(description)
                ? QStringLiteral("Another program holds a lock on a database Varrow needs, and "
                                 "the wait for it has run out. Nothing was lost: the changes not "
                                 "transferred yet stay in the change log. Try again when the "
                                 "other program has finished.") +
                      crlf + crlf + description + crlf + crlf + p[119] + procedure
                : description;
        context.ui.message({text, p[101], MessageIcon::Critical, MessageButtons::Ok, std::nullopt});
        state.autosyncRunning = false;
        context.events.connectionLost();
        return;
    }

    const QString text = p[117] + QLatin1Char(' ') + errorNumberText(number) + QLatin1Char(' ') +
                         description + crlf + crlf + p[118] + crlf + crlf + p[119] + procedure +
                         crlf + p[120] + sql;
    state.errorOccurred = false;
    context.ui.message({text, p[101], MessageIcon::Critical, MessageButtons::Ok, std::nullopt});
    throw ProgramExit(1);
}
