#include "sync/DroppedChanges.h"

#include "base/LogFiles.h"
#include "copy/CopyContext.h"
#include "copy/SyncErrorLog.h"

#include <QSet>
#include <QStringList>

bool droppedByDesign(const QString& action, const QString& affectedTable)
{
    // The transfers carry new rows and changes; the only deletions they carry are of
    // validation values. A record of any other table deleted in the field stays in the master.
    static const QStringList leftToTheMaster = {
        QStringLiteral("INVENTORY"),  QStringLiteral("CALIBRATION"), QStringLiteral("STANDARDS"),
        QStringLiteral("CALRESULTS"), QStringLiteral("RESULTS"),     QStringLiteral("RESULTS_RAW"),
        QStringLiteral("LOCATION"),   QStringLiteral("REPAIR"),      QStringLiteral("CUSTOMERS")};
    return action.compare(QLatin1String("DEL"), Qt::CaseInsensitive) == 0 &&
           leftToTheMaster.contains(affectedTable.trimmed(), Qt::CaseInsensitive);
}

namespace {

// The row an INS or DEL entry speaks of: table, key and second key.
QString rowIdentity(const QStringList& values)
{
    return values[1].trimmed().toUpper() + QLatin1Char('\n') + values[2].trimmed().toUpper() +
           QLatin1Char('\n') + values[3].trimmed().toUpper();
}

} // namespace

bool recordDroppedChanges(const CopyContext& context, Connection& remote, const QString& condition)
{
    const QStringList columns = {QStringLiteral("action"),
                                 QStringLiteral("affected_table"),
                                 QStringLiteral("xtag"),
                                 QStringLiteral("xtag_additional"),
                                 QStringLiteral("affected_column"),
                                 QStringLiteral("i4201"),
                                 QStringLiteral("mtuser"),
                                 QStringLiteral("event_date")};
    const QString query = QStringLiteral("select ") + columns.join(QLatin1Char(',')) +
                          QStringLiteral(" from mt.qel_vr_log where sync_date is null");
    auto read = [&](const QString& text) {
        QList<QStringList> rows;
        for (auto rs = remote.openRecordset(text); !rs->eof(); rs->moveNext()) {
            QStringList values;
            for (int i = 0; i < columns.size(); ++i)
                values.append(rs->value(i).value_or(QStringLiteral("(NULL)")));
            rows.append(values);
        }
        return rows;
    };
    // Pairs are found among every pending row, whatever the rows written down.
    const QList<QStringList> everyRow = read(query);
    const QList<QStringList> pending =
        condition.isEmpty() ? everyRow : read(query + QStringLiteral(" and ") + condition);
    QSet<QString> inserted, deleted, deletedCalibrations;
    for (const QStringList& values : everyRow) {
        const QString action = values[0].trimmed().toUpper();
        if (action == QLatin1String("INS"))
            inserted.insert(rowIdentity(values));
        else if (action == QLatin1String("DEL")) {
            deleted.insert(rowIdentity(values));
            if (values[1].trimmed().toUpper() == QLatin1String("CALIBRATION"))
                deletedCalibrations.insert(values[2].trimmed().toUpper());
        }
    }
    static const QStringList calibrationParts = {
        QStringLiteral("STANDARDS"), QStringLiteral("CALRESULTS"), QStringLiteral("RESULTS"),
        QStringLiteral("RESULTS_RAW")};
    QString blocks;
    int unintended = 0;
    for (const QStringList& values : std::as_const(pending)) {
        QStringList described;
        for (int i = 0; i < columns.size(); ++i)
            described.append(columns[i] + QLatin1Char('=') + values[i]);
        const QString identity = rowIdentity(values);
        const bool cancelled = inserted.contains(identity) && deleted.contains(identity);
        // A calibration deleted in the field takes its standards and results with it.
        const bool withItsCalibration = values[0].trimmed().toUpper() == QLatin1String("DEL") &&
                                        calibrationParts.contains(values[1].trimmed().toUpper()) &&
                                        deletedCalibrations.contains(values[2].trimmed().toUpper());
        const bool byDesign =
            cancelled || withItsCalibration || droppedByDesign(values[0], values[1]);
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

bool recordMatchedToMaster(const CopyContext& context, const QString& described,
                           const QString& procedure)
{
    if (appendToLog(syncErrorLogPath(context.state),
                    syncErrorBlock(context.clock.now(), MatchedToMaster, described, procedure)))
        return true;
    context.tableCopy.syncLogUnwritable = true;
    return false;
}
