#include "sync/ModifiedRecordTransfer.h"

#include "base/ErrorReporter.h"
#include "copy/Catalogue.h"
#include "copy/CopyContext.h"
#include "copy/SqlLiteral.h"
#include "copy/SyncErrorLog.h"
#include "db/Command.h"
#include "session/Sessions.h"
#include "sync/ChangeLog.h"
#include "sync/LogCleanup.h"
#include "sync/TransferHistory.h"

#include <QSet>
#include <map>

using ChangeLog::Family;

namespace {

// Where a family's change-log query puts each field of a row: the columns listed, and the
// position of the key, the second key, the changed column and the logged value (-1: none).
struct LogLayout
{
    const char* columns;
    int key, secondKey, column, value;
};

constexpr LogLayout singleKey{"xtag,affected_column", 0, -1, 1, -1};
constexpr LogLayout twoKeys{"xtag,xtag_additional,affected_column", 0, 1, 2, -1};
constexpr LogLayout valFieldLog{"xtag,xtag_additional", 0, -1, 1, -1};
constexpr LogLayout valLinkLog{"xtag,affected_column,xtag_additional,i4201", 0, 3, 1, 2};

// Which log rows one mark covers besides the key.
enum class MarkBy
{
    Key,
    SecondKey,
    SecondKeyAndTable,
    Column
};

enum Trait : unsigned
{
    OrderedByEvent = 1, // the log rows are carried in the order they were logged
    VersionGated = 2,   // takes part only when the remote schema carries the table
    Validation = 4,     // a validation table: always the schema owner's, whatever the segregate
    ReadFormatted = 8,  // long text columns are read through a cast so they arrive whole
};

// Everything that sets one kind of logged modification apart: how its log rows are listed and
// read, the key columns its rows are found by, what a mark covers, which boxes count it, the
// procedure named in syncerr.log, and the status shown once it is done (0: unchanged).
struct FamilyFacts
{
    Family family;
    const char* suffix; // count boxes; none for the validation tables
    const char* procedure;
    LogLayout log;
    const char* keyColumn;
    const char* secondKeyColumn;
    MarkBy markBy;
    unsigned traits;
    int progressAfter;
    int barAfter;

