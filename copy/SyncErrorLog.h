#pragma once

#include <QDateTime>
#include <QString>

class Program;

// The block appended to syncerr.log for one failed row: four stamped lines, CR LF ends.
QString syncErrorBlock(const QDateTime& time, const QString& errorText,
                       const QString& statementText, const QString& procedureName);

// Appends the block to syncerr.log (beside errors.log) and sets the sync-error flag. A log
// that cannot be written does not stop the work: the flag is set all the same.
void LogSyncError(Program& program, const QString& errorText, const QString& statementText,
                  const QString& procedureName);
