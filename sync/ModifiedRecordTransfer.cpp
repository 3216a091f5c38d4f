#include "sync/ModifiedRecordTransfer.h"

#include "base/ErrorReporter.h"
#include "copy/CopyContext.h"
#include "copy/Catalogue.h"
#include "copy/SqlLiteral.h"
#include "copy/SyncErrorLog.h"
#include "db/Command.h"
#include "session/Sessions.h"
#include "sync/ChangeLog.h"
#include "sync/LogCleanup.h"
#include "sync/TransferHistory.h"

using ChangeLog::Family;

namespace {

// One kind of logged modification: how its log rows are listed, which boxes count them, the
// procedure named in syncerr.log, and the status shown once it is done (0: unchanged).
struct FamilySpec
{
    Family family;
    const char* suffix; // count boxes; none for the validation tables
    const char* procedure;
    const char* logColumns;
    bool orderedByEvent;
    int progressAfter;
    int barAfter;
};

const FamilySpec families[] = {
    {Family::Inventory, "inv", "Inventory", "xtag,affected_column", true, 403, 40},
    {Family::Calibration, "cal", "Calibration", "xtag,affected_column", true, 404, 50},
    {Family::Standards, "std", "Standards", "xtag,xtag_additional,affected_column", true, 405, 60},
    {Family::CalResults, "crs", "Results", "xtag,xtag_additional,affected_column", false, 415, 65},
    {Family::Results, "frs", "FullResults", "xtag,xtag_additional,affected_column", false, 416, 70},
    {Family::ResultsRaw, "rrs", "RawResults", "xtag,xtag_additional,affected_column", false, 406, 75},
    {Family::Location, "loc", "Location", "xtag,affected_column", true, 407, 80},
    {Family::Repair, "rep", "Repair", "xtag,affected_column", true, 408, 90},
    {Family::Customers, "cus", "Customers", "xtag,affected_column", true, 0, 0},
    {Family::ValField, nullptr, "ValFields", "xtag,xtag_additional", false, 0, 0},
    {Family::ValLinkData, nullptr, "ValLinks", "xtag,affected_column,xtag_additional,i4201", false, 0, 0},
};

bool versionGated(Family f)
{
    return f == Family::Results || f == Family::ResultsRaw;
}

QString logQuery(const FamilySpec& spec)
{
    return QStringLiteral("select ") + QLatin1String(spec.logColumns) +
           QStringLiteral(" from mt.qel_vr_log where sync_date is null and affected_table='") +
           ChangeLog::affectedTable(spec.family) + QStringLiteral("' and action='UPD'") +
           (spec.orderedByEvent ? QStringLiteral(" order by event_date") : QString());
}

QString countQuery(Family f)
{
    return QStringLiteral("select count(xtag) from mt.qel_vr_log where sync_date is null and "
                          "action='UPD' and affected_table='") +
           ChangeLog::affectedTable(f) + QLatin1Char('\'');
}

// The key column (and second key column) by which a family's row is found.
std::pair<const char*, const char*> keyColumns(Family f)
{
    switch (f) {
    case Family::Inventory:
        return {"mtag", nullptr};
    case Family::Calibration:
        return {"ctag", nullptr};
    case Family::Standards:
        return {"ctag", "c2430"};
    case Family::CalResults:
        return {"ctag", "c2502"};
    case Family::Results:
    case Family::ResultsRaw:
        return {"ctag", "row_num"};
    case Family::Location:
        return {"ltag", nullptr};
    case Family::Repair:
        return {"rtag", nullptr};
    case Family::Customers:
        return {"ktag", nullptr};
    case Family::ValField:
        return {"fldnum", "val"}; // the value's own key: see transferValField
    case Family::ValLinkData:
        return {"root", "rootdata"};
    }
    return {nullptr, nullptr};
}

// The fields of one change-log row, as its family lists them.
struct LogRow
{
    QString key, secondKey, column, value;
};

LogRow readLogRow(Family f, Recordset& rs)
{
    auto field = [&rs](int i) { return rs.value(i).value_or(QString()); };
    switch (f) {
    case Family::Standards:
    case Family::CalResults:
    case Family::Results:
    case Family::ResultsRaw:
        return {field(0), field(1), field(2), QString()};
    case Family::ValField:
        return {field(0), QString(), field(1), QString()};
    case Family::ValLinkData:
        return {field(0), field(3), field(1), field(2)};
    default:
        return {field(0), QString(), field(1), QString()};
    }
}

// The table as a statement names it: the validation tables always belong to "mt", the
// others to the connected user's segregate.
QString qualifiedTable(Family f, const QString& segregate)
{
    const bool validation = f == Family::ValField || f == Family::ValLinkData;
    return (validation ? QStringLiteral("mt") : segregate) + QLatin1Char('.') + ChangeLog::tableName(f);
}

// "where mtag='M1'" or "where ctag='C1' and c2430='M2'", keys quoted with quotes doubled.
QString keyCondition(Family f, const LogRow& row)
{
    const auto [first, second] = keyColumns(f);
    QString condition = QStringLiteral(" where ") + QLatin1String(first) + QLatin1Char('=') + sqlText(row.key);
    if (second)
        condition += QStringLiteral(" and ") + QLatin1String(second) + QLatin1Char('=') + sqlText(row.secondKey);
    return condition;
}

QString markStatement(Family f, const LogRow& row)
{
    QString text = QStringLiteral("update mt.qel_vr_log set sync_date=now(*) where xtag=") + sqlText(row.key);
    switch (f) {
    case Family::Standards:
    case Family::CalResults:
        text += QStringLiteral(" and xtag_additional=") + sqlText(row.secondKey);
        break;
    case Family::Results:
    case Family::ResultsRaw:
        text += QStringLiteral(" and xtag_additional=") + sqlText(row.secondKey) +
                QStringLiteral(" and affected_table=") + sqlText(ChangeLog::affectedTable(f));
        break;
    case Family::ValLinkData:
        text += QStringLiteral(" and affected_column=") + sqlText(row.column);
        break;
    default:
        break;
    }
    return text + QStringLiteral(";commit");
}

// Long text columns of the single-key tables are read through a cast so they arrive whole;
// the two-key tables and the validation tables name the column as logged.
bool readsFormattedColumn(Family f)
{
    return f == Family::Inventory || f == Family::Calibration || f == Family::Location ||
           f == Family::Repair;
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
    bool transferFamily(const FamilySpec& spec, Recordset& rows, qint32& total);
    void transferRow(const FamilySpec& spec, const LogRow& row, qint32& counter);
    bool transferValField(const LogRow& row);
    bool transferColumn(Family f, const LogRow& row);
    void writeColumn(Family f, const LogRow& row, const QString& literal);
    void showCounter(qint32 counter);
    bool lost() const { return m_state.errorOccurred; }

    CopyContext m_context;
    SessionState& m_state;
    StatisticsSheet& m_sheet;
    Command m_remote;
    Command m_master;
    QString m_statement; // the statement last built, for a report
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
        for (const FamilySpec& spec : families) {
            if (!spec.suffix || (versionGated(spec.family) && !results))
                continue;
            m_statement = countQuery(spec.family);
            m_remote.setCommandText(m_statement);
            const qint32 count = m_remote.open()->value(0).value_or(QString()).toInt();
            m_sheet.setNumber(StatisticsSheet::box(StatisticsSheet::Column::Mtotal, QLatin1String(spec.suffix)), count);
            pending += count;
            ui.yield();
        }
        m_sheet.setNumber(QStringLiteral("Mtotal"), pending);
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(402));
        m_sheet.setProgressBar(10);

