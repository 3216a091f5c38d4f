#pragma once

#include "db/DbError.h"

#include <QDateTime>
#include <QString>

struct CopyContext;
struct SessionState;

// Where syncerr.log is written: beside errors.log.
QString syncErrorLogPath(const SessionState& state);

// The error text of a failed row: the error number, a blank, the description.
QString syncErrorText(const DbError& error);

// The block appended to syncerr.log for one failed row: four stamped lines, CR LF ends.
QString syncErrorBlock(const QDateTime& time, const QString& errorText,
                       const QString& statementText, const QString& procedureName);

// Appends the block to syncerr.log (beside errors.log) and sets the sync-error flag. A log
// that cannot be written does not stop the work: the flag is set all the same, and so is the
// copy state's syncLogUnwritable.
void LogSyncError(const CopyContext& context, const QString& errorText,
                  const QString& statementText, const QString& procedureName);
