#include "sync/MergeTransfer.h"

#include "base/ErrorReporter.h"
#include "copy/Catalogue.h"
#include "copy/SqlLiteral.h"
#include "copy/SyncErrorLog.h"
#include "copy/TempTables.h"
#include "sync/ChangeLog.h"
#include "sync/TransferHistory.h"
#include "sync/TransferSteps.h"

#include <iterator>

namespace {

using Column = StatisticsSheet::Column;

const QString TakenKeyHeldBack =
    QStringLiteral("Item not merged, with its records: its mtag is another asset's in the "
                   "Master Database");

// A record table of the merge, in the order the merge copies them.
struct MergedTable
{
    const char* suffix;   // the statistics sheet's row
    const char* table;    // the table's name in both databases
    const char* key;      // the column counted
    const char* listName; // the name the insert's column list is asked for
    bool results;         // takes part only when the remote's schema carries results
};

constexpr MergedTable mergedTables[] = {
    {"inv", "inventory", "mtag", "Inventory", false},
    {"cal", "calibration", "ctag", "Calibration", false},
    {"std", "standards", "ctag", "Standards", false},
    {"crs", "calresults", "ctag", "Calresults", false},
    {"frs", "results", "ctag", "results", true},
    {"rrs", "results_raw", "ctag", "results_raw", true},
    {"loc", "location", "ltag", "Location", false},
    {"rep", "repair", "rtag", "Repair", false},
    {"cus", "customers", "ktag", "Customers", false},
};

const MergedTable& merged(const char* suffix)
{
    for (const MergedTable& t : mergedTables)
        if (qstrcmp(t.suffix, suffix) == 0)
            return t;
    Q_UNREACHABLE();
}

class MergeTransfer : private TransferSteps
{
public:
    explicit MergeTransfer(const CopyContext& context) : TransferSteps(context) {}

    bool run();

private:
    // Each returns false when the run must stop (a lost connection was reported).
    void count(Column column, Command& command, const QString& owner);
    bool copyRemoteTables();
    bool mapKeys();
    bool holdBackTakenKeys(std::span<const Rekeyed> dependants);
    bool customers();
    bool inventory();
    bool calibration();
    bool calibrationChildren(const char* suffix, int bar, int insertProgress, int insertBar);
    bool location();
    bool repair();
    bool finish();

    bool takesPart(const MergedTable& t) const { return !t.results || m_results; }
    QString masterTable(const MergedTable& t) const
    {
        return m_state.masterUserSegregate + QLatin1Char('.') + QLatin1String(t.table);
    }
    static QString temp(const MergedTable& t)
    {
        return QStringLiteral("temp_") + QLatin1String(t.table);
    }
    // The counts of steps 2 and 3, as the sheet shows them.
    bool counted(Column column, const char* suffix) const
    {
        return m_sheet.number(StatisticsSheet::box(column, QLatin1String(suffix))) > 0;
    }
    bool bothHeldRows(const char* suffix) const
    {
        return counted(Column::Mtotal, suffix) && counted(Column::Rtotal, suffix);
    }
    void showToInsert(const MergedTable& t);
    // Inserts temp_<table> into the master (with `order` appended to the select), shows the
    // number inserted and the master's new count, and adds both to the totals.
    bool insert(const MergedTable& t, const QString& order = QString());
    // The master's count shown when nothing was inserted.
    void insertedNone(const MergedTable& t);
    void dropHeldKeys(const MergedTable& t);
    void recount(const MergedTable& t);