        // Every family's pending rows are listed before the first of them is marked: a mark
        // by key alone also marks rows of other families that share the key (a calibration
        // and its results), and those rows must still carry their columns.
        std::vector<std::pair<const FamilySpec*, std::unique_ptr<Recordset>>> pendingRows;
        for (const FamilySpec& spec : families) {
            if (versionGated(spec.family) && !results)
                continue;
            m_statement = logQuery(spec);
            m_remote.setCommandText(m_statement);
            pendingRows.emplace_back(&spec, m_remote.open(CursorType::Static));
        }
        qint32 total = 0;
        for (auto& [spec, rows] : pendingRows) {
            if (!transferFamily(*spec, *rows, total))
                return;
        }
        m_sheet.setVisible(QStringLiteral("LabelCounter"), false);
        m_sheet.setVisible(QStringLiteral("TextCounter"), false);

        // Marked rows go; so do the inventory's insert entries, which the new-record
        // transfer has dealt with by now.
        m_statement = QStringLiteral("delete from mt.qel_vr_log where sync_date is not null;commit;"
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

        if ((m_state.newRecordsPending || m_state.modifiedRecordsPending) && m_context.tableCopy.syncError)
            ui.message({m_context.phrase(564) + QStringLiteral("\r\n\r\n") + m_context.phrase(565),
                        m_context.phrase(101), MessageIcon::Exclamation, MessageButtons::Ok, std::nullopt});
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
        ReportError(m_context, e.number(), e.description(), QStringLiteral("VRW1,TransferModifiedRecords"),
                    m_statement);
    }
}

