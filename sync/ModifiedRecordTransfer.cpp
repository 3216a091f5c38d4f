#include "sync/ModifiedRecordTransfer.h"

#include "base/ErrorReporter.h"
#include "copy/Catalogue.h"
#include "copy/CopyContext.h"
#include "copy/FieldFormat.h"
#include "copy/SqlLiteral.h"
#include "copy/SyncErrorLog.h"
#include "db/Command.h"
#include "db/CommitBatch.h"
#include "session/Sessions.h"
#include "sync/ChangeLog.h"
#include "sync/DroppedChanges.h"
#include "sync/LogCleanup.h"
#include "sync/ModifiedRecordFamilies.h"
#include "sync/TransferHistory.h"

#include <QHash>
#include <QSet>
#include <map>

using ChangeLog::Family;
using namespace ModifiedRecords;

namespace {
class ModifiedRecordTransfer
{
public:
    explicit ModifiedRecordTransfer(const CopyContext& context)
        : m_context(context), m_state(context.state), m_sheet(context.statistics)
    {
    }

    void run();

private:
    // Returns false when the run must stop (a lost connection was reported).
    bool transferFamily(const FamilyFacts& facts, qint32& total);
    bool transferStretch(const FamilyFacts& facts, Recordset& rows, CommitBatch& batch,
                         qint32& counter);
    std::optional<QString> stretchEnd(const FamilyFacts& facts,
                                      const std::optional<QString>& after);
    void transferRow(const FamilyFacts& facts, const LogRow& row, qint32& counter);
    bool transferValField(const FamilyFacts& facts, const LogRow& row);
    bool transferColumn(const FamilyFacts& facts, const LogRow& row);
    void writeColumn(const FamilyFacts& facts, const LogRow& row, const QString& literal);
    void checkColumn(const FamilyFacts& facts, const LogRow& row);
    // The column as the value's select names it; a column's type does not change during a
    // run, so the catalogue is asked once per table and column.
    QString formatted(const QString& table, const QString& column);
    bool settleInterruptedRun();
    qint32 carriedBefore(Family family) const
    {
        const auto found = m_carriedBefore.find(ChangeLog::affectedTable(family));
        return found == m_carriedBefore.end() ? 0 : found->second;
    }
    void recordRun();
    bool lost() const { return m_state.errorOccurred; }

    CopyContext m_context;
    SessionState& m_state;
    StatisticsSheet& m_sheet;
    Command m_remote;
    Command m_master;
    QString m_statement; // the statement last built, for a report
    // The column names of each family's table, lower case, as the catalogue lists them.
    std::map<Family, QSet<QString>> m_columns;
    QHash<QString, QString> m_formatted; // by "table.column", lower case
    // This workstation's history: the stop times of its runs.
    QList<QDateTime> m_history;
    // Rows an interrupted run carried and marked but did not record, by affected_table.
    std::map<QString, qint32> m_carriedBefore;
    qint32 m_listed = 0;       // pending rows listed by this run
    bool m_anyPending = false; // when the run started
    // The event date of the last change pending when the run started, as a literal; none when
    // that date cannot be read (a damaged row, which sorts after every real date).
    std::optional<QString> m_lastPending;
};

void ModifiedRecordTransfer::run()
{
    Ui& ui = m_context.ui;
    try {
        m_remote.setActiveConnection(&userConnection(m_context, Side::Remote));
        m_master.setActiveConnection(&userConnection(m_context, Side::Master));
        ui.setBusy(true);
        m_sheet.show();
        m_sheet.setText(QStringLiteral("Function"), m_context.phrase(411));
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(412));
        m_sheet.setText(QStringLiteral("dbrecords(0)"), m_context.phrase(413));
        m_sheet.setProgressBar(0);
        if (m_state.transferStartTime.isEmpty())
            m_state.transferStartTime = timestampText(m_context.clock.now());
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(452));
        m_sheet.setProgressBar(5);