    bool has(Trait trait) const { return (traits & trait) != 0; }
};

// The validation field's second key is the value's own key: see transferValField.
const FamilyFacts families[] = {
    {Family::Inventory, "inv", "Inventory", singleKey, "mtag", nullptr, MarkBy::Key,
     OrderedByEvent | ReadFormatted, 403, 40},
    {Family::Calibration, "cal", "Calibration", singleKey, "ctag", nullptr, MarkBy::Key,
     OrderedByEvent | ReadFormatted, 404, 50},
    {Family::Standards, "std", "Standards", twoKeys, "ctag", "c2430", MarkBy::SecondKey,
     OrderedByEvent, 405, 60},
    {Family::CalResults, "crs", "Results", twoKeys, "ctag", "c2502", MarkBy::SecondKey, 0, 415, 65},
    {Family::Results, "frs", "FullResults", twoKeys, "ctag", "row_num", MarkBy::SecondKeyAndTable,
     VersionGated, 416, 70},
    {Family::ResultsRaw, "rrs", "RawResults", twoKeys, "ctag", "row_num", MarkBy::SecondKeyAndTable,
     VersionGated, 406, 75},
    {Family::Location, "loc", "Location", singleKey, "ltag", nullptr, MarkBy::Key,
     OrderedByEvent | ReadFormatted, 407, 80},
    {Family::Repair, "rep", "Repair", singleKey, "rtag", nullptr, MarkBy::Key,
     OrderedByEvent | ReadFormatted, 408, 90},
    {Family::Customers, "cus", "Customers", singleKey, "ktag", nullptr, MarkBy::Key, OrderedByEvent,
     0, 0},
    {Family::ValField, nullptr, "ValFields", valFieldLog, "fldnum", "val", MarkBy::Key, Validation,
     0, 0},
    {Family::ValLinkData, nullptr, "ValLinks", valLinkLog, "root", "rootdata", MarkBy::Column,
     Validation, 0, 0},
};

QString logQuery(const FamilyFacts& facts)
{
    return QStringLiteral("select ") + QLatin1String(facts.log.columns) +
           QStringLiteral(" from mt.qel_vr_log where sync_date is null and affected_table='") +
           ChangeLog::affectedTable(facts.family) + QStringLiteral("' and action='UPD'") +
           (facts.has(OrderedByEvent) ? QStringLiteral(" order by event_date") : QString());
}

QString countQuery(Family f)
{
    return QStringLiteral("select count(xtag) from mt.qel_vr_log where sync_date is null and "
                          "action='UPD' and affected_table='") +
           ChangeLog::affectedTable(f) + QLatin1Char('\'');
}

// The fields of one change-log row, as its family lists them.
struct LogRow
{
    QString key, secondKey, column, value;
};

LogRow readLogRow(const LogLayout& layout, Recordset& rs)
{
    auto field = [&rs](int i) { return i < 0 ? QString() : rs.value(i).value_or(QString()); };
    return {field(layout.key), field(layout.secondKey), field(layout.column), field(layout.value)};
}

// The table as a statement names it: the validation tables always belong to "mt", the
// others to the connected user's segregate.
QString qualifiedTable(const FamilyFacts& facts, const QString& segregate)
{
    return (facts.has(Validation) ? QStringLiteral("mt") : segregate) + QLatin1Char('.') +
           ChangeLog::tableName(facts.family);
}

// "where mtag='M1'" or "where ctag='C1' and c2430='M2'", keys quoted with quotes doubled.
QString keyCondition(const FamilyFacts& facts, const LogRow& row)
{
    QString condition = QStringLiteral(" where ") + QLatin1String(facts.keyColumn) +
                        QLatin1Char('=') + sqlText(row.key);
    if (facts.secondKeyColumn)
        condition += QStringLiteral(" and ") + QLatin1String(facts.secondKeyColumn) +
                     QLatin1Char('=') + sqlText(row.secondKey);
    return condition;
}

QString markStatement(const FamilyFacts& facts, const LogRow& row)
{
    QString text =
        QStringLiteral("update mt.qel_vr_log set sync_date=now(*) where xtag=") + sqlText(row.key);
    switch (facts.markBy) {
    case MarkBy::Key:
        break;
    case MarkBy::SecondKey:
        text += QStringLiteral(" and xtag_additional=") + sqlText(row.secondKey);
        break;
    case MarkBy::SecondKeyAndTable:
        text += QStringLiteral(" and xtag_additional=") + sqlText(row.secondKey) +
                QStringLiteral(" and affected_table=") +
                sqlText(ChangeLog::affectedTable(facts.family));
        break;
    case MarkBy::Column:
        text += QStringLiteral(" and affected_column=") + sqlText(row.column);
        break;
    }
    return text + QStringLiteral(";commit");
}

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
    bool transferFamily(const FamilyFacts& facts, Recordset& rows, qint32& total);
    void transferRow(const FamilyFacts& facts, const LogRow& row, qint32& counter);
    bool transferValField(const FamilyFacts& facts, const LogRow& row);
    bool transferColumn(const FamilyFacts& facts, const LogRow& row);
    void writeColumn(const FamilyFacts& facts, const LogRow& row, const QString& literal);
    void checkColumn(const FamilyFacts& facts, const LogRow& row);
    bool lost() const { return m_state.errorOccurred; }

    CopyContext m_context;
    SessionState& m_state;
    StatisticsSheet& m_sheet;
    Command m_remote;
    Command m_master;
    QString m_statement; // the statement last built, for a report
    // The column names of each family's table, lower case, as the catalogue lists them.
    std::map<Family, QSet<QString>> m_columns;
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