bool ModifiedRecordTransfer::transferFamily(const FamilySpec& spec, Recordset& rows, qint32& total)
{
    const QString procedure = QStringLiteral("TransferModifiedRecords-") + QLatin1String(spec.procedure);
    qint32 counter = 0;
    while (!rows.eof()) {
        try {
            transferRow(spec, readLogRow(spec.family, rows), counter);
        } catch (const DbError& e) {
            // A connection that is gone fails every row that follows: stop the run instead.
            if (isLostConnection(e.description()))
                throw;
            LogSyncError(m_context, syncErrorText(e),
                         m_statement, procedure);
        }
        if (lost())
            return false;
        m_context.ui.yield();
        try {
            rows.moveNext();
        } catch (const DbError& e) {
            LogSyncError(m_context, syncErrorText(e),
                         m_statement, procedure);
            rows.moveNext();
        }
    }
    rows.close();
    if (spec.suffix) {
        m_sheet.setNumber(StatisticsSheet::box(StatisticsSheet::Column::Mnumber, QLatin1String(spec.suffix)), counter);
        total += counter;
    }
    if (spec.progressAfter) {
        m_sheet.setText(QStringLiteral("Progress"), m_context.phrase(spec.progressAfter));
        m_sheet.setProgressBar(spec.barAfter);
    }
    return true;
}

// A validation field's log row names the field and the changed column, not which of the
// field's values changed; one statement keyed by the field alone would give every value of
// the field the first value's text. Each value is carried by its own key (fldnum, val)
// instead. Returns false when the field has no values left on the Remote Database.
bool ModifiedRecordTransfer::transferValField(const LogRow& row)
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
        writeColumn(Family::ValField, ofValue, literal);
    return true;
}

void ModifiedRecordTransfer::transferRow(const FamilySpec& spec, const LogRow& row, qint32& counter)
{
    const Family f = spec.family;
    bool present = true;
    if (f == Family::ValField)
        present = transferValField(row);
    else if (f == Family::ValLinkData)
        writeColumn(f, row, sqlText(row.value)); // the new value travels in the log itself
    else
        present = transferColumn(f, row);
    if (lost())
        return;
    // A record gone from the Remote Database has nothing to carry, but its entry is done.
    if (!present)
        --counter;
    m_statement = markStatement(f, row);
    m_remote.setCommandText(m_statement);
    m_remote.execute();
    ++counter;
    showCounter(counter);
}

bool ModifiedRecordTransfer::transferColumn(Family f, const LogRow& row)
{
    const QString table = ChangeLog::tableName(f);
    const QString column = readsFormattedColumn(f) ? ColumnFormatted(m_context, row.column, table) : row.column;
    if (lost())
        return true;
    m_statement = QStringLiteral("select ") + column + QStringLiteral(" from ") +
                  qualifiedTable(f, m_state.remoteUserSegregate) + keyCondition(f, row);
    const QString value = ColumnValue(m_context, m_statement, table);
    if (lost())
        return true;
    if (value == DeletedRecord)
        return false;
    writeColumn(f, row, value);
    return true;
}

void ModifiedRecordTransfer::writeColumn(Family f, const LogRow& row, const QString& literal)
{
    m_statement = QStringLiteral("update ") + qualifiedTable(f, m_state.masterUserSegregate) +
                  QStringLiteral(" set ") + row.column + QLatin1Char('=') + literal + keyCondition(f, row) +
                  QStringLiteral(";commit");
    m_master.setCommandText(m_statement);
    m_master.execute();
}

void ModifiedRecordTransfer::showCounter(qint32 counter)
{
    const bool shown = m_state.runningCounter;
    m_sheet.setVisible(QStringLiteral("LabelCounter"), shown);
    m_sheet.setVisible(QStringLiteral("TextCounter"), shown);
    if (shown)
        m_sheet.setNumber(QStringLiteral("TextCounter"), counter);
}

} // namespace

void TransferModifiedRecords(const CopyContext& context)
{
    ModifiedRecordTransfer(context).run();
}
