#include "sync/LogCleanup.h"

#include "copy/CopyContext.h"
#include "session/Sessions.h"
#include "sync/ChangeLog.h"
#include "sync/DroppedChanges.h"

void ClearMasterLog(const SessionContext& context)
{
    try {
        userConnection(context, Side::Master).execute(ChangeLog::clearStatement());
    } catch (const DbError&) {
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