        // Rows an interrupted run carried without recording them count as this run's.
        const bool recordedBefore = settleInterruptedRun();
        const bool results = ChangeLog::resultsTakePart(m_state.remoteSchemaVersion);
        qint32 pending = 0;
        for (const FamilyFacts& facts : families()) {
            if (facts.has(VersionGated) && !results)
                continue;
            m_statement = countQuery(facts.family);
            m_remote.setCommandText(m_statement);
            const qint32 count =
                m_remote.open()->value(0).value_or(QString()).toInt() + carriedBefore(facts.family);
            m_sheet.setNumber(
                StatisticsSheet::box(StatisticsSheet::Column::Mtotal, QLatin1String(facts.suffix)),
                count);
            // The validation tables have rows of their own, left out of the totals.
            if (!facts.has(Validation))
                pending += count;
            ui.yield();
        }
        m_sheet.setNumber(QStringLiteral("Mtotal"), pending);
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(402));
        m_sheet.setProgressBar(10);

        // Rows logged while the run goes on (after the last one pending now) wait for the next
        // run.
        m_statement = QStringLiteral("select max(event_date) from mt.qel_vr_log where sync_date "
                                     "is null and action='UPD'");
        m_remote.setCommandText(m_statement);
        const DbValue last = m_remote.open()->value(0);
        m_anyPending = last.has_value();
        m_lastPending = fieldLiteral(last, FieldFormat{FieldFormat::Timestamp, false});
        qint32 total = 0;
        for (const FamilyFacts& facts : families()) {
            if (facts.has(VersionGated) && !results)
                continue;
            if (!transferFamily(facts, total))
                return;
        }
        m_sheet.showRunningCounter(false);
        m_sheet.setNumber(QStringLiteral("Minsttotal"), total);
        m_state.modifiedRecordTotal = total;

        // A re-run that only found an interrupted run's rows, already in the history, has no
        // work of its own to record.
        if (!(recordedBefore && m_listed == 0 && m_carriedBefore.empty()))
            recordRun();

        // Marked rows go; so do the inventory's insert entries, which the new-record
        // transfer has dealt with by now. One still pending is written to syncerr.log first;
        // when that cannot be written it stays.
        const bool itemsWrittenDown =
            recordDroppedChanges(m_context, userConnection(m_context, Side::Remote),
                                 QStringLiteral("affected_table='INVENTORY' and action='INS'"));
        m_statement =
            QStringLiteral("delete from mt.qel_vr_log where sync_date is not null;commit");
        if (itemsWrittenDown)
            m_statement += QStringLiteral(";delete from mt.qel_vr_log where "
                                          "affected_table='inventory' and action='INS';commit");
        m_remote.setCommandText(m_statement);
        m_remote.execute();

        m_context.events.UpdateMenuStatus();
        if (lost())
            return;
        m_sheet.setText(QStringLiteral("Function"), m_context.phrase(409));
        m_sheet.setProgressBar(100);
        ui.setBusy(false);

        if ((m_state.newRecordsPending || m_state.modifiedRecordsPending) &&
            m_context.tableCopy.syncError)
            ui.message({m_context.phrase(564) + QStringLiteral("\r\n\r\n") + m_context.phrase(565),
                        m_context.phrase(101), MessageIcon::Exclamation, MessageButtons::Ok,
                        std::nullopt});
        else
            ClearRemoteLog(m_context);
        if (m_context.tableCopy.syncLogUnwritable)
            ui.message({QStringLiteral("syncerr.log (%1) could not be written. The changes it "
                                       "should have recorded stay in the change log of the "
                                       "Remote Database; make the file writable and synchronise "
                                       "again.")
                            .arg(syncErrorLogPath(m_state)),
                        m_context.phrase(101), MessageIcon::Exclamation, MessageButtons::Ok,
                        std::nullopt});
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(239));
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(410));
        // The next synchronisation of this session starts its own clock and counts.
        m_state.transferStartTime.clear();
        m_state.newRecordTotal = 0;
    } catch (const DbError& e) {
        ReportError(m_context, e, QStringLiteral("VRW1,TransferModifiedRecords"), m_statement);
    }
}

