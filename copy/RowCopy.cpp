#include "copy/RowCopy.h"

#include "base/ErrorReporter.h"
#include "copy/Catalogue.h"
#include "copy/CopyContext.h"
#include "copy/CopyTrace.h"
#include "copy/SqlLiteral.h"
#include "copy/SyncErrorLog.h"
#include "db/Command.h"
#include "db/CommitBatch.h"
#include "session/Sessions.h"

namespace {

constexpr int MaxColumns = 301;
const QString crlf = QStringLiteral("\r\n");

struct CopyColumn
{
    QString name;
    FieldFormat format;
};

// The values of the current row: "('a',NULL,'3');commit". Throws DbError for a value that
// cannot be written as its column's format.
QString valuesText(const Recordset& rs, const QList<CopyColumn>& columns)
{
    QString values = QStringLiteral("(");
    for (int i = 0; i < columns.size(); ++i) {
        const DbValue value = rs.value(i);
        const std::optional<QString> literal = fieldLiteral(value, columns[i].format);
        if (!literal)
            throw conversionError(value.value_or(QString()), columns[i].format);
        values += *literal + QLatin1Char(',');
    }
    values.chop(1);
    return values + QStringLiteral(");commit");
}

class CopyRun
{
public:
    CopyRun(const CopyContext& context, const QString& destTable, const QString& mode)
        : m_context(context)
    {
        CopyState& copy = context.tableCopy;
        if (!copy.traceText.isEmpty())
            copy.traceText += crlf;
        copy.copyHeader = QStringLiteral("CopyToDestTable - ") + destTable +
                          QStringLiteral(" from ") + mode + crlf;
    }

    // The trace box under DEBUGGING: the transfer's step, this copy's title, this step.
    void step(const QString& text)
    {
        const CopyState& copy = m_context.tableCopy;
        showCopyTrace(m_context, copy.traceText + copy.copyHeader + text);
    }

    void showCount(long count)
    {
        m_context.statistics.showRunningCounter(m_context.state.runningCounter, count);
    }

private:
    CopyContext m_context;
};

} // namespace

long CopyToDestTable(const CopyContext& context, const QString& selectStatement,
                     const QString& destTable, const QString& mode)
{
    context.ui.setBusy(true);
    const QString code = mode.toUpper();
    const Side sourceSide = code == QLatin1String("R") ? Side::Remote : Side::Master;
    const Side destSide = code == QLatin1String("M") ? Side::Remote : Side::Master;
    CopyRun run(context, destTable, mode);
    StatisticsSheet& sheet = context.statistics;
    Command source;
    Command dest;
    Command* current = &source;
    long count = 0;
    try {
        source.setActiveConnection(&userConnection(context, sourceSide));
        dest.setActiveConnection(&userConnection(context, destSide));

        run.step(QStringLiteral("execute statement against source database"));
        source.setCommandText(selectStatement);
        std::unique_ptr<Recordset> rs = source.open();
        if (!rs->eof()) {
            run.step(QStringLiteral("get columns and data types"));
            if (rs->fieldCount() > MaxColumns)
                throw DbError(9, QStringLiteral(
                                     "Subscript out of range: %1 columns, at most %2 can be copied")
                                     .arg(rs->fieldCount())
                                     .arg(MaxColumns));
            QList<CopyColumn> columns;
            QStringList names;
            for (int i = 0; i < rs->fieldCount(); ++i) {
                // A long text arrives through a cast; it goes back into its own column.
                const QString name = resultColumnName(rs->fieldName(i));
                columns.append({name, fieldFormat(context, name, destTable)});
                names.append(name);
            }
            const QString insert = QStringLiteral("insert into ") + destTable +
                                   QStringLiteral(" (") + names.join(QLatin1Char(',')) +
                                   QStringLiteral(") values ");

            // Rows reach the destination in batches; what a stop leaves uncommitted is copied
            // again by the next run, whose gathering finds the same rows still pending.
            CommitBatch batch({&userConnection(context, destSide)});
            while (!rs->eof()) {
                current = &dest;
                batch.beginRow();
                try {
                    run.step(QStringLiteral("build values list"));
                    const QString values = valuesText(*rs, columns);
                    run.step(QStringLiteral("insert the row into the destination table"));
                    dest.setCommandText(insert + values);
                    dest.execute();
                    ++count;
                    run.showCount(count);
                } catch (const DbError& e) {
                    // The destination is gone or locked: every further row would fail the same
                    // way.
                    if (stopsTheWork(e.description()))
                        throw;
                    LogSyncError(context, syncErrorText(e),
                                 selectStatement + QLatin1Char(';') + dest.commandText(),
                                 QStringLiteral("CopyToDestTable"));
                }
                batch.endRow();
                sheet.rowDone();
                run.step(QStringLiteral("go to the next row"));
                context.ui.yield();
                current = &source;
                rs->moveNext();
            }
            current = &dest;
            batch.commit();
        }
        rs->close();
    } catch (const DbError& e) {
        ReportError(context, e, QStringLiteral("VRW1,CopyToDestTable"), current->commandText());
        return 0;
    }
    if (!context.state.switchDebugging)
        sheet.showRunningCounter(false);
    run.step(QStringLiteral("    Completed"));
    context.ui.setBusy(false);
    return count;
}
