#include "sync/DroppedChanges.h"

#include "base/LogFiles.h"
#include "copy/CopyContext.h"
#include "copy/SyncErrorLog.h"

#include <QStringList>

bool droppedByDesign(const QString& action, const QString& affectedTable)
{
    static const QStringList leftToTheMaster = {
        QStringLiteral("INVENTORY"), QStringLiteral("CALIBRATION"), QStringLiteral("LOCATION"),
        QStringLiteral("REPAIR"), QStringLiteral("CUSTOMERS")};
    return action.compare(QLatin1String("DEL"), Qt::CaseInsensitive) == 0 &&
           leftToTheMaster.contains(affectedTable.trimmed(), Qt::CaseInsensitive);
}

bool recordDroppedChanges(const CopyContext& context, Connection& remote)
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
    int unintended = 0;
    auto rows = remote.openRecordset(QStringLiteral("select ") + columns.join(QLatin1Char(',')) +
                                     QStringLiteral(" from mt.qel_vr_log where sync_date is null"));
    for (; !rows->eof(); rows->moveNext()) {
        QStringList described;
        for (int i = 0; i < columns.size(); ++i)
            described.append(columns[i] + QLatin1Char('=') +
                             rows->value(i).value_or(QStringLiteral("(NULL)")));
        const bool byDesign =
            droppedByDesign(rows->value(0).value_or(QString()), rows->value(1).value_or(QString()));
        blocks +=
            syncErrorBlock(context.clock.now(), byDesign ? DroppedByDesign : DroppedUntransferred,
                           described.join(QLatin1Char(' ')), QStringLiteral("ClearRemoteLog"));
        if (!byDesign)
            ++unintended;
    }
    if (blocks.isEmpty())
        return true;
    if (!appendToLog(syncErrorLogPath(context.state), blocks)) {
        context.tableCopy.syncLogUnwritable = true;
        return false;
    }
    context.tableCopy.syncLogBlocks += unintended;
    return true;
}
