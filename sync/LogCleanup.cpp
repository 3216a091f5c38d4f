#include "sync/LogCleanup.h"

#include "base/ErrorReporter.h"
#include "copy/CopyContext.h"
#include "session/Sessions.h"
#include "sync/ChangeLog.h"
#include "sync/DroppedChanges.h"

void ClearMasterLog(const SessionContext& context)
{
    try {
        userConnection(context, Side::Master).execute(ChangeLog::clearStatement());
    } catch (const DbError& e) {
        // A master locked by another program stops the work now, not after another wait.
        if (isLockedByAnotherProgram(e.description()))
            throw;
    }
}

void ClearRemoteLog(const CopyContext& context)
{
    try {
        Connection& remote = userConnection(context, Side::Remote);
        if (recordDroppedChanges(context, remote))
            remote.execute(ChangeLog::clearStatement());
    } catch (const DbError&) {
    }
}
