#include "sync/NewRecordTransfer.h"

#include "base/ErrorReporter.h"
#include "copy/Catalogue.h"
#include "copy/CopyContext.h"
#include "copy/CopyTrace.h"
#include "copy/RowCopy.h"
#include "copy/SqlLiteral.h"
#include "copy/TempTables.h"
#include "db/Command.h"
#include "db/CommitBatch.h"
#include "session/Sessions.h"
#include "sync/ChangeLog.h"
#include "sync/DroppedChanges.h"
#include "sync/LogCleanup.h"
#include "sync/TransferHistory.h"
#include "sync/TransferSteps.h"

#include <algorithm>
#include <functional>

namespace {

const QString insCount = QStringLiteral(
    "select count(xtag) from mt.qel_vr_log where sync_date is null and action='INS' ");
const QString delCount = QStringLiteral(
    "select count(xtag) from mt.qel_vr_log where sync_date is null and action='DEL' ");

// The pending insertions of a table, as the gathering selects name them.
QString pendingInserts(const char* affectedTable, bool twoBlanks = false)
{
    return QStringLiteral("(select xtag from mt.qel_vr_log where sync_date is null and "
                          "action='INS' and ") +
           (twoBlanks ? QStringLiteral(" ") : QString()) + QStringLiteral("affected_table='") +
           QLatin1String(affectedTable) + QStringLiteral("')");
}

class NewRecordTransfer : private TransferSteps
{
public:
    explicit NewRecordTransfer(const CopyContext& context) : TransferSteps(context) {}

    void run();

private:
    // Each returns false when the run must stop (a lost connection was reported).
    bool counting();
    bool validationData();
    bool customers();
    bool inventoryAndDependants();
    bool keyMapping();
    bool insertInventory();
    bool insertOthers();
    bool insertCalibration();
    bool insertStandards();
    bool insertCalResults();
    bool insertResults(bool raw);
    bool insertLocation();
    bool insertRepair();
    void finish();

    void trace(const QString& text);
    bool stampLoop(const QString& select,
                   const std::function<QString(const QString&, const QString&)>& stamp);
    bool dropPresentRows(const QString& table, const QString& secondKey, const char* affected,
                         const char* what);
    void correctCount(const QString& query, const char* suffix);
    void countValidationEntries(const char* affectedTable, const char* suffix);
    void expectCopyAndStamps(int until, const char* suffix);
    void showValidationApplied(const char* suffix, long deleted, long inserted);
    double counted(const char* suffix) const;
    QString countedBox(const char* suffix) const;
    QString insertedBox(const char* suffix) const;
    bool masterUserIsOwner() const;
    bool recordMatched(const QString& select, const QString& affectedTables, const char* what,
                       const QString& underAnotherKey = QString());

