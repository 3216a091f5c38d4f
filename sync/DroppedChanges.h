#pragma once

#include <QString>

class Connection;
struct CopyContext;

// Titles of the syncerr.log lines for pending change-log rows removed with the change log: a
// deletion of a record the transfers leave to the master by design (inventory, calibration,
// location, repair, customers), or any other change, which should have been carried.
inline const QString DroppedByDesign =
    QStringLiteral("Deletion not carried by design, removed with the change log");
inline const QString DroppedUntransferred =
    QStringLiteral("Untransferred change deleted with the change log");

// Whether a pending row of this action and table is dropped by design.
bool droppedByDesign(const QString& action, const QString& affectedTable);

// Before a change log that still holds untransferred rows is emptied, each such row is
// written to syncerr.log, so an administrator can see what was dropped; nothing pending
// disappears silently. Only rows not dropped by design count as needing a person's look. The
// sync-error flag is left as it is. Returns false when syncerr.log could not be written; throws
// DbError when the rows cannot be read. Either way the caller must not empty the log.
bool recordDroppedChanges(const CopyContext& context, Connection& remote);
