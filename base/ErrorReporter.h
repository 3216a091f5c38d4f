#pragma once

#include <QDateTime>
#include <QString>

struct BaseContext;
struct SessionState;

// The record appended to errors.log for one failure, CR LF line ends, trailing empty line.
QString errorLogRecord(const QDateTime& time, double number, const QString& description,
                       const QString& procedure, const QString& sql, const SessionState& state);

// An error number as the log and the message print it: integral values without decimals.
QString errorNumberText(double number);

// Appends the record of a failure to errors.log without telling the user (the caller does).
// A log that cannot be written is passed over.
void LogError(const BaseContext& context, double number, const QString& description,
              const QString& procedure, const QString& sql);

// The common error reporter. Appends the record to errors.log and tells the user. A lost
// connection is survivable: it sets error occurred, lets the user sign in again and returns.
// So is a database locked by another program, with a message that says so and that nothing
// was lost. Every other failure ends the process (ProgramExit with status 1) after the message.
void ReportError(const BaseContext& context, double number, const QString& description,
                 const QString& procedure, const QString& sql);

// The same for an error that carries its own number and description (a DbError).
template <typename Error>
void ReportError(const BaseContext& context, const Error& error, const QString& procedure,
                 const QString& sql)
{
    ReportError(context, error.number(), error.description(), procedure, sql);
}

// True when an error description means the database connection is gone.
bool isLostConnection(const QString& description);
// True when a statement gave up waiting for a lock another program holds.
bool isLockedByAnotherProgram(const QString& description);
// True for the failures after which every further statement would fail as well (a lost
// connection, a database locked by another program): work in progress stops at once.
bool stopsTheWork(const QString& description);