    bool m_results = false;
    bool m_traceStored = false;
    qint32 m_inserted = 0;
};

void NewRecordTransfer::trace(const QString& text)
{
    const QString line = QStringLiteral("TransferNewRecords - ") + text;
    if (m_traceStored)
        m_context.tableCopy.traceText = line;
    showCopyTrace(m_context, line);
}

// Runs the select on the Master Database and sends, for each row, the stamping statement that
// stamp builds from its first two columns to the Remote Database.
bool NewRecordTransfer::stampLoop(
    const QString& select, const std::function<QString(const QString&, const QString&)>& stamp)
{
    m_statement = select;
    m_master.setCommandText(select);
    // The rows are read as they are stamped: the select reads the master, the stamps write the
    // remote, and the run holds only the row in hand.
    auto rs = m_master.open();
    CommitBatch batch({&userConnection(m_context, Side::Remote)});
    for (; !rs->eof(); rs->moveNext()) {
        const QString statement =
            stamp(rs->value(0).value_or(QString()).trimmed(),
                  rs->fieldCount() > 1 ? rs->value(1).value_or(QString()).trimmed() : QString());
        batch.beginRow();
        execute(m_remote, statement);
        batch.endRow();
        m_sheet.rowDone();
        m_context.ui.yield();
    }
    rs->close();
    m_statement = QStringLiteral("commit");
    batch.commit();
    return !lost();
}

QString NewRecordTransfer::countedBox(const char* suffix) const
{
    return StatisticsSheet::box(StatisticsSheet::Column::Rtotal, QLatin1String(suffix));
}

QString NewRecordTransfer::insertedBox(const char* suffix) const
{
    return StatisticsSheet::box(StatisticsSheet::Column::Rnumber, QLatin1String(suffix));
}

double NewRecordTransfer::counted(const char* suffix) const
{
    return m_sheet.number(countedBox(suffix));
}

void NewRecordTransfer::correctCount(const QString& query, const char* suffix)
{
    const qint32 left = countOf(m_master, query);
    const QString total = StatisticsSheet::totalBox(StatisticsSheet::Column::Rtotal);
    m_sheet.setNumber(total, m_sheet.number(total) + left - counted(suffix));
    m_sheet.setNumber(countedBox(suffix), left);
}

// The validation tables' entries of both kinds are applied, and the change log's copy on the
// Master Database holds them all: they are that table's records. Their row stands below the
// totals, which (like the history) leave them out.
void NewRecordTransfer::countValidationEntries(const char* affectedTable, const char* suffix)
{
    const qint32 entries =
        countOf(m_master, QStringLiteral("select count(xtag) from temp_qel_vr_log where "
                                         "affected_table='") +
                              QLatin1String(affectedTable) + QStringLiteral("' and action<>'UPD'"));
    m_sheet.setNumber(countedBox(suffix), entries);
}

// The rows a validation table's entries removed from and added to the Master Database. A driver
// that cannot tell how many rows a statement changed answers -1: then none are counted.
void NewRecordTransfer::showValidationApplied(const char* suffix, long deleted, long inserted)
{
    const qint32 rows = static_cast<qint32>(std::max(0L, deleted) + std::max(0L, inserted));
    m_sheet.setNumber(insertedBox(suffix), rows);
}

// A table's rows are copied and then their entries stamped, a row at a time both: the bar moves
// with them towards the value of the next step.
void NewRecordTransfer::expectCopyAndStamps(int until, const char* suffix)
{
    m_sheet.expectRows(until, 2 * counted(suffix));
}

bool NewRecordTransfer::masterUserIsOwner() const
{
    return m_state.masterUser.toUpper() == QLatin1String("MT");
}

// A new row that the Master Database already holds (an item by its asset number, a customer
// by its customer number, a calibration, location or repair found by the confirm functions, a
// result by its whole key) is not inserted: its entry is done. The match is written to
// syncerr.log as handled work, not a failure, and then the entry is stamped; a match that
// cannot be written keeps its entry pending. select lists, on the Master Database, the remote
// key, the master's key and (for two-part keys) the second key of each such row; entries of
// affectedTables (quoted names, comma-separated) with that key are stamped, and those of
// underAnotherKey too when the master holds the row under another key: a calibration of the
// master's own takes its results with it, while one an interrupted run inserted under the same
// key has its results carried.
bool NewRecordTransfer::recordMatched(const QString& select, const QString& affectedTables,
                                      const char* what, const QString& underAnotherKey)
{
    m_statement = select;
    m_master.setCommandText(select);
    struct Match
    {
        QString key, masterKey, secondKey;
    };
    QList<Match> matched;
    for (auto rs = m_master.open(CursorType::Static); !rs->eof(); rs->moveNext())
        matched.append(
            {rs->value(0).value_or(QString()).trimmed(), rs->value(1).value_or(QString()).trimmed(),
             rs->fieldCount() > 2 ? rs->value(2).value_or(QString()).trimmed() : QString()});
    for (const Match& match : std::as_const(matched)) {
        QString tables = affectedTables;
        if (!underAnotherKey.isEmpty() && match.key.compare(match.masterKey, Qt::CaseInsensitive))
            tables += QLatin1Char(',') + underAnotherKey;
        QString condition = QStringLiteral(" where sync_date is null and affected_table in (") +
                            tables + QStringLiteral(") and action='INS' and xtag=") +
                            sqlText(match.key);
        QString described = QLatin1String(what) + QLatin1Char(' ') + match.key;
        if (!match.secondKey.isEmpty()) {
            condition += QStringLiteral(" and xtag_additional=") + sqlText(match.secondKey);
            described += QLatin1Char('/') + match.secondKey;
        }
        if (countOf(m_remote,
                    QStringLiteral("select count(xtag) from mt.qel_vr_log") + condition) == 0)
            continue;
        if (!recordMatchedToMaster(
                m_context, described + QStringLiteral(" is the master's ") + match.masterKey,
                QStringLiteral("TransferNewRecords")))
            continue;
        execute(m_remote, QStringLiteral("update mt.qel_vr_log set sync_date=now(*)") + condition +
                              QStringLiteral(";commit"));
    }
    return !lost();
}

// Drops from temp_<table> the rows of a two-part key (ctag and secondKey) that the Master
// Database holds already, matched by their whole key: their entries are done. A new row of a
// calibration that has other rows in the master is carried, and a table an interrupted run
// filled in part is completed.
bool NewRecordTransfer::dropPresentRows(const QString& table, const QString& secondKey,
                                        const char* affected, const char* what)
{
    const QString mseg = m_state.masterUserSegregate;
    const QString temp = QStringLiteral("temp_") + table;
    const QString master = mseg + QLatin1Char('.') + table;
    const QString sameRow = QStringLiteral(" where ") + master + QStringLiteral(".ctag=") + temp +
                            QStringLiteral(".ctag and ") + master + QLatin1Char('.') + secondKey +
                            QLatin1Char('=') + temp + QLatin1Char('.') + secondKey;
    if (!recordMatched(QStringLiteral("select ") + temp + QStringLiteral(".ctag,") + temp +
                           QStringLiteral(".ctag,") + temp + QLatin1Char('.') + secondKey +
                           QStringLiteral(" from ") + temp + QLatin1Char(',') + master + sameRow,
                       QStringLiteral("'") + QLatin1String(affected) + QLatin1Char('\''), what))
        return false;
    execute(m_master, QStringLiteral("delete from ") + temp +
                          QStringLiteral(" where exists(select 1 from ") + master + sameRow +
                          QStringLiteral(");commit"));
    return !lost();
}

void NewRecordTransfer::run()
{
    Ui& ui = m_context.ui;
    try {
        // Phase 1, start.
        m_context.tableCopy.traceText.clear();
        trace(QStringLiteral("set default ADO behaviour"));
        bindCommands();
        ui.setBusy(true);
        m_sheet.show();
        m_sheet.setText(QStringLiteral("dbrecords(0)"), m_context.phrase(413) + QLatin1Char(' '));
        status(450, 451, 0);
        m_state.transferStartTime = timestampText(m_context.clock.now());
        m_state.newRecordTotal = 0;
        m_state.modifiedRecordTotal = 0;
        m_results = ChangeLog::resultsTakePart(m_state.remoteSchemaVersion);

        if (!counting() || !validationData() || !customers() || !inventoryAndDependants() ||
            !keyMapping() || !insertInventory() || !insertOthers())
            return;
        finish();
    } catch (const DbError& e) {
        ReportError(m_context, e, QStringLiteral("VRW1,TransferNewRecords"), m_statement);
    }
}

// Phase 2: the new rows per table on the Remote Database.
bool NewRecordTransfer::counting()
{
    const QString seg = m_state.remoteUserSegregate;
    qint32 total = 0;
    auto show = [&](const char* suffix, qint32 count) {
        m_sheet.setNumber(countedBox(suffix), count);
        total += count;
    };
    auto keyed = [&](const char* trace, const char* table, const char* key, const char* suffix) {
        this->trace(QLatin1String(trace));
        const QString upper = QString::fromLatin1(table).toUpper();
        show(suffix,
             countOf(m_remote, insCount + QStringLiteral("and affected_table='") + upper +
                                   QStringLiteral("' and xtag in (select ") + QLatin1String(key) +
                                   QStringLiteral(" from ") + seg + QLatin1Char('.') +
                                   QLatin1String(table) + QLatin1Char(')')));
    };
    auto netted = [&](const char* traceDel, const char* traceIns, const char* table,
                      const char* suffix) {
        const QString condition =
            QStringLiteral("and affected_table='") + QLatin1String(table) + QLatin1Char('\'');
        trace(QLatin1String(traceDel));
        const qint32 deleted = countOf(m_remote, delCount + condition);
        trace(QLatin1String(traceIns));
        show(suffix, countOf(m_remote, insCount + condition) - deleted);
    };
    keyed("get the count of new inventory records", "inventory", "mtag", "inv");
    keyed("get the count of new calibration records", "calibration", "ctag", "cal");
    netted("before counting new standards we have to check for deleted standards records and "
           "subtract from the inserts",
           "now get the realistic count of standards inserted", "STANDARDS", "std");
    netted("before counting new calresults we have to check for deleted calresults records and "
           "subtract from the inserts",
           "now get the realistic count of new calresults records", "CALRESULTS", "crs");
    if (m_results) {
        netted("before counting new full results we have to check for deleted full results "
               "records and subtract from the inserts",
               "now get the count of new full results records", "RESULTS", "frs");
        netted("now get the count of new results_raw records",
               "now get the count of new results_raw records", "RESULTS_RAW", "rrs");
    }
    keyed("get the count of new location records", "location", "ltag", "loc");
    keyed("get the count of new repair records", "repair", "rtag", "rep");
    keyed("get the count of new customers records", "customers", "ktag", "cus");
    m_sheet.setNumber(StatisticsSheet::totalBox(StatisticsSheet::Column::Rtotal), total);
    return !lost();
}

// Phase 3: the change log copied to the Master Database, and the validation data applied.
// Deletions remove only the rows whose whole key a deletion entry names, and insertions offer
// only the rows whose whole key an insertion entry names.
bool NewRecordTransfer::validationData()
{
    m_traceStored = true;
    status(512, 513, 0);
    trace(QStringLiteral("create temporary table in master database for qel_vr_log necessary "
                         "for deleting records with action='DEL'"));
    if (!declare(QStringLiteral("qel_vr_log")))
        return false;
    // Only the validation tables' entries are looked up in the copy: the rest of the log (a
    // month's column changes, say) would only cost the time and memory of copying it.
    if (!copy(QStringLiteral("select ") +
                  CreateSelectList(m_context, QStringLiteral("qel_vr_log")) +
                  QStringLiteral(" from mt.qel_vr_log where affected_table in "
                                 "('VALFIELD','VALLINKDATA')"),
              QStringLiteral("temp_qel_vr_log"), QStringLiteral("R")))
        return false;
    execute(m_master,
            QStringLiteral("create index idx_xtag on temp_qel_vr_log(xtag,action,affected_table)"));

    trace(QStringLiteral("Now delete and insert any validation field modifications delete master "
                         "valfield records that the log shows as deleted"));
    m_remote.setActiveConnection(&userConnection(m_context, Side::Remote));
    m_master.setActiveConnection(&userConnection(m_context, Side::Master));
    countValidationEntries("VALFIELD", "vfd");
    long deleted =
        execute(m_master,
                QStringLiteral("delete from mt.valfield where exists(select 1 from temp_qel_vr_log "
                               "where temp_qel_vr_log.action='DEL' and "
                               "temp_qel_vr_log.affected_table='VALFIELD' and "
                               "temp_qel_vr_log.xtag=mt.valfield.fldnum and "
                               "temp_qel_vr_log.xtag_additional=mt.valfield.val);commit"));
    status(0, 514, 5);
    trace(QStringLiteral("insert master valfield records that the log shows as inserts"));
    long inserted = 0;
    if (!copy(QStringLiteral("select * from mt.valfield where exists(select 1 from "
                             "mt.qel_vr_log where mt.qel_vr_log.action='INS' and "
                             "mt.qel_vr_log.affected_table='VALFIELD' and "
                             "mt.qel_vr_log.xtag=mt.valfield.fldnum and "
                             "mt.qel_vr_log.xtag_additional=mt.valfield.val)"),
              QStringLiteral("mt.valfield"), QStringLiteral("R"), &inserted))
        return false;
    showValidationApplied("vfd", deleted, inserted);
    status(0, 515, 10);
    trace(QStringLiteral("delete all log entries associated with the valfield table"));
    execute(m_remote, QStringLiteral("delete from mt.qel_vr_log where affected_table='VALFIELD' "
                                     "and action<>'UPD';commit"));
    execute(m_master, QStringLiteral("delete from temp_qel_vr_log where affected_table='VALFIELD' "
                                     "and action<>'UPD';commit"));

    status(516, 517, 12);
    trace(QStringLiteral("now do the linked validation field modifications delete master "
                         "vallinkdata records that the log shows as deleted"));
    m_remote.setActiveConnection(&userConnection(m_context, Side::Remote));
    m_master.setActiveConnection(&userConnection(m_context, Side::Master));
    countValidationEntries("VALLINKDATA", "vld");
    deleted =
        execute(m_master,
                QStringLiteral("delete from mt.vallinkdata where exists(select 1 from "
                               "temp_qel_vr_log where temp_qel_vr_log.action='DEL' and "
                               "temp_qel_vr_log.affected_table='VALLINKDATA' and "
                               "temp_qel_vr_log.xtag=mt.vallinkdata.root and "
                               "temp_qel_vr_log.xtag_additional=mt.vallinkdata.rootdata);commit"));
    status(0, 518, 14);
    trace(QStringLiteral("insert master vallinkdata records that the log shows as inserted"));
    if (!copy(QStringLiteral("select * from mt.vallinkdata where exists(select 1 from "
                             "mt.qel_vr_log where mt.qel_vr_log.action='INS' and "
                             "mt.qel_vr_log.affected_table='VALLINKDATA' and "
                             "mt.qel_vr_log.xtag=mt.vallinkdata.root and "
                             "mt.qel_vr_log.xtag_additional=mt.vallinkdata.rootdata)"),
              QStringLiteral("mt.vallinkdata"), QStringLiteral("R"), &inserted))
        return false;
    showValidationApplied("vld", deleted, inserted);
    status(0, 519, 16);
    trace(QStringLiteral("delete all log entries associated with the vallinkdata table"));
    execute(m_remote, QStringLiteral("delete from mt.qel_vr_log where "
                                     "affected_table='VALLINKDATA' and action<>'UPD';commit"));
    execute(m_master, QStringLiteral("delete from temp_qel_vr_log where "
                                     "affected_table='VALLINKDATA' and action<>'UPD';commit"));
    return !lost();
}

// Phase 4: new customers gathered; one the master knows by its customer number takes the
// master's ktag.
bool NewRecordTransfer::customers()
{
    status(200, 497, 20);
    if (counted("cus") <= 0)
        return true;
    trace(QStringLiteral("get remote customer records"));
    if (!declare(QStringLiteral("customers")))
        return false;
    if (!copy(QStringLiteral("select * from ") + m_state.remoteUserSegregate +
                  QStringLiteral(".customers where ktag in ") + pendingInserts("CUSTOMERS"),
              QStringLiteral("temp_customers"), QStringLiteral("R")))
        return false;
    // Matched customers are known by their remote ktag only until the next statement.
    if (!recordMatched(QStringLiteral("select temp_customers.ktag,mt.customers.ktag from "
                                      "temp_customers,mt.customers where "
                                      "temp_customers.k4601=mt.customers.k4601"),
                       QStringLiteral("'CUSTOMERS'"), "customer"))
        return false;
    execute(m_master, QStringLiteral("update temp_customers,mt.customers set "
                                     "temp_customers.ktag=mt.customers.ktag where "
                                     "temp_customers.k4601=mt.customers.k4601;commit "));
    return !lost();
}

// Phase 5: the inventory gathered (new items, items used as standards, items of new
// calibrations, locations and repairs that carry their item), the customers inserted, and the
// dependants gathered.
bool NewRecordTransfer::inventoryAndDependants()
{
    const QString seg = m_state.remoteUserSegregate;
    trace(QStringLiteral("create temporary table in master database for inventory"));
    if (!declare(QStringLiteral("inventory")))
        return false;
    status(0, 201, 25);
    trace(QStringLiteral("get remote inventory records"));
    const QString inventorySelect =
        QStringLiteral("select ") + CreateSelectList(m_context, QStringLiteral("inventory")) +
        QStringLiteral(" from ") + seg +
        QStringLiteral(
            ".inventory where mtag in (select xtag from mt.qel_vr_log where sync_date is null and "
            "action='INS' and affected_table='INVENTORY') or mtag in (select xtag_additional "
            "from mt.qel_vr_log where sync_date is null and action='INS' and "
            "affected_table='STANDARDS') or mtag in (select mtag from ") +
        seg +
        QStringLiteral(".calibration where c2339=1 and ctag in (select xtag from mt.qel_vr_log "
                       "where sync_date is null and action='INS' and "
                       "affected_table='CALIBRATION')) or mtag in (select mtag from ") +
        seg +
        QStringLiteral(".location where l2815=1 and ltag in (select xtag from mt.qel_vr_log "
                       "where sync_date is null and action='INS' and "
                       "affected_table='LOCATION')) or mtag in (select mtag from ") +
        seg +
        QStringLiteral(".repair where r3246=1 and rtag in (select xtag from mt.qel_vr_log where "
                       "sync_date is null and action='INS' and affected_table='REPAIR'))");
    m_sheet.expectRows(counted("cus") > 0 ? 30 : 40, counted("inv"));
    if (!copy(inventorySelect, QStringLiteral("temp_inventory"), QStringLiteral("R")))
        return false;

    const QString customerBox = insertedBox("cus");
    if (counted("cus") > 0) {
        execute(m_master, customerPrefixStatement());
        status(0, 0, 30);
        if (!stampLoop(QStringLiteral("select ktag from temp_customers"),
                       [](const QString& ktag, const QString&) {
                           return ChangeLog::stampInserted(ChangeLog::Family::Customers, ktag);
                       }))
            return false;
        execute(m_master, QStringLiteral("delete from temp_customers where k4601 in (select "
                                         "k4601 from ") +
                              m_state.masterUserSegregate +
                              QStringLiteral(".customers);update temp_customers set "
                                             "kdsrc='VRW';commit;"));
        status(0, 498, 35);
        trace(QStringLiteral("Add NEW customer records to customers table"));
        m_sheet.expectRows(40, counted("cus"));
        long inserted = 0;
        if (!copy(QStringLiteral("select ") +
                      CreateSelectList(m_context, QStringLiteral("Customers")) +
                      QStringLiteral(" from temp_customers"),
                  m_state.masterUserSegregate + QStringLiteral(".customers"), QStringLiteral("F"),
                  &inserted))
            return false;
        m_inserted += inserted;
        m_sheet.setNumber(customerBox, inserted);
    } else {
        m_sheet.setText(customerBox, QStringLiteral("0"));
    }

    status(0, 202, 40);
    // Results keep only those of calibrations carried in this run; with no calibration
    // counted that is none, so the table exists, empty, whatever the counts.
    if (!declare(QStringLiteral("calibration")))
        return false;
    struct Gathered
    {
        const char* suffix;
        const char* table;
        const char* trace;
        const char* key;
        const char* affected;
        bool twoBlanks;
        bool gated;
        int progress;
        int bar;
    };
    const Gathered gathered[] = {
        {"cal", "calibration", "get remote calibration records", "ctag", "CALIBRATION", false,
         false, 203, 50},
        {"std", "standards", "get remote standards records", "ctag", "STANDARDS", true, false, 204,
         60},
        {"crs", "calresults", "get remote calresults records", "ctag", "CALRESULTS", true, false,
         188, 70},
        {"frs", "results", "get remote full results records", "ctag", "RESULTS", true, true, 189,
         75},
        {"rrs", "results_raw", "get remote RAW results records", "ctag", "RESULTS_RAW", true, true,
         205, 80},
        {"loc", "location", "get remote location records", "ltag", "LOCATION", false, false, 206,
         85},
        {"rep", "repair", "get remote repair records", "rtag", "REPAIR", false, false, 0, -1},
    };
    for (const Gathered& g : gathered) {
        if (g.gated && !m_results)
            continue;
        if (counted(g.suffix) > 0) {
            trace(QLatin1String(g.trace));
            const QString table = QLatin1String(g.table);
            if (!declare(table))
                return false;
            if (g.bar >= 0)
                m_sheet.expectRows(g.bar, counted(g.suffix));
            if (!copy(QStringLiteral("select ") + CreateSelectList(m_context, table) +
                          QStringLiteral(" from ") + seg + QLatin1Char('.') + table +
                          QStringLiteral(" where ") + QLatin1String(g.key) +
                          QStringLiteral(" in ") + pendingInserts(g.affected, g.twoBlanks),
                      QStringLiteral("temp_") + table, QStringLiteral("R")))
                return false;
        }
        status(0, g.progress, g.bar);
    }
    return !lost();
}

// Phase 6: each gathered item's master mtag through the scratch table, and the dependants
// pointed at it.
bool NewRecordTransfer::keyMapping()
{
    static const Rekeyed rekeyed[] = {
        {212, 30, "cal", "temp_calibration"}, {214, 50, "std", "temp_standards"},
        {216, 70, "crs", "temp_calresults"},  {217, 75, "frs", "temp_results"},
        {190, 80, "rrs", "temp_results_raw"}, {191, 85, "loc", "temp_location"},
        {218, 90, "rep", "temp_repair"},
    };
    // A table not gathered (nothing counted, or results the remote's schema lacks) was not
    // declared.
    if (!mapScratchKeys())
        return false;
    rekeyDependants(rekeyed, [this](const Rekeyed& r) {
        const QLatin1String suffix(r.suffix);
        if (!m_results && (suffix == QLatin1String("frs") || suffix == QLatin1String("rrs")))
            return false;
        return counted(r.suffix) > 0;
    });
    return rekeyItems();
}

// Phase 7: the items the master lacks inserted; those it holds already are matched.
bool NewRecordTransfer::insertInventory()
{
    const QString mseg = m_state.masterUserSegregate;
    status(219, 220, 5);
    execute(m_master, QStringLiteral("update temp_inventory set i4201 = trim(i4201),mtag = "
                                     "trim(mtag);commit"));
    if (!recordMatched(QStringLiteral("select mtag,xtag from temp_qel_vr_scratch where trim(asset) "
                                      "in (select i4201 from ") +
                           mseg +
                           QStringLiteral(".inventory) or trim(mtag) in (select mtag from ") +
                           mseg + QStringLiteral(".inventory)"),
                       QStringLiteral("'INVENTORY'"), "item"))
        return false;
    execute(m_master,
            QStringLiteral("delete from temp_inventory where i4201 in (select i4201 from ") + mseg +
                QStringLiteral(".inventory);commit;delete from temp_inventory where mtag "
                               "in (select mtag from ") +
                mseg +
                QStringLiteral(".inventory);commit;update temp_inventory set "
                               "idsrc='VRW';commit"));
    status(0, 221, 10);
    correctCount(QStringLiteral("select count(mtag) from temp_inventory"), "inv");
    trace(QStringLiteral("Add only NEW Inventory records to Inventory"));
    expectCopyAndStamps(30, "inv");
    long inserted = 0;
    if (!copy(QStringLiteral("select ") + CreateSelectList(m_context, QStringLiteral("Inventory")) +
                  QStringLiteral(" from temp_inventory order by i4201"),
              mseg + QStringLiteral(".inventory"), QStringLiteral("F"), &inserted))
        return false;
    m_inserted += inserted;
    if (!stampLoop(QStringLiteral("select mtag from temp_inventory"),
                   [](const QString& mtag, const QString&) {
                       return ChangeLog::stampInserted(ChangeLog::Family::Inventory, mtag);
                   }))
        return false;
    m_sheet.setNumber(insertedBox("inv"), inserted);
    status(0, 220, 30);
    return true;
}

bool NewRecordTransfer::insertOthers()
{
    if (!insertCalibration() || !insertStandards() || !insertCalResults())
        return false;
    if (m_results) {
        if (!insertResults(false) || !insertResults(true))
            return false;
        status(0, 220, 75);
    }
    return insertLocation() && insertRepair();
}

bool NewRecordTransfer::insertCalibration()
{
    const QString mseg = m_state.masterUserSegregate;
    if (counted("cal") <= 0) {
        m_sheet.setText(insertedBox("cal"), QStringLiteral("0"));
        return true;
    }
    if (!recordMatched(
            QStringLiteral("select temp_calibration.ctag,") + mseg +
                QStringLiteral(".calibration.ctag from temp_calibration,") + mseg +
                QStringLiteral(".calibration where ") +
                (masterUserIsOwner()
                     ? QStringLiteral("temp_calibration.c2301=") + mseg +
                           QStringLiteral(".calibration.c2301 and temp_calibration.c2333=") + mseg +
                           QStringLiteral(".calibration.c2333 and temp_calibration.mtag=") + mseg +
                           QStringLiteral(".calibration.mtag")
                     : QStringLiteral("temp_calibration.ctag=") + mseg +
                           QStringLiteral(".calibration.ctag")),
            QStringLiteral("'CALIBRATION'"), "calibration",
            QStringLiteral("'RESULTS','RESULTS_RAW'")))
        return false;
    if (masterUserIsOwner())
        execute(m_master, QStringLiteral("delete from temp_calibration where "
                                         "qel_vr_cal_record_confirm(temp_calibration.c2301,temp_"
                                         "calibration.c2333,temp_calibration.mtag)=1;commit"));
    else
        execute(m_master, QStringLiteral("delete from temp_calibration where ctag in (select ctag "
                                         "from ") +
                              mseg + QStringLiteral(".Calibration);commit;"));
    execute(m_master, QStringLiteral("delete from temp_calibration where mtag not in (select mtag "
                                     "from ") +
                          mseg +
                          QStringLiteral(".Inventory);commit;update temp_calibration set "
                                         "cdsrc='VRW';commit"));
    status(0, 225, 40);
    correctCount(QStringLiteral("select count(ctag) from temp_calibration"), "cal");
    trace(QStringLiteral("Add NEW Calibration records to Calibration table"));
    expectCopyAndStamps(50, "cal");
    long inserted = 0;
    if (!copy(QStringLiteral("select ") +
                  CreateSelectList(m_context, QStringLiteral("Calibration")) +
                  QStringLiteral(" from temp_calibration"),
              mseg + QStringLiteral(".calibration"), QStringLiteral("F"), &inserted))
        return false;
    m_inserted += inserted;
    if (!stampLoop(QStringLiteral("select ctag from temp_calibration"),
                   [](const QString& ctag, const QString&) {
                       return ChangeLog::stampInserted(ChangeLog::Family::Calibration, ctag);
                   }))
        return false;
    m_sheet.setNumber(insertedBox("cal"), inserted);
    status(0, 220, 50);
    return true;
}

bool NewRecordTransfer::insertStandards()
{
    const QString mseg = m_state.masterUserSegregate;
    const double count = counted("std");
    if (count <= 0) {
        m_sheet.setText(insertedBox("std"), QStringLiteral("0"));
        return true;
    }
    if (!dropPresentRows(QStringLiteral("standards"), QStringLiteral("c2430"), "STANDARDS",
                         "standard"))
        return false;
    trace(QStringLiteral("Add standards used to master database"));
    expectCopyAndStamps(60, "std");
    if (!copy(QStringLiteral("select ") + CreateSelectList(m_context, QStringLiteral("Standards")) +
                  QStringLiteral(" from temp_standards"),
              mseg + QStringLiteral(".standards"), QStringLiteral("F")))
        return false;
    m_inserted += static_cast<qint32>(count);
    m_sheet.setNumber(insertedBox("std"), count);
    if (!stampLoop(QStringLiteral("select ctag,c2430 from temp_standards"),
                   [](const QString& ctag, const QString& c2430) {
                       return ChangeLog::stampPair(ChangeLog::Family::Standards, ctag, c2430);
                   }))
        return false;
    status(0, 228, 60);
    return true;
}

bool NewRecordTransfer::insertCalResults()
{
    const QString mseg = m_state.masterUserSegregate;
    const double count = counted("crs");
    if (count <= 0) {
        m_sheet.setText(insertedBox("crs"), QStringLiteral("0"));
        return true;
    }
    if (!dropPresentRows(QStringLiteral("calresults"), QStringLiteral("c2502"), "CALRESULTS",
                         "calibration result"))
        return false;
    trace(QStringLiteral("Add calibration results to main database"));
    expectCopyAndStamps(65, "crs");
    if (!copy(QStringLiteral("select ") +
                  CreateSelectList(m_context, QStringLiteral("Calresults")) +
                  QStringLiteral(" from temp_calresults"),
              mseg + QStringLiteral(".calresults"), QStringLiteral("F")))
        return false;
    m_inserted += static_cast<qint32>(count);
    m_sheet.setNumber(insertedBox("crs"), count);
    if (!stampLoop(QStringLiteral("select ctag,c2502 from temp_calresults"),
                   [](const QString& ctag, const QString& c2502) {
                       return ChangeLog::stampPair(ChangeLog::Family::CalResults, ctag, c2502);
                   }))
        return false;
    status(0, 229, 65);
    return true;
}

bool NewRecordTransfer::insertResults(bool raw)
{
    const QString mseg = m_state.masterUserSegregate;
    const char* suffix = raw ? "rrs" : "frs";
    if (counted(suffix) <= 0) {
        m_sheet.setText(insertedBox(suffix), QStringLiteral("0"));
        return true;
    }
    const QString table = raw ? QStringLiteral("results_raw") : QStringLiteral("results");
    const QString temp = QStringLiteral("temp_") + table;
    // The results carried are those of calibrations carried in this run or held by the
    // master under the same key (one an interrupted run inserted); the others stay pending.
    if (!dropPresentRows(table, QStringLiteral("row_num"), raw ? "RESULTS_RAW" : "RESULTS",
                         raw ? "raw result" : "full result"))
        return false;
    execute(m_master, QStringLiteral("delete from ") + temp +
                          QStringLiteral(" where ctag not in (select ctag from temp_calibration) "
                                         "and ctag not in (select ctag from ") +
                          mseg + QStringLiteral(".calibration);commit"));
    trace(raw ? QStringLiteral("Add raw results to main database")
              : QStringLiteral("Add full results to main database"));
    expectCopyAndStamps(raw ? 75 : 70, suffix);
    long inserted = 0;
    if (!copy(QStringLiteral("select ") + CreateSelectList(m_context, table) +
                  QStringLiteral(" from ") + temp,
              mseg + QLatin1Char('.') + table, QStringLiteral("F"), &inserted))
        return false;
    m_inserted += inserted;
    const ChangeLog::Family family =
        raw ? ChangeLog::Family::ResultsRaw : ChangeLog::Family::Results;
    if (!stampLoop(QStringLiteral("select ctag,row_num from ") + temp,
                   [family](const QString& ctag, const QString& rowNumber) {
                       return ChangeLog::stampResult(family, ctag, rowNumber);
                   }))
        return false;
    m_sheet.setNumber(insertedBox(suffix), inserted);
    if (!raw)
        status(0, 229, 70);
    return true;
}

bool NewRecordTransfer::insertLocation()
{
    const QString mseg = m_state.masterUserSegregate;
    if (counted("loc") <= 0) {
        m_sheet.setText(insertedBox("loc"), QStringLiteral("0"));
        return true;
    }
    if (!recordMatched(QStringLiteral("select temp_location.ltag,") + mseg +
                           QStringLiteral(".location.ltag from temp_location,") + mseg +
                           QStringLiteral(".location where ") +
                           (masterUserIsOwner()
                                ? QStringLiteral("temp_location.l2809=") + mseg +
                                      QStringLiteral(".location.l2809 and temp_location.l2810=") +
                                      mseg +
                                      QStringLiteral(".location.l2810 and temp_location.mtag=") +
                                      mseg + QStringLiteral(".location.mtag")
                                : QStringLiteral("temp_location.ltag=") + mseg +
                                      QStringLiteral(".location.ltag")),
                       QStringLiteral("'LOCATION'"), "location"))
        return false;
    if (masterUserIsOwner())
        execute(m_master, QStringLiteral("delete from temp_location where "
                                         "qel_vr_loc_record_confirm(temp_location.l2809,temp_"
                                         "location.l2810,temp_location.mtag)=1;commit"));
    else
        execute(m_master, QStringLiteral("delete from temp_location where ltag in (select ltag "
                                         "from ") +
                              mseg + QStringLiteral(".Location);commit;"));
    execute(m_master, QStringLiteral("delete from temp_location where mtag not in (select mtag "
                                     "from ") +
                          mseg +
                          QStringLiteral(".inventory);commit;update temp_location set "
                                         "ldsrc='VRW';commit;"));
    status(0, 231, 80);
    correctCount(QStringLiteral("select count(ltag) from temp_location"), "loc");
    trace(QStringLiteral("Add NEW Location records to Location table"));
    expectCopyAndStamps(85, "loc");
    long inserted = 0;
    if (!copy(QStringLiteral("select ") + CreateSelectList(m_context, QStringLiteral("Location")) +
                  QStringLiteral(" from temp_location"),
              mseg + QStringLiteral(".location"), QStringLiteral("F"), &inserted))
        return false;
    m_inserted += inserted;
    if (!stampLoop(QStringLiteral("select ltag from temp_location"),
                   [](const QString& ltag, const QString&) {
                       return ChangeLog::stampInserted(ChangeLog::Family::Location, ltag);
                   }))
        return false;
    m_sheet.setNumber(insertedBox("loc"), inserted);
    status(0, 220, 85);
    return true;
}

bool NewRecordTransfer::insertRepair()
{
    const QString mseg = m_state.masterUserSegregate;
    if (counted("rep") <= 0) {
        m_sheet.setText(insertedBox("rep"), QStringLiteral("0"));
        return true;
    }
    if (!recordMatched(
            QStringLiteral("select temp_repair.rtag,") + mseg +
                QStringLiteral(".repair.rtag from temp_repair,") + mseg +
                QStringLiteral(".repair where ") +
                (masterUserIsOwner()
                     ? QStringLiteral("temp_repair.r3230=") + mseg +
                           QStringLiteral(".repair.r3230 and temp_repair.r3241=") + mseg +
                           QStringLiteral(".repair.r3241 and temp_repair.mtag=") + mseg +
                           QStringLiteral(".repair.mtag")
                     : QStringLiteral("temp_repair.rtag=") + mseg + QStringLiteral(".repair.rtag")),
            QStringLiteral("'REPAIR'"), "repair"))
        return false;
    if (masterUserIsOwner())
        execute(m_master, QStringLiteral("delete from temp_repair where "
                                         "qel_vr_rep_record_confirm(temp_repair.r3230,temp_repair."
                                         "r3241,temp_repair.mtag)=1;commit"));
    else
        execute(m_master,
                QStringLiteral("delete from temp_repair where rtag in (select rtag from ") + mseg +
                    QStringLiteral(".repair);commit;"));
    execute(m_master,
            QStringLiteral("delete from temp_repair where mtag not in (select mtag from ") + mseg +
                QStringLiteral(".inventory);commit;update temp_repair set "
                               "rdsrc='VRW';commit;"));
    status(0, 233, 90);
    correctCount(QStringLiteral("select count(rtag) from temp_repair"), "rep");
    trace(QStringLiteral("Add NEW Repair records to Repair table"));
    expectCopyAndStamps(98, "rep");
    long inserted = 0;
    if (!copy(QStringLiteral("select ") + CreateSelectList(m_context, QStringLiteral("Repair")) +
                  QStringLiteral(" from temp_repair"),
              mseg + QStringLiteral(".repair"), QStringLiteral("F"), &inserted))
        return false;
    m_inserted += inserted;
    if (!stampLoop(QStringLiteral("select rtag from temp_repair"),
                   [](const QString& rtag, const QString&) {
                       return ChangeLog::stampInserted(ChangeLog::Family::Repair, rtag);
                   }))
        return false;
    m_sheet.setNumber(insertedBox("rep"), inserted);
    return true;
}

// Phases 9 and 10: totals, clean-up, and the end of the run.
void NewRecordTransfer::finish()
{
    Ui& ui = m_context.ui;
    status(0, 234, 98);
    m_sheet.setNumber(StatisticsSheet::totalBox(StatisticsSheet::Column::Rnumber), m_inserted);
    m_sheet.setProgressBar(100);
    m_state.newRecordTotal = m_inserted;
    DropTempTables(m_context);
    if (lost())
        return;

    if (countOf(m_remote, QStringLiteral("select count(*) from mt.qel_vr_log where sync_date is "
                                         "null and action='UPD'")) == 0)
        execute(m_remote, QStringLiteral("delete from mt.qel_vr_log where action in ('INS','DEL') "
                                         "and sync_date is not null;commit"));
    m_context.events.UpdateMenuStatus();
    if (lost())
        return;

    const bool syncError = m_context.tableCopy.syncError;
    if (m_state.newRecordsPending && m_state.modifiedRecordsPending) {
        ui.setBusy(false);
        return;
    }
    if (m_state.newRecordsPending && syncError) {
        ui.message({m_context.phrase(564) + QStringLiteral("\r\n\r\n") + m_context.phrase(565),
                    m_context.phrase(101), MessageIcon::Exclamation, MessageButtons::Ok,
                    std::nullopt});
    } else {
        if (m_state.modifiedRecordsPending) {
            ui.setBusy(false);
            return;
        }
        if (!syncError)
            ClearRemoteLog(m_context);
    }
    m_sheet.setText(QStringLiteral("Function"), m_context.phrase(238));
    m_state.transferStopTime = timestampText(m_context.clock.now());
    execute(m_master, synchronizeHistoryStatement(m_context, m_context.phrase(244)));
    status(236, 237, -1);
    // The next synchronisation of this session starts its own clock.
    m_state.transferStartTime.clear();
    ui.setBusy(false);
}

} // namespace

void TransferNewRecords(const CopyContext& context)
{
    NewRecordTransfer(context).run();
}