// A family's pending rows are read a stretch of event dates at a time, each about a few
// thousand rows long, so that the run holds only the rows in flight however many are pending.
// A stretch starts after the last one's end date, so rows that failed (and stay pending) are
// not met again.
bool ModifiedRecordTransfer::transferFamily(const FamilyFacts& facts, qint32& total)
{
    qint32 counter = carriedBefore(facts.family);
    const QString pendingBox =
        StatisticsSheet::box(StatisticsSheet::Column::Mtotal, QLatin1String(facts.suffix));
    if (facts.progressAfter)
        m_sheet.expectRows(facts.barAfter, m_sheet.number(pendingBox) - counter);
    CommitBatch batch(
        {&userConnection(m_context, Side::Master), &userConnection(m_context, Side::Remote)});
    std::optional<QString> after;
    while (m_anyPending) {
        const std::optional<QString> upTo = stretchEnd(facts, after);
        m_statement = logQuery(facts, after, upTo);
        m_remote.setCommandText(m_statement);
        if (!transferStretch(facts, *m_remote.open(), batch, counter))
            return false;
        if (upTo == m_lastPending)
            break;
        after = upTo;
    }
    m_statement = QStringLiteral("commit");
    batch.commit();
    m_sheet.setNumber(
        StatisticsSheet::box(StatisticsSheet::Column::Mnumber, QLatin1String(facts.suffix)),
        counter);
    if (!facts.has(Validation))
        total += counter;
    if (facts.progressAfter) {
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(facts.progressAfter));
        m_sheet.setProgressBar(facts.barAfter);
    }
    return true;
}

std::optional<QString> ModifiedRecordTransfer::stretchEnd(const FamilyFacts& facts,
                                                          const std::optional<QString>& after)
{
    constexpr int stretchRows = 4096;
    m_statement = stretchEndQuery(facts, after, m_lastPending, stretchRows);
    m_remote.setCommandText(m_statement);
    std::unique_ptr<Recordset> end = m_remote.open();
    // Fewer rows are left, or an event date that cannot be read: the rest in one stretch.
    const std::optional<QString> date =
        end->eof() ? std::nullopt
                   : fieldLiteral(end->value(0), FieldFormat{FieldFormat::Timestamp, false});
    // A date stored in another form than its literal could end a stretch before it starts; the
    // rest then goes in one stretch too, so that every stretch moves on.
    if (!date || (after && *date <= *after))
        return m_lastPending;
    return date;
}

bool ModifiedRecordTransfer::transferStretch(const FamilyFacts& facts, Recordset& rows,
                                             CommitBatch& batch, qint32& counter)
{
    const QString procedure =
        QStringLiteral("TransferModifiedRecords-") + QLatin1String(facts.procedure);
    while (!rows.eof()) {
        const LogRow row = readLogRow(facts.log, rows);
        ++m_listed;
        batch.beginRow();
        try {
            transferRow(facts, row, counter);
        } catch (const DbError& e) {
            // A connection that is gone (or a database locked by another program) fails every
            // row that follows: stop the run instead.
            if (stopsTheWork(e.description()))
                throw;
            LogSyncError(m_context, syncErrorText(e), m_statement, procedure);
        }
        if (lost())
            return false;
        m_statement = QStringLiteral("commit");
        batch.endRow();
        m_sheet.rowDone();
        m_context.ui.yield();
        try {
            rows.moveNext();
        } catch (const DbError& e) {
            LogSyncError(m_context, syncErrorText(e), m_statement, procedure);
            rows.moveNext();
        }
    }
    rows.close();
    return true;
}