        const bool results = ChangeLog::resultsTakePart(m_state.remoteSchemaVersion);
        qint32 pending = 0;
        for (const FamilyFacts& facts : families) {
            if (!facts.suffix || (facts.has(VersionGated) && !results))
                continue;
            m_statement = countQuery(facts.family);
            m_remote.setCommandText(m_statement);
            const qint32 count = m_remote.open()->value(0).value_or(QString()).toInt();
            m_sheet.setNumber(
                StatisticsSheet::box(StatisticsSheet::Column::Mtotal, QLatin1String(facts.suffix)),
                count);
            pending += count;
            ui.yield();
        }
        m_sheet.setNumber(QStringLiteral("Mtotal"), pending);
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(402));
        m_sheet.setProgressBar(10);

        // Every family's pending rows are listed before the first of them is marked: a mark
        // by key alone also marks rows of other families that share the key (a calibration
        // and its results), and those rows must still carry their columns.
        std::vector<std::pair<const FamilyFacts*, std::unique_ptr<Recordset>>> pendingRows;
        for (const FamilyFacts& facts : families) {
            if (facts.has(VersionGated) && !results)
                continue;
            m_statement = logQuery(facts);
            m_remote.setCommandText(m_statement);
            pendingRows.emplace_back(&facts, m_remote.open(CursorType::Static));
        }
        qint32 total = 0;
        for (auto& [facts, rows] : pendingRows) {
            if (!transferFamily(*facts, *rows, total))
                return;
        }
        m_sheet.showRunningCounter(false);

        // Marked rows go; so do the inventory's insert entries, which the new-record
        // transfer has dealt with by now.
        m_statement = QStringLiteral(
            "delete from mt.qel_vr_log where sync_date is not null;commit;"
            "delete from mt.qel_vr_log where affected_table='inventory' and action='INS';commit");
        m_remote.setCommandText(m_statement);
        m_remote.execute();

        m_context.events.UpdateMenuStatus();
        if (lost())
            return;
        m_sheet.setNumber(QStringLiteral("Minsttotal"), total);
        m_sheet.setText(QStringLiteral("Function"), m_context.phrase(409));
        m_sheet.setProgressBar(100);
        m_state.modifiedRecordTotal = total;
        ui.setBusy(false);

        if ((m_state.newRecordsPending || m_state.modifiedRecordsPending) &&
            m_context.tableCopy.syncError)
            ui.message({m_context.phrase(564) + QStringLiteral("\r\n\r\n") + m_context.phrase(565),
                        m_context.phrase(101), MessageIcon::Exclamation, MessageButtons::Ok,
                        std::nullopt});
        else
            ClearRemoteLog(m_context);
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(239));

        m_state.transferStopTime = timestampText(m_context.clock.now());
        m_master.setActiveConnection(&userConnection(m_context, Side::Master));
        m_statement = synchronizeHistoryStatement(m_context, m_context.phrase(243));
        m_master.setCommandText(m_statement);
        m_master.execute();
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(410));
        // The next synchronisation of this session starts its own clock.
        m_state.transferStartTime.clear();
    } catch (const DbError& e) {
        ReportError(m_context, e, QStringLiteral("VRW1,TransferModifiedRecords"), m_statement);
    }
}

bool ModifiedRecordTransfer::transferFamily(const FamilyFacts& facts, Recordset& rows,
                                            qint32& total)
{
    const QString procedure =
        QStringLiteral("TransferModifiedRecords-") + QLatin1String(facts.procedure);
    qint32 counter = 0;
    while (!rows.eof()) {
        try {
            transferRow(facts, readLogRow(facts.log, rows), counter);
        } catch (const DbError& e) {
            // A connection that is gone (or a database locked by another program) fails every
            // row that follows: stop the run instead.
            if (stopsTheWork(e.description()))
                throw;
            LogSyncError(m_context, syncErrorText(e), m_statement, procedure);
        }
        if (lost())
            return false;
        m_context.ui.yield();
        try {
            rows.moveNext();
        } catch (const DbError& e) {
            LogSyncError(m_context, syncErrorText(e), m_statement, procedure);
            rows.moveNext();
        }
    }
    rows.close();
    if (facts.suffix) {
        m_sheet.setNumber(
            StatisticsSheet::box(StatisticsSheet::Column::Mnumber, QLatin1String(facts.suffix)),
            counter);
        total += counter;
    }
    if (facts.progressAfter) {
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(facts.progressAfter));
        m_sheet.setProgressBar(facts.barAfter);
    }
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
        writeColumn(facts, row, sqlText(row.value)); // the new value travels in the log itself
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
    const QString column =
        facts.has(ReadFormatted) ? ColumnFormatted(m_context, row.column, table) : row.column;
    if (lost())
        return true;
    m_statement = QStringLiteral("select ") + column + QStringLiteral(" from ") +
                  qualifiedTable(facts, m_state.remoteUserSegregate) + keyCondition(facts, row);
    const QString value = ColumnValue(m_context, m_statement, table);
    if (lost())
        return true;
    if (value == DeletedRecord)
        return false;
    writeColumn(facts, row, value);
    return true;
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

void ModifiedRecordTransfer::writeColumn(const FamilyFacts& facts, const LogRow& row,
                                         const QString& literal)
{
    m_statement = QStringLiteral("update ") + qualifiedTable(facts, m_state.masterUserSegregate) +
                  QStringLiteral(" set ") + row.column + QLatin1Char('=') + literal +
                  keyCondition(facts, row) + QStringLiteral(";commit");
    m_master.setCommandText(m_statement);
    m_master.execute();
}

} // namespace

void TransferModifiedRecords(const CopyContext& context)
{
    ModifiedRecordTransfer(context).run();
}