    bool m_results = false;
    qint32 m_dumped = 0;
    qint32 m_inserted = 0;
    qint32 m_masterAfter = 0;
};

bool MergeTransfer::run()
{
    Ui& ui = m_context.ui;
    try {
        bindCommands();
        ui.setBusy(true);
        m_state.transferStartTime = timestampText(m_context.clock.now());
        m_sheet.show();
        m_sheet.setText(QStringLiteral("dbrecords(0)"), QLatin1Char(' ') + m_context.phrase(414));
        m_results = ChangeLog::resultsTakePart(m_state.remoteSchemaVersion);
        status(450, 451, 0);
        count(Column::Rtotal, m_remote, m_state.remoteUserSegregate);
        status(0, 452, 5);
        count(Column::Mtotal, m_master, m_state.masterUserSegregate);
        if (!copyRemoteTables() || !mapKeys() || !customers() || !inventory() || !calibration() ||
            !calibrationChildren("std", 40, 227, 50) || !calibrationChildren("crs", 60, 228, 65))
            return false;
        if (m_results &&
            (!calibrationChildren("frs", 70, 229, 70) || !calibrationChildren("rrs", 73, 229, 75)))
            return false;
        if (!location() || !repair())
            return false;
        return finish();
    } catch (const DbError& e) {
        ReportError(m_context, e, QStringLiteral("VRW1,TransferAllRecords"), m_statement);
        return false;
    }
}

// Steps 2 and 3: the rows of every table on one side.
void MergeTransfer::count(Column column, Command& command, const QString& owner)
{
    qint32 sum = 0;
    for (const MergedTable& t : mergedTables) {
        if (!takesPart(t))
            continue;
        const qint32 rows = countOf(command, QStringLiteral("select count(") +
                                                 QLatin1String(t.key) + QStringLiteral(") from ") +
                                                 owner + QLatin1Char('.') + QLatin1String(t.table));
        m_sheet.setNumber(StatisticsSheet::box(column, QLatin1String(t.suffix)), rows);
        sum += rows;
        m_context.ui.yield();
    }
    m_sheet.setNumber(StatisticsSheet::totalBox(column), sum);
}

// Step 4: the remote tables (customers apart) copied into temporary tables.
bool MergeTransfer::copyRemoteTables()
{
    struct Shown
    {
        const char* suffix;
        int function;
        int progress;
        int bar;
    };
    // The location's status follows the results' rows, as the window has always shown it.
    const Shown shown[] = {
        {"inv", 200, 201, 5},
        {"cal", 0, 202, 17},
        {"std", 0, 203, 34},
        {"crs", 0, 204, 50},
        {"frs", 0, 188, 55},
        {"rrs", 0, m_results ? 189 : 0, m_results ? 60 : -1},
        {"loc", 0, m_results ? 205 : 0, m_results ? 70 : -1},
        {"rep", 0, 206, 90},
    };
    for (std::size_t i = 0; i < std::size(shown); ++i) {
        const Shown& s = shown[i];
        status(s.function, s.progress, s.bar);
        const MergedTable& t = merged(s.suffix);
        if (!takesPart(t))
            continue;
        const QString table = QLatin1String(t.table);
        if (!declare(table))
            return false;
        // The whole table is copied: the bar moves with its rows towards the next table's
        // value.
        for (std::size_t next = i + 1; next < std::size(shown); ++next) {
            if (shown[next].bar >= 0) {
                m_sheet.expectRows(shown[next].bar, m_sheet.number(StatisticsSheet::box(
                                                        Column::Rtotal, QLatin1String(s.suffix))));
                break;
            }
        }
        long copied = 0;
        if (!copy(QStringLiteral("select ") + CreateSelectList(m_context, table) +
                      QStringLiteral(" from ") + m_state.remoteUserSegregate + QLatin1Char('.') +
                      table,
                  temp(t), QStringLiteral("R"), &copied))
            return false;
        m_sheet.setNumber(StatisticsSheet::box(Column::Rnumber, QLatin1String(t.suffix)), copied);
        m_dumped += static_cast<qint32>(copied);
    }
    return true;
}

// Step 5: every item mapped onto the master's key for its asset number, and the dependants
// with it.
bool MergeTransfer::mapKeys()
{
    const Rekeyed rekeyed[] = {
        {212, 30, "cal", "temp_calibration"}, {214, 50, "std", "temp_standards"},
        {216, 70, "crs", "temp_calresults"},  {190, 80, "frs", "temp_results"},
        {191, 85, "rrs", "temp_results_raw"}, {m_results ? 217 : 0, 88, "loc", "temp_location"},
        {218, 90, "rep", "temp_repair"},
    };
    if (!mapScratchKeys() || !holdBackTakenKeys(rekeyed))
        return false;
    rekeyDependants(rekeyed, [this](const Rekeyed& r) { return takesPart(merged(r.suffix)); });
    return rekeyItems();
}

// An item the master lacks keeps its remote mtag, and when the master holds that mtag for
// another asset the item itself is not inserted. Its dependants would land on the other
// asset, so they are kept back too (with the standards that name the item as their
// standard), before the re-keying makes them indistinguishable from the rows of an item
// mapped onto that mtag. Each such item is written to syncerr.log; the rows stay on the
// Remote Database.
bool MergeTransfer::holdBackTakenKeys(std::span<const Rekeyed> dependants)
{
    const QString mseg = m_state.masterUserSegregate;
    const QString taken =
        QStringLiteral("(select mtag from temp_qel_vr_scratch where trim(asset) not in (select "
                       "i4201 from ") +
        mseg + QStringLiteral(".inventory) and trim(mtag) in (select mtag from ") + mseg +
        QStringLiteral(".inventory))");
    m_statement = QStringLiteral("select temp_qel_vr_scratch.asset,temp_qel_vr_scratch.mtag,") +
                  mseg + QStringLiteral(".inventory.i4201 from temp_qel_vr_scratch,") + mseg +
                  QStringLiteral(".inventory where trim(temp_qel_vr_scratch.mtag)=") + mseg +
                  QStringLiteral(".inventory.mtag and trim(temp_qel_vr_scratch.asset) not in "
                                 "(select i4201 from ") +
                  mseg + QStringLiteral(".inventory)");
    m_master.setCommandText(m_statement);
    QStringList held;
    for (auto rs = m_master.open(CursorType::Static); !rs->eof(); rs->moveNext())
        held << QStringLiteral("asset %1 with mtag %2, which the Master Database holds for "
                               "asset %3")
                    .arg(rs->value(0).value_or(QString()).trimmed(),
                         rs->value(1).value_or(QString()).trimmed(),
                         rs->value(2).value_or(QString()).trimmed());
    if (held.isEmpty())
        return true;
    for (const QString& item : std::as_const(held))
        LogSyncError(m_context, TakenKeyHeldBack, item, QStringLiteral("TransferAllRecords"));
    for (const Rekeyed& r : dependants) {
        if (!takesPart(merged(r.suffix)))
            continue;
        const QString table = QLatin1String(r.table);
        QString condition = QStringLiteral(" where mtag in ") + taken;
        if (table == QLatin1String("temp_standards"))
            condition += QStringLiteral(" or c2430 in ") + taken;
        execute(m_master,
                QStringLiteral("delete from ") + table + condition + QStringLiteral(";commit"));
    }
    return !lost();
}

void MergeTransfer::showToInsert(const MergedTable& t)
{
    m_sheet.setNumber(QStringLiteral("Textmaxcounter"),
                      countOf(m_master, QStringLiteral("select count(") + QLatin1String(t.key) +
                                            QStringLiteral(") from ") + temp(t)));
}

void MergeTransfer::recount(const MergedTable& t)
{
    const qint32 rows = countOf(m_master, QStringLiteral("select count(") + QLatin1String(t.key) +
                                              QStringLiteral(") from ") + masterTable(t));
    m_sheet.setNumber(StatisticsSheet::box(Column::Mtotal, QLatin1String(t.suffix)), rows);
    m_masterAfter += rows;
}

bool MergeTransfer::insert(const MergedTable& t, const QString& order)
{
    long inserted = 0;
    if (!copy(QStringLiteral("select ") + CreateSelectList(m_context, QLatin1String(t.listName)) +
                  QStringLiteral(" from ") + temp(t) + order,
              masterTable(t), QStringLiteral("F"), &inserted))
        return false;
    m_sheet.setNumber(StatisticsSheet::box(Column::Mnumber, QLatin1String(t.suffix)), inserted);
    m_inserted += static_cast<qint32>(inserted);
    recount(t);
    return !lost();
}

// A location or repair whose key the master holds is the master's row, changed in one place
// or the other: inserting it could only fail on the key.
void MergeTransfer::dropHeldKeys(const MergedTable& t)
{
    const QString key = QLatin1String(t.key);
    execute(m_master, QStringLiteral("delete from ") + temp(t) + QStringLiteral(" where ") + key +
                          QStringLiteral(" in (select ") + key + QStringLiteral(" from ") +
                          masterTable(t) + QStringLiteral(");commit"));
}

void MergeTransfer::insertedNone(const MergedTable& t)
{
    m_sheet.setNumber(StatisticsSheet::box(Column::Mnumber, QLatin1String(t.suffix)), 0);
    recount(t);
}

// Step 6: customers the master knows by their customer number take its key, the items follow
// them by their key's customer prefix, and the others are inserted.
bool MergeTransfer::customers()
{
    const MergedTable& t = merged("cus");
    status(219, 497, 5);
    if (!declare(QLatin1String(t.table)))
        return false;
    long copied = 0;
    if (!copy(QStringLiteral("select * from ") + m_state.remoteUserSegregate +
                  QStringLiteral(".customers"),
              temp(t), QStringLiteral("R"), &copied))
        return false;
    m_sheet.setNumber(StatisticsSheet::box(Column::Rnumber, QLatin1String(t.suffix)), copied);
    m_dumped += static_cast<qint32>(copied);
    m_sheet.setNumber(StatisticsSheet::totalBox(Column::Rnumber), m_dumped);
    execute(m_master, QStringLiteral("update temp_customers,mt.customers set "
                                     "temp_customers.ktag=mt.customers.ktag where "
                                     "temp_customers.k4601=mt.customers.k4601;commit"));
    execute(m_master, customerPrefixStatement());
    execute(m_master, QStringLiteral("delete from temp_customers where k4601 in (select k4601 "
                                     "from ") +
                          masterTable(t) +
                          QStringLiteral(");update temp_customers set kdsrc='VRW';commit;"));
    status(0, 498, 10);
    return insert(t);
}

// Step 7: the items whose asset number and mtag the master does not hold.
bool MergeTransfer::inventory()
{
    const MergedTable& t = merged("inv");
    const QString master = masterTable(t);
    execute(m_master, QStringLiteral("update temp_inventory set i4201 = trim(i4201),mtag = "
                                     "trim(mtag);commit"));
    execute(m_master,
            QStringLiteral("delete from temp_inventory where i4201 in (select i4201 from ") +
                master +
                QStringLiteral(");commit;delete from temp_inventory where mtag in (select mtag "
                               "from ") +
                master + QStringLiteral(");commit;update temp_inventory set idsrc='VRW';commit"));
    showToInsert(t);
    m_sheet.setVisible(QStringLiteral("Labelmaxcounter"), true);
    m_sheet.setVisible(QStringLiteral("Textmaxcounter"), true);
    status(0, 221, 15);
    return insert(t, QStringLiteral(" order by i4201"));
}

// Step 8: calibrations by their key; before 1970 never; by the confirm function and the
// master's inventory only when both tables held rows.
bool MergeTransfer::calibration()
{
    const MergedTable& t = merged("cal");
    const QString mseg = m_state.masterUserSegregate;
    status(0, 220, 20);
    execute(m_master, QStringLiteral("delete from temp_calibration where ctag in (select ctag "
                                     "from ") +
                          masterTable(t) + QStringLiteral(");commit"));
    status(0, 220, 25);
    execute(m_master,
            QStringLiteral("delete from temp_calibration where c2301 < '1970-01-01';commit"));
    status(0, 220, 30);
    if (bothHeldRows("cal")) {
        execute(m_master, QStringLiteral("delete from temp_calibration where "
                                         "qel_vr_cal_record_confirm(temp_calibration.c2301,temp_"
                                         "calibration.c2333,temp_calibration.mtag)=1;commit"));
        execute(m_master, QStringLiteral("delete from temp_calibration where mtag not in (select "
                                         "mtag from ") +
                              mseg +
                              QStringLiteral(".Inventory);commit;update temp_calibration set "
                                             "cdsrc='VRW';commit"));
    } else {
        // Every row the merge inserts carries the merge's mark.
        execute(m_master, QStringLiteral("update temp_calibration set cdsrc='VRW';commit"));
    }
    showToInsert(t);
    status(0, 225, 35);
    if (!counted(Column::Rtotal, "cal")) {
        insertedNone(t);
        return true;
    }
    return insert(t);
}

// Step 9: standards, calresults and results of calibrations the master lacks and the merge
// carries.
bool MergeTransfer::calibrationChildren(const char* suffix, int bar, int insertProgress,
                                        int insertBar)
{
    const MergedTable& t = merged(suffix);
    const QString table = temp(t);
    status(0, 220, bar);
    execute(m_master, QStringLiteral("delete from ") + table +
                          QStringLiteral(" where ctag in (select ctag from ") + masterTable(t) +
                          (qstrcmp(suffix, "std") == 0 ? QStringLiteral(");commit")
                                                       : QStringLiteral(");commit;")));
    execute(m_master, QStringLiteral("delete from ") + table +
                          QStringLiteral(" where ctag not in (select ctag from "
                                         "temp_calibration);commit"));
    showToInsert(t);
    status(0, insertProgress, insertBar);
    return insert(t);
}

// Steps 10 and 11: location and repair, filtered only when both tables held rows.
bool MergeTransfer::location()
{
    const MergedTable& t = merged("loc");
    if (m_results) {
        m_sheet.setText(QStringLiteral("Progress"),
                        m_context.phrase(220) + QStringLiteral(" - Loc Confirm"));
        m_sheet.setProgressBar(77);
        m_context.ui.yield();
    }
    dropHeldKeys(t);
    if (bothHeldRows("loc")) {
        execute(m_master, QStringLiteral("delete from temp_location where "
                                         "qel_vr_loc_record_confirm(temp_location.l2809,temp_"
                                         "location.l2810,temp_location.mtag)=1;commit"));
        m_sheet.setText(QStringLiteral("Progress"),
                        m_context.phrase(220) + QStringLiteral(" - Loc MTAG+"));
        execute(m_master, QStringLiteral("delete from temp_location where mtag not in (select "
                                         "mtag from ") +
                              m_state.masterUserSegregate +
                              QStringLiteral(".inventory);commit;update temp_location set "
                                             "ldsrc='VRW';commit;"));
        showToInsert(t);
    } else {
        execute(m_master, QStringLiteral("update temp_location set ldsrc='VRW';commit"));
    }
    if (!counted(Column::Rtotal, "loc")) {
        insertedNone(t);
        return true;
    }
    status(0, 231, 80);
    return insert(t);
}

bool MergeTransfer::repair()
{
    const MergedTable& t = merged("rep");
    status(0, 220, 85);
    dropHeldKeys(t);
    if (bothHeldRows("rep")) {
        execute(m_master, QStringLiteral("delete from temp_repair where "
                                         "qel_vr_rep_record_confirm(temp_repair.r3230,temp_repair."
                                         "r3241,temp_repair.mtag)=1;commit"));
        execute(m_master, QStringLiteral("delete from temp_repair where mtag not in (select mtag "
                                         "from ") +
                              m_state.masterUserSegregate +
                              QStringLiteral(".inventory);commit;update temp_repair set "
                                             "rdsrc='VRW';commit;"));
    } else {
        execute(m_master, QStringLiteral("update temp_repair set rdsrc='VRW';commit"));
    }
    showToInsert(t);
    status(0, 233, 90);
    if (!counted(Column::Rtotal, "rep")) {
        insertedNone(t);
        return true;
    }
    return insert(t);
}

// Steps 12 to 14: the totals, the history row, and the temporary tables dropped.
bool MergeTransfer::finish()
{
    status(0, 234, 95);
    m_sheet.setVisible(QStringLiteral("Labelmaxcounter"), false);
    m_sheet.setVisible(QStringLiteral("Textmaxcounter"), false);
    m_sheet.setNumber(StatisticsSheet::totalBox(Column::Mnumber), m_inserted);
    m_sheet.setNumber(StatisticsSheet::totalBox(Column::Mtotal), m_masterAfter);
    m_state.newRecordTotal = m_inserted;
    bindCommands();
    m_state.transferStopTime = timestampText(m_context.clock.now());
    status(236, 241, 100);
    execute(m_master, mergeHistoryStatement(m_context, m_inserted, m_context.phrase(242)));
    status(0, 237, -1);
    DropTempTables(m_context);
    m_context.ui.setBusy(false);
    return true;
}

} // namespace

bool TransferAllRecords(const CopyContext& context)
{
    return MergeTransfer(context).run();
}
