#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

struct BaseContext;
class RepStatusSheet;

// The lines of the backup log (CR LF or LF line ends). Throws std::runtime_error when the
// file cannot be read.
QStringList backupLogLines(const QString& path);

// Shows the backup log in the status window: line n of the file goes to result line
// pass × 3 + n while that is 1 to 8, the other result lines keep their text. Returns the last
// line of the file (empty for an empty file). A log that cannot be read is reported
// (ModuleVRW1,StuffRepForm).
QString StuffRepForm(const BaseContext& context, RepStatusSheet& sheet, const QString& logPath,
                     qint16 pass);
