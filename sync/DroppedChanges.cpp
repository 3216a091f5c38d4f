#include "sync/DroppedChanges.h"

#include "base/LogFiles.h"
#include "copy/CopyContext.h"
#include "copy/SyncErrorLog.h"

#include <QStringList>

void recordDroppedChanges(const CopyContext& context, Connection& remote)
{
    const QStringList columns = {QStringLiteral("action"),
                                 QStringLiteral("affected_table"),
                                 QStringLiteral("xtag"),
                                 QStringLiteral("xtag_additional"),
                                 QStringLiteral("affected_column"),
                                 QStringLiteral("i4201"),
                                 QStringLiteral("mtuser"),
                                 QStringLiteral("event_date")};
    QString blocks;
    int count = 0;
    auto rows = remote.openRecordset(QStringLiteral("select ") + columns.join(QLatin1Char(',')) +
                                     QStringLiteral(" from mt.qel_vr_log where sync_date is null"));
    for (; !rows->eof(); rows->moveNext()) {
        QStringList described;
        for (int i = 0; i < columns.size(); ++i)
            described.append(columns[i] + QLatin1Char('=') +
                             rows->value(i).value_or(QStringLiteral("(NULL)")));
        blocks += syncErrorBlock(
            context.clock.now(), QStringLiteral("Untransferred change deleted with the change log"),
            described.join(QLatin1Char(' ')), QStringLiteral("ClearRemoteLog"));
        ++count;
    }
    if (count == 0)
        return;
    appendToLog(syncErrorLogPath(context.state), blocks);
    context.tableCopy.syncLogBlocks += count;
}
