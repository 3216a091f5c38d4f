#pragma once

class Connection;
struct CopyContext;

// Before a change log that still holds untransferred rows is emptied, each such row is
// written to syncerr.log, so an administrator can see what was dropped; nothing pending
// disappears silently. The sync-error flag is left as it is. Throws DbError when the rows
// cannot be read (the caller must then not empty the log).
void recordDroppedChanges(const CopyContext& context, Connection& remote);