// A validation field's log row names the field and the changed column, not which of the
// field's values changed; one statement keyed by the field alone would give every value of
// the field the first value's text. Each value is carried by its own key (fldnum, val)
// instead. Returns false when the field has no values left on the Remote Database.
bool ModifiedRecordTransfer::transferValField(const FamilyFacts& facts, const LogRow& row)
{
    m_statement = QStringLiteral("select val,") + row.column +
                  QStringLiteral(" from mt.valfield where fldnum=") + sqlText(row.key);
    m_remote.setCommandText(m_statement);
    std::unique_ptr<Recordset> values = m_remote.open(CursorType::Static);
    if (values->eof())
        return false;
    const FieldFormat format = fieldFormat(m_context, row.column, QStringLiteral("valfield"));
    QList<std::pair<LogRow, QString>> writes;
    for (; !values->eof(); values->moveNext()) {
        const DbValue value = values->value(1);
        const std::optional<QString> literal = fieldLiteral(value, format);
        if (!literal)
            throw conversionError(value.value_or(QString()), format);
        LogRow ofValue = row;
        ofValue.secondKey = values->value(0).value_or(QString());
        writes.append({ofValue, *literal});
    }
    for (const auto& [ofValue, literal] : std::as_const(writes))
        writeColumn(facts, ofValue, literal);
    return true;
}

void ModifiedRecordTransfer::transferRow(const FamilyFacts& facts, const LogRow& row,
                                         qint32& counter)
{
    checkColumn(facts, row);
    bool present = true;
    if (facts.family == Family::ValField)
        present = transferValField(facts, row);
    else if (facts.family == Family::ValLinkData)
        // The new value travels in the log itself.
        writeColumn(facts, row, row.value ? sqlText(*row.value) : QStringLiteral("NULL"));
    else
        present = transferColumn(facts, row);
    if (lost())
        return;
    // A record gone from the Remote Database has nothing to carry, but its entry is done.
    if (!present)
        --counter;
    m_statement = markStatement(facts, row);
    m_remote.setCommandText(m_statement);
    m_remote.execute();
    ++counter;
    m_sheet.showRunningCounter(m_state.runningCounter, counter);
}

bool ModifiedRecordTransfer::transferColumn(const FamilyFacts& facts, const LogRow& row)
{
    const QString table = ChangeLog::tableName(facts.family);
    const QString column = facts.has(ReadFormatted) ? formatted(table, row.column) : row.column;
    if (lost())
        return true;
    m_statement = QStringLiteral("select ") + column + QStringLiteral(" from ") +
                  qualifiedTable(facts, m_state.remoteUserSegregate) + keyCondition(facts, row);
    // A value that cannot be read is this row's failure, not the run's.
    const QString value = columnValueLiteral(m_context, m_statement, table);
    if (value == DeletedRecord)
        return false;
    writeColumn(facts, row, value);
    return true;
}

// A run that was interrupted after it marked rows as carried leaves them in the log. Those its
// history row records (the marks carry the run's stop time) are removed; the others were
// carried but not recorded, and this run counts them as its own. True when the log held rows
// of a recorded run.
bool ModifiedRecordTransfer::settleInterruptedRun()
{
    m_statement = QStringLiteral("select stop_time from mt.qel_vr_transfer_log where host_name=") +
                  sqlText(m_state.remoteMachineName);
    m_master.setCommandText(m_statement);
    for (auto rs = m_master.open(); !rs->eof(); rs->moveNext())
        m_history.append(engineTimestamp(rs->value(0).value_or(QString())));

    // A run's marks all carry its stop time once it recorded itself, so either every stamp
    // left is in the history or none is; anything else is kept and counted, to be safe.
    m_statement =
        QStringLiteral("select distinct sync_date from mt.qel_vr_log where sync_date is not null");
    m_remote.setCommandText(m_statement);
    bool any = false;
    bool allRecorded = true;
    for (auto rs = m_remote.open(CursorType::Static); !rs->eof(); rs->moveNext()) {
        any = true;
        allRecorded =
            allRecorded && m_history.contains(engineTimestamp(rs->value(0).value_or(QString())));
    }
    const bool recorded = any && allRecorded;
    if (recorded) {
        m_statement =
            QStringLiteral("delete from mt.qel_vr_log where sync_date is not null;commit");
        m_remote.setCommandText(m_statement);
        m_remote.execute();
    }

    m_statement = QStringLiteral("select affected_table,count(xtag) from mt.qel_vr_log where "
                                 "sync_date is not null and action='UPD' group by affected_table");
    m_remote.setCommandText(m_statement);
    for (auto rs = m_remote.open(CursorType::Static); !rs->eof(); rs->moveNext())
        m_carriedBefore[rs->value(0).value_or(QString()).trimmed().toUpper()] =
            rs->value(1).value_or(QString()).toInt();
    return recorded;
}

