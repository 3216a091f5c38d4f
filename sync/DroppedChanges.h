#pragma once

#include <QString>

class Connection;
struct CopyContext;

// Titles of the syncerr.log lines for pending change-log rows removed with the change log: a
// deletion of a record the transfers leave to the master by design (inventory, calibration,
// standards, results, location, repair, customers: every table but the validation tables), or
// any other change, which should have been carried.
inline const QString DroppedByDesign =
    QStringLiteral("Deletion not carried by design, removed with the change log");
inline const QString DroppedUntransferred =
    QStringLiteral("Untransferred change deleted with the change log");
// Title of the syncerr.log line for a new item or customer that the Master Database already
// held (by asset number or customer number): its entry is done, nothing was inserted.
inline const QString MatchedToMaster =
    QStringLiteral("New record matched to the Master Database's own, not inserted");

// Whether a pending row of this action and table is dropped by design.
bool droppedByDesign(const QString& action, const QString& affectedTable);

// Before a change log that still holds untransferred rows is emptied, each such row is
// written to syncerr.log, so an administrator can see what was dropped; nothing pending
// disappears silently. Only rows not dropped by design count as needing a person's look. The
// sync-error flag is left as it is. An insertion and a deletion of the same row cancel each
// other, and the standards and results of a calibration deleted go with it: both are written
// as dropped by design. Returns false when syncerr.log could not be
// written; throws DbError when the rows cannot be read. Either way the caller must not empty
// the log. condition narrows the rows to those a narrower clean-up deletes
// ("affected_table='INVENTORY' and action='INS'").
bool recordDroppedChanges(const CopyContext& context, Connection& remote,
                          const QString& condition = QString());

// Writes to syncerr.log that the new record described was matched to the Master Database's
// own; it does not count as needing a person's look. False when syncerr.log could not be
// written (the copy state's syncLogUnwritable is set).
bool recordMatchedToMaster(const CopyContext& context, const QString& described,
                           const QString& procedure);