// The history row, and the run's stop time stamped on every row it marked: a stop time later
// than any this workstation recorded before, so no two runs share one.
void ModifiedRecordTransfer::recordRun()
{
    QDateTime stop = m_context.clock.now();
    stop = stop.addMSecs(-stop.time().msec());
    for (const QDateTime& earlier : std::as_const(m_history)) {
        if (earlier.isValid() && earlier >= stop)
            stop = earlier.addSecs(1);
    }
    m_state.transferStopTime = timestampText(stop);
    m_statement = QStringLiteral("update mt.qel_vr_log set sync_date=") +
                  sqlText(m_state.transferStopTime) +
                  QStringLiteral(" where sync_date is not null;commit");
    m_remote.setCommandText(m_statement);
    m_remote.execute();

    m_statement = synchronizeHistoryStatement(m_context, m_context.phrase(243));
    m_master.setCommandText(m_statement);
    m_master.execute();
}

// The logged column name becomes part of the statements that read and write the value, so only
// a name the catalogue lists for the family's table is accepted; anything else (a damaged or
// forged log row) is a row failure.
void ModifiedRecordTransfer::checkColumn(const FamilyFacts& facts, const LogRow& row)
{
    const QString table = ChangeLog::tableName(facts.family);
    auto known = m_columns.find(facts.family);
    if (known == m_columns.end()) {
        m_statement = columnCatalogueQuery(table);
        m_remote.setCommandText(m_statement);
        QSet<QString> names;
        for (auto rs = m_remote.open(); !rs->eof(); rs->moveNext())
            names.insert(rs->value(0).value_or(QString()).toLower());
        known = m_columns.emplace(facts.family, names).first;
    }
    if (!known->second.contains(row.column.toLower()))
        throw DbError(0, QStringLiteral("The change log names a column that table %1 does not "
                                        "have: %2 (key %3)")
                             .arg(table, row.column, row.key));
}

QString ModifiedRecordTransfer::formatted(const QString& table, const QString& column)
{
    const QString key = (table + QLatin1Char('.') + column).toLower();
    const auto known = m_formatted.constFind(key);
    if (known != m_formatted.constEnd())
        return *known;
    const QString name = ColumnFormatted(m_context, column, table);
    if (!lost())
        m_formatted.insert(key, name);
    return name;
}

void ModifiedRecordTransfer::writeColumn(const FamilyFacts& facts, const LogRow& row,
                                         const QString& literal)
{
    m_statement = QStringLiteral("update ") + qualifiedTable(facts, m_state.masterUserSegregate) +
                  QStringLiteral(" set ") + row.column + QLatin1Char('=') + literal +
                  keyCondition(facts, row) + QStringLiteral(";commit");
    m_master.setCommandText(m_statement);
    // A write that finds no row (the master lacks the record, or the key itself was changed in
    // the field) carries nothing: the change stays pending.
    if (m_master.execute() == 0)
        throw DbError(0, QStringLiteral("The Master Database has no %1 row with this key: the "
                                        "change was not carried")
                             .arg(ChangeLog::tableName(facts.family)));
}

} // namespace

void TransferModifiedRecords(const CopyContext& context)
{
    ModifiedRecordTransfer(context).run();
}
