#include "base/LogFiles.h"
#include "session/Sessions.h"
#include "sync/ModifiedRecordTransfer.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>
#include <algorithm>

// The transfer of modified records on a demo workspace whose remote holds column changes only.
// Each case starts from the same two database files, put back before it.
class TestModifiedRecords : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture{TestWorkspace::small(DemoOptions::Remote::UpdatesOnly)};
    std::unique_ptr<TestProgram> m_t;

    const DemoWorkspace::Report& files() const { return m_fixture.workspace.report(); }

    // Runs SQL on a database file directly, the stand-in's extension loaded.
    void onRemote(const QString& sql) { m_fixture.workspace.openRemote()->exec(sql); }
    void onMaster(const QString& sql) { m_fixture.workspace.master()->exec(sql); }
    QString remoteValue(const QString& sql) const { return m_fixture.remoteValue(sql); }
    QString masterValue(const QString& sql) const { return m_fixture.masterValue(sql); }

    // A record of the master, written as one short text: what a test compares before/after.
    QString masterRow(const QString& table, const QString& key, const QString& columns) const
    {
        return m_fixture.masterRows(
            QStringLiteral("select %1 from %2 where %3").arg(columns, table, key));
    }

    Program& program() { return m_t->program(); }
    StatisticsSheet& sheet() { return program().statistics; }

    // Signs in as mt on both sides; the faults a test set up apply from the first statement.
    void signIn()
    {
        m_t = m_fixture.signedIn();
        QVERIFY(m_t);
    }

    QString syncErrors() const { return m_fixture.syncErrors(); }

    int historyRows() const { return m_fixture.historyRows(); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_fixture.keepFiles(), qPrintable(m_fixture.workspace.error()));
    }

    void init() { QVERIFY(m_fixture.startFromKeptFiles()); }

    void cleanup() { m_t.reset(); }

    // Every logged change reaches the master, the log is emptied and one history row tells.
    // The bar shows each step's value in turn and moves with the rows inside a family.
    void everyChangedColumnReachesTheMaster()
    {
        onRemote(QStringLiteral("create table log_before as select * from qel_vr_log"));
        const int before = historyRows();
        signIn();
        QList<int> bar;
        QObject::connect(&sheet(), &StatisticsSheet::changed, &sheet(), [&bar, this](auto& name) {
            if (name == QLatin1String("ProgressBar"))
                bar.append(sheet().progressBar());
        });
        TransferModifiedRecords(program());
        QVERIFY2(std::is_sorted(bar.begin(), bar.end()), qPrintable(QDebug::toString(bar)));
        for (int step : {0, 5, 10, 40, 50, 60, 65, 70, 75, 80, 90, 100})
            QVERIFY2(bar.contains(step), qPrintable(QDebug::toString(bar)));
        QVERIFY2(std::any_of(bar.begin(), bar.end(), [](int v) { return v > 10 && v < 40; }),
                 qPrintable(QDebug::toString(bar)));

        auto remote = m_fixture.workspace.openRemote();
        const QList<QVariantList> changes = remote->rows(QStringLiteral(
            "select affected_table,xtag,xtag_additional,affected_column,i4201 from log_before"));
        QVERIFY(changes.size() > 20);
        int checked = 0;
        for (const QVariantList& c : changes) {
            const QString family = c[0].toString();
            const QString x = c[1].toString().replace(QLatin1Char('\''), QStringLiteral("''"));
            const QString xa = c[2].toString().replace(QLatin1Char('\''), QStringLiteral("''"));
            QString table = family.toLower(), column = c[3].toString(), key;
            if (family == QLatin1String("INVENTORY"))
                key = QStringLiteral("mtag='%1'").arg(x);
            else if (family == QLatin1String("CALIBRATION"))
                key = QStringLiteral("ctag='%1'").arg(x);
            else if (family == QLatin1String("STANDARDS"))
                key = QStringLiteral("ctag='%1' and c2430='%2'").arg(x, xa);
            else if (family == QLatin1String("CALRESULTS"))
                key = QStringLiteral("ctag='%1' and c2502='%2'").arg(x, xa);
            else if (family.startsWith(QLatin1String("RESULTS")))
                key = QStringLiteral("ctag='%1' and row_num='%2'").arg(x, xa);
            else if (family == QLatin1String("LOCATION"))
                key = QStringLiteral("ltag='%1'").arg(x);
            else if (family == QLatin1String("REPAIR"))
                key = QStringLiteral("rtag='%1'").arg(x);
            else if (family == QLatin1String("CUSTOMERS"))
                key = QStringLiteral("ktag='%1'").arg(x);
            else if (family == QLatin1String("VALFIELD")) {
                column = c[2].toString();
                key = QStringLiteral("fldnum='%1'").arg(x);
            } else { // VALLINKDATA: the new value travels in the log
                QCOMPARE(
                    masterRow(QStringLiteral("vallinkdata"),
                              QStringLiteral("root='%1' and rootdata='%2'").arg(x, c[4].toString()),
                              column),
                    c[2].toString());
                ++checked;
                continue;
            }
            const QString differs = m_fixture.sameOnBothSides(
                QStringLiteral("select %1 from %2 where %3").arg(column, table, key));
            QVERIFY2(differs.isEmpty(), qPrintable(differs));
            ++checked;
        }
        QCOMPARE(checked, changes.size());
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));
        QCOMPARE(historyRows(), before + 1);
        QVERIFY(syncErrors().isEmpty());
        QVERIFY(m_t->ui.messages.isEmpty());
        QCOMPARE(sheet().text(QStringLiteral("Function")), program().phrase(409));
        QCOMPARE(sheet().text(QStringLiteral("Progress")), program().phrase(410));
        QCOMPARE(sheet().number(QStringLiteral("Minsttotal")),
                 sheet().number(QStringLiteral("Mtotal")));
        QCOMPARE(m_t->state().modifiedRecordTotal,
                 qint32(sheet().number(QStringLiteral("Minsttotal"))));
    }

    void nothingPendingStillWritesTheHistory()
    {
        onRemote(QStringLiteral("delete from qel_vr_log"));
        signIn();
        TransferModifiedRecords(program());
        const QString newest = QStringLiteral("select %1 from qel_vr_transfer_log where ") +
                               testsupport::newestHistoryRow();
        QCOMPARE(masterValue(newest.arg(
                     QStringLiteral("transfer_type||' '||num_mods||' '||inv_mod||' '||comments"))),
                 QStringLiteral("Synchronize 0 0 ") + program().phrase(243));
        QCOMPARE(sheet().text(QStringLiteral("Mtotal")), QStringLiteral("0"));
        const QStringList texts = m_fixture.log().texts();
        QVERIFY(texts.contains(QStringLiteral(
            "delete from mt.qel_vr_log where sync_date is not null;commit;"
            "delete from mt.qel_vr_log where affected_table='inventory' and action='INS';commit")));
        QVERIFY(texts.contains(QStringLiteral(
            "select count(*) from mt.qel_vr_log where sync_date is null and action='UPD'")));
    }

    // One row of every family, statement by statement: read, write, mark.
    void statementsOfEveryFamily()
    {
        onRemote(QStringLiteral("delete from qel_vr_log where rowid not in (select min(rowid) from "
                                "qel_vr_log group by affected_table)"));
        signIn();
        TransferModifiedRecords(program());
        const QStringList texts = m_fixture.log().texts();
        auto has = [&](const QString& pattern) {
            const QRegularExpression re(QLatin1Char('^') + pattern + QLatin1Char('$'),
                                        QRegularExpression::DotMatchesEverythingOption);
            for (const QString& t : texts)
                if (re.match(t).hasMatch())
                    return true;
            qWarning("missing: %s", qPrintable(pattern));
            return false;
        };
        const QString key = QStringLiteral("'[^']*'");
        // A mark covers the rows of one change logged up to the row carried, nothing else.
        auto mark = [&key](const char* table, const QString& keys) {
            return QStringLiteral(
                       "update mt\\.qel_vr_log set sync_date=now\\(\\*\\) where sync_date is "
                       "null and action='UPD' and affected_table='%1' and xtag=%2")
                       .arg(QLatin1String(table), key) +
                   keys.arg(key) + QStringLiteral(" and event_date<='[0-9: .-]{23}';commit");
        };
        // The pending rows are read a stretch of event dates at a time, up to the last change
        // pending when the run started.
        const QString stretch = QStringLiteral(" and event_date<='[0-9: .-]{23}'");
        QVERIFY(has(QStringLiteral("select top 1 start at 4096 event_date from mt\\.qel_vr_log "
                                   "where sync_date is null and affected_table='INVENTORY' and "
                                   "action='UPD'") +
                    stretch + QStringLiteral(" order by event_date")));
        QVERIFY(has(
            QStringLiteral("select xtag,affected_column,event_date from mt\\.qel_vr_log where "
                           "sync_date is null and affected_table='INVENTORY' and action='UPD'") +
            stretch + QStringLiteral(" order by event_date")));
        QVERIFY(has(QStringLiteral("select xtag,xtag_additional,affected_column,event_date from "
                                   "mt\\.qel_vr_log where sync_date is null and "
                                   "affected_table='CALRESULTS' and action='UPD'") +
                    stretch));
        QVERIFY(has(QStringLiteral(
                        "select xtag,i4201,affected_column,xtag_additional,event_date from "
                        "mt\\.qel_vr_log where sync_date is null and affected_table='VALLINKDATA' "
                        "and action='UPD'") +
                    stretch + QStringLiteral(" order by event_date")));
        QVERIFY(has(QStringLiteral("select count\\(xtag\\) from mt\\.qel_vr_log where sync_date is "
                                   "null and action='UPD' and affected_table='RESULTS_RAW'")));
        for (const char* t : {"inventory", "calibration", "location", "repair"}) {
            QVERIFY(has(
                QStringLiteral(
                    "select (\\w+|cast\\(\\w+ AS char\\(32767\\)\\)) from MT\\.%1 where \\wtag=%2")
                    .arg(QLatin1String(t), key)));
            QVERIFY(has(QStringLiteral("update MT\\.%1 set \\w+=.* where \\wtag=%2;commit")
                            .arg(QLatin1String(t), key)));
        }
        QVERIFY(has(QStringLiteral("select \\w+ from MT\\.customers where ktag=") + key));
        QVERIFY(has(
            QStringLiteral("select \\w+ from MT\\.standards where ctag=%1 and c2430=%1").arg(key)));
        QVERIFY(has(
            QStringLiteral("update MT\\.calresults set \\w+=.* where ctag=%1 and c2502=%1;commit")
                .arg(key)));
        QVERIFY(has(QStringLiteral(
                        "update MT\\.results_raw set \\w+=.* where ctag=%1 and row_num=%1;commit")
                        .arg(key)));
        QVERIFY(has(QStringLiteral("select val,\\w+ from mt\\.valfield where fldnum=") + key));
        QVERIFY(
            has(QStringLiteral("update mt\\.valfield set \\w+=.* where fldnum=%1 and val=%1;commit")
                    .arg(key)));
        QVERIFY(has(QStringLiteral(
                        "update mt\\.vallinkdata set \\w+=%1 where root=%1 and rootdata=%1;commit")
                        .arg(key)));
        QVERIFY(has(mark("INVENTORY", QStringLiteral(" and affected_column=%1"))));
        QVERIFY(has(
            mark("CALRESULTS", QStringLiteral(" and xtag_additional=%1 and affected_column=%1"))));
        QVERIFY(
            has(mark("RESULTS", QStringLiteral(" and xtag_additional=%1 and affected_column=%1"))));
        QVERIFY(has(mark("VALFIELD", QStringLiteral(" and xtag_additional=%1"))));
        QVERIFY(has(mark("VALLINKDATA", QStringLiteral(" and i4201=%1 and affected_column=%1 and "
                                                       "xtag_additional=%1"))));
        // num_mods counts every family's change, the validation tables' two included.
        QVERIFY(has(QStringLiteral(
            "insert into "
            "mt\\.qel_vr_transfer_log\\(host_name,user_name,start_time,transfer_type,num_records,"
            "num_mods,stop_time,"
            "inv_new,cal_new,resc_new,resf_new,resr_new,std_new,loc_new,rep_new,cus_new,"
            "inv_mod,cal_mod,loc_mod,rep_mod,cus_mod,user_account,comments\\)values\\("
            "'FIELD-LAPTOP-07','mt','[0-9: -]{19}','Synchronize','0','9','[0-9: -]{19}',"
            "('0',){9}'1','1','1','1','1','[^']+','Transferred Modified Records To The Master "
            "Database'\\);commit")));
    }

    // The record is gone from the remote: nothing is written, the entry is marked and is
    // not counted.
    void aRecordDeletedOnTheRemoteIsNotCarried()
    {
        const QString mtag = remoteValue(
            QStringLiteral("select xtag from qel_vr_log where affected_table='INVENTORY' limit 1"));
        const int rows = remoteValue(QStringLiteral("select count(*) from qel_vr_log where "
                                                    "affected_table='INVENTORY' and xtag='%1'")
                                         .arg(mtag))
                             .toInt();
        const int all =
            remoteValue(
                QStringLiteral("select count(*) from qel_vr_log where affected_table='INVENTORY'"))
                .toInt();
        onRemote(QStringLiteral("update dbconfig set dbremote=0; delete from inventory where "
                                "mtag='%1'; update dbconfig set dbremote=1")
                     .arg(mtag));
        const QString kept = masterRow(QStringLiteral("inventory"),
                                       QStringLiteral("mtag='%1'").arg(mtag), QStringLiteral("*"));
        signIn();
        TransferModifiedRecords(program());
        QCOMPARE(masterRow(QStringLiteral("inventory"), QStringLiteral("mtag='%1'").arg(mtag),
                           QStringLiteral("*")),
                 kept);
        QCOMPARE(sheet().number(QStringLiteral("Minvnumber")), double(all - rows));
        QCOMPARE(sheet().number(QStringLiteral("Mtotalinv")), double(all));
        QVERIFY(syncErrors().isEmpty());
    }

    // A write that changes no master row carries nothing: the master never had the record, or
    // the record's key itself was changed in the field. Each is a row failure and stays pending.
    void aWriteThatChangesNoMasterRowIsARowFailure()
    {
        const QString someItem = masterValue(QStringLiteral("select min(mtag) from inventory"));
        onRemote(
            QStringLiteral(
                "update dbconfig set dbremote=0;"
                "insert into inventory(mtag,i4201,i4206,i4207,i4208,i4215) "
                "values('ONLY-FIELD','A-ONLY-FIELD','A',0,12,0);"
                "update inventory set mtag='RENAMED-IN-FIELD' where mtag='%1';"
                "delete from qel_vr_log;"
                "insert into qel_vr_log(xtag,affected_table,affected_column,action,event_date) "
                "values('ONLY-FIELD','INVENTORY','i4202','UPD','2011-06-14 10:00:00.000'),"
                "('RENAMED-IN-FIELD','INVENTORY','mtag','UPD','2011-06-14 10:00:01.000');"
                "update dbconfig set dbremote=1")
                .arg(someItem));
        signIn();
        TransferModifiedRecords(program());
        QCOMPARE(sheet().text(QStringLiteral("Minvnumber")), QStringLiteral("0"));
        QCOMPARE(masterValue(QStringLiteral("select count(*) from inventory where mtag in "
                                            "('ONLY-FIELD','RENAMED-IN-FIELD')")),
                 QStringLiteral("0"));
        QCOMPARE(syncErrors().count(QStringLiteral("The Master Database has no inventory row")), 2);
        QVERIFY(program().tableCopy.syncError);
        QCOMPARE(
            remoteValue(QStringLiteral("select count(*) from qel_vr_log where sync_date is null")),
            QStringLiteral("2"));
    }

    // Keys with a quote in them are carried like any other (their quotes doubled).
    void aKeyWithAQuoteIsCarried()
    {
        onRemote(QStringLiteral(
            "update dbconfig set dbremote=0;"
            "insert into inventory(mtag,i4201,i4202,i4206,i4207,i4208,i4215) "
            "values('O''NEIL-01','A-ONEIL','field value','A',0,12,0);"
            "delete from qel_vr_log;"
            "insert into qel_vr_log(xtag,affected_table,affected_column,action,event_date) "
            "values('O''NEIL-01','INVENTORY','i4202','UPD','2011-06-14 10:00:00.000');"
            "update dbconfig set dbremote=1"));
        onMaster(QStringLiteral("insert into inventory(mtag,i4201,i4202,i4206,i4207,i4208,i4215) "
                                "values('O''NEIL-01','A-ONEIL','old value','A',0,12,0)"));
        signIn();
        TransferModifiedRecords(program());
        QCOMPARE(masterValue(QStringLiteral("select i4202 from inventory where mtag='O''NEIL-01'")),
                 QStringLiteral("field value"));
        QVERIFY(syncErrors().isEmpty());
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));
    }

    // A validation field's description change is carried value by value: the other values
    // of the field keep their own descriptions.
    void aValidationFieldKeepsEachValuesOwnText()
    {
        const QString fldnum = remoteValue(QStringLiteral(
            "select xtag from qel_vr_log where affected_table='VALFIELD' and action='UPD'"));
        QVERIFY(!fldnum.isEmpty());
        signIn();
        TransferModifiedRecords(program());
        const QString query =
            QStringLiteral("select group_concat(val||'='||coalesce(valdesc,''),'|') from (select * "
                           "from valfield where fldnum='%1' order by val) as v")
                .arg(fldnum);
        QCOMPARE(masterValue(query), remoteValue(query));
        QVERIFY(masterValue(
                    QStringLiteral("select count(distinct valdesc) from valfield where fldnum='%1'")
                        .arg(fldnum))
                    .toInt() > 1);
    }

    // Schema version 6: the results tables take no part; their boxes keep what they held, and
    // their entries, still pending, are written to syncerr.log before the log is emptied.
    void olderSchemasLeaveTheResultsAlone()
    {
        onRemote(QStringLiteral("update dbconfig set version='6.5.0'"));
        signIn();
        QCOMPARE(m_t->state().remoteSchemaVersion, QStringLiteral("6"));
        sheet().show();
        sheet().setText(QStringLiteral("Mfrsnumber"), QStringLiteral("7"));
        sheet().setText(QStringLiteral("Mtotalrrs"), QStringLiteral("8"));
        // Entries of results that share their key with a carried calibration are marked with
        // it; the others stay pending.
        const int dropped =
            remoteValue(
                QStringLiteral(
                    "select count(*) from qel_vr_log where affected_table like 'RESULTS%' and xtag "
                    "not in "
                    "(select xtag from qel_vr_log where affected_table in "
                    "('INVENTORY','CALIBRATION','LOCATION','REPAIR','CUSTOMERS','VALFIELD'))"))
                .toInt();
        QVERIFY(dropped > 0);
        TransferModifiedRecords(program());
        QCOMPARE(sheet().text(QStringLiteral("Mfrsnumber")), QStringLiteral("7"));
        QCOMPARE(sheet().text(QStringLiteral("Mtotalrrs")), QStringLiteral("8"));
        QVERIFY(
            m_fixture.log().textsContaining(QStringLiteral("affected_table='RESULTS'")).isEmpty());
        // Nothing pending is deleted silently.
        QCOMPARE(
            syncErrors().count(QStringLiteral("Untransferred change deleted with the change log")),
            dropped);
        QVERIFY(!program().tableCopy.syncError);
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));
    }

    // A failing row goes to syncerr.log and stays pending; the flag then keeps the log from
    // being emptied, run after run, and the user is warned each time.
    void aFailingRowIsLoggedAndKeepsTheLog()
    {
        m_fixture.faults().failWhen(
            FaultInjector::textContains(QStringLiteral("update MT.inventory set")),
            DbError(-194, QStringLiteral("No primary key value for foreign key")));
        const int before = historyRows();
        signIn();
        TransferModifiedRecords(program());
        const QString errors = syncErrors();
        QVERIFY(errors.contains(QStringLiteral("] -194 No primary key value for foreign key\r\n")));
        QVERIFY(errors.contains(QStringLiteral("] TransferModifiedRecords-Inventory\r\n")));
        QVERIFY(errors.contains(QStringLiteral("] update MT.inventory set ")));
        QVERIFY(program().tableCopy.syncError);
        QCOMPARE(sheet().text(QStringLiteral("Minvnumber")), QStringLiteral("0"));
        QVERIFY(remoteValue(QStringLiteral("select count(*) from qel_vr_log where "
                                           "affected_table='INVENTORY' and sync_date is null"))
                    .toInt() > 0);
        const QString warning =
            program().phrase(564) + QStringLiteral("\r\n\r\n") + program().phrase(565);
        QCOMPARE(m_t->ui.texts(), QStringList{warning});

        // The next run fails the same rows and warns again: the flag was not reset.
        TransferModifiedRecords(program());
        QCOMPARE(m_t->ui.texts(), QStringList({warning, warning}));
        QVERIFY(
            remoteValue(QStringLiteral("select count(*) from qel_vr_log where sync_date is null"))
                .toInt() > 0);
        QCOMPARE(historyRows(), before + 2);
    }

    // The master's own refusal in the middle of a batch (an asset number it holds for another
    // item) fails that row alone: the changes before and after it in the batch are carried and
    // marked, and the refused one stays pending with its entry in syncerr.log.
    void aRowTheMasterRefusesFailsAloneInItsBatch()
    {
        const QStringList items =
            remoteValue(QStringLiteral("select group_concat(mtag,' ') from (select mtag from "
                                       "inventory order by mtag limit 3)"))
                .split(QLatin1Char(' '));
        QCOMPARE(items.size(), 3);
        const QString taken = masterValue(
            QStringLiteral("select i4201 from inventory where mtag='%1'").arg(items[2]));
        onRemote(QStringLiteral("update dbconfig set dbremote=0;delete from qel_vr_log;"
                                "update inventory set i4201='%1-OLD' where mtag='%2';"
                                "update dbconfig set dbremote=1;"
                                "update inventory set i4202='first' where mtag='%3';"
                                "update inventory set i4201='%1' where mtag='%4';"
                                "update inventory set i4202='third' where mtag='%2'")
                     .arg(taken, items[2], items[0], items[1]));
        signIn();
        TransferModifiedRecords(program());
        QVERIFY(!m_t->state().errorOccurred);
        QCOMPARE(masterValue(QStringLiteral("select group_concat(mtag||'='||i4202,' ') from "
                                            "(select * from inventory where mtag in ('%1','%2') "
                                            "order by mtag) as i")
                                 .arg(items[0], items[2])),
                 QStringLiteral("%1=first %2=third").arg(items[0], items[2]));
        QCOMPARE(remoteValue(QStringLiteral("select group_concat(xtag||'/'||affected_column,' ') "
                                            "from qel_vr_log where sync_date is null")),
                 items[1] + QStringLiteral("/i4201"));
        // The engine's own words for the refusal.
        QVERIFY(syncErrors().contains(m_fixture.workspace.hasPostgresMaster()
                                          ? QStringLiteral("violates unique constraint")
                                          : QStringLiteral("UNIQUE constraint failed")));
        QCOMPARE(sheet().text(QStringLiteral("Minvnumber")), QStringLiteral("2"));
    }

    // A family with more pending rows than the run reads at a time (two edits of every
    // calibration result, many logged in the same millisecond) is carried whole: each change
    // once, and a change that fails in an early part is neither met again nor lost.
    void aLongFamilyIsCarriedWholeAndOnce()
    {
        const QString failing = remoteValue(
            QStringLiteral("select ctag||'|'||c2502 from calresults order by ctag limit 1 "
                           "offset 7"));
        const QString ctag = failing.section(QLatin1Char('|'), 0, 0);
        const QString row = failing.section(QLatin1Char('|'), 1, 1);
        const QString failingWrite =
            QStringLiteral(" where ctag='%1' and c2502='%2';commit").arg(ctag, row);
        // Enough edits of every result for more than one and a half parts.
        const int results = remoteValue(QStringLiteral("select count(*) from calresults")).toInt();
        QVERIFY(results > 0);
        const int edits = 6200 / results + 1;
        onRemote(QStringLiteral("update dbconfig set dbremote=0;delete from qel_vr_log;"
                                "update calresults set c2503=coalesce(c2503,'');"
                                "update dbconfig set dbremote=1;") +
                 QStringLiteral("update calresults set c2503=c2503||'y';").repeated(edits));
        const int logged = remoteValue(QStringLiteral("select count(*) from qel_vr_log")).toInt();
        QCOMPARE(logged, results * edits);
        m_fixture.faults().failWhen(FaultInjector::textContains(failingWrite),
                                    DbError(-194, QStringLiteral("Refused by the test")));
        signIn();
        TransferModifiedRecords(program());
        QVERIFY(!m_t->state().errorOccurred);
        // Every other result of the remote reached the master with all its edits.
        const QString others =
            QStringLiteral("select group_concat(ctag||'|'||c2502||'|'||c2503) from (select * from "
                           "calresults where ctag||'|'||c2502<>'%1' and c2503 like '%%%2' order "
                           "by ctag,c2502) as r")
                .arg(failing, QStringLiteral("y").repeated(edits));
        QCOMPARE(masterValue(others), remoteValue(others));
        QCOMPARE(remoteValue(others).count(QLatin1Char(',')), results - 2);
        QVERIFY(!masterValue(QStringLiteral("select c2503 from calresults where ctag='%1' and "
                                            "c2502=%2")
                                 .arg(ctag, row))
                     .endsWith(QLatin1Char('y')));
        QCOMPARE(remoteValue(QStringLiteral("select count(*)||' '||min(xtag||'|'||xtag_additional)"
                                            " from qel_vr_log where sync_date is null")),
                 QString::number(edits) + QLatin1Char(' ') + failing);
        QCOMPARE(syncErrors().count(failingWrite), edits);
        QCOMPARE(sheet().text(QStringLiteral("Mcrsnumber")), QString::number(logged - edits));
    }

    // A log row whose event date is no date (it sorts after every real one) is a row failure
    // of its own, reported; it neither hides the other changes nor is passed over in silence.
    void aForgedEventDateIsARowFailure()
    {
        const QString item = remoteValue(QStringLiteral("select min(mtag) from inventory"));
        onRemote(QStringLiteral("update dbconfig set dbremote=0;"
                                "insert into qel_vr_log(xtag,affected_table,affected_column,action,"
                                "event_date) values('%1','INVENTORY','i4202','UPD','not a date');"
                                "update dbconfig set dbremote=1")
                     .arg(item));
        signIn();
        TransferModifiedRecords(program());
        QVERIFY(!m_t->state().errorOccurred);
        QVERIFY(syncErrors().contains(
            QStringLiteral("The change log holds an unreadable event date: not a date")));
        QCOMPARE(sheet().number(QStringLiteral("Minvnumber")),
                 sheet().number(QStringLiteral("Mtotalinv")) - 1);
        QCOMPARE(remoteValue(QStringLiteral("select group_concat(event_date) from qel_vr_log")),
                 QStringLiteral("not a date"));
    }

    // A logged column name is never pasted into a statement unchecked: a forged log row whose
    // column smuggles in more SQL is a row failure, and the rest is carried.
    void aForgedColumnNameIsARowFailure()
    {
        const QString forged = QStringLiteral(
            "linkdesc=linkdesc; create table pwned_master(x); update vallinkdata set linkdesc");
        const QString root = masterValue(QStringLiteral("select root from vallinkdata limit 1"));
        QVERIFY(!root.isEmpty());
        onRemote(QStringLiteral("update dbconfig set dbremote=0;"
                                "insert into qel_vr_log(xtag,affected_table,affected_column,action,"
                                "event_date,xtag_additional,i4201) values('%1','VALLINKDATA','%2',"
                                "'UPD','2011-06-14 10:00:00.000','x','y');"
                                "insert into qel_vr_log(xtag,affected_table,affected_column,action,"
                                "event_date) values('%1','INVENTORY','i4202; drop table inventory',"
                                "'UPD','2011-06-14 10:00:00.000');"
                                "update dbconfig set dbremote=1")
                     .arg(root, forged));
        signIn();
        TransferModifiedRecords(program());
        const QString noSuchTable =
            QStringLiteral("select count(*) from sqlite_master where name='pwned_master'");
        QCOMPARE(masterValue(noSuchTable), QStringLiteral("0"));
        QCOMPARE(remoteValue(noSuchTable), QStringLiteral("0"));
        QCOMPARE(masterValue(QStringLiteral("select count(*) from sqlite_master where "
                                            "name='inventory'")),
                 QStringLiteral("1"));
        QVERIFY(m_fixture.log().textsContaining(QStringLiteral("pwned_master")).isEmpty());
        QVERIFY(m_fixture.log().textsContaining(QStringLiteral("drop table")).isEmpty());
        const QString errors = syncErrors();
        QVERIFY(errors.contains(QStringLiteral("does not have: ") + forged));
        QVERIFY(errors.contains(QStringLiteral("does not have: i4202; drop table inventory")));
        QVERIFY(program().tableCopy.syncError);
        // Every genuine change still reached the master; only the forged one was not carried.
        QCOMPARE(sheet().number(QStringLiteral("Minvnumber")),
                 sheet().number(QStringLiteral("Mtotalinv")) - 1);
    }

    // A row that fails after its deletion was noticed leaves its family one lower.
    void aFailureAfterTheDeletedCheckLeavesTheCounterLower()
    {
        onRemote(QStringLiteral(
            "update dbconfig set dbremote=0;"
            "delete from qel_vr_log where affected_table<>'INVENTORY' or rowid not in (select "
            "min(rowid) from qel_vr_log where affected_table='INVENTORY');"
            "delete from inventory where mtag=(select xtag from qel_vr_log);"
            "update dbconfig set dbremote=1"));
        m_fixture.faults().failWhen(FaultInjector::textContains(QStringLiteral(
                                        "update mt.qel_vr_log set sync_date=now(*)")),
                                    DbError(-210, QStringLiteral("Row is locked by another user")));
        signIn();
        TransferModifiedRecords(program());
        QCOMPARE(sheet().text(QStringLiteral("Minvnumber")), QStringLiteral("-1"));
        QCOMPARE(syncErrors().count(QStringLiteral("TransferModifiedRecords-Inventory")), 1);
    }

    // A connection lost in the middle ends the run: no history, the log not cleaned.
    // A mark covers only the log rows of the change it carried: not a failed column of the
    // same key, not a deletion of it, not a result the schema version leaves out, and not an
    // edit logged while the run was going on.
    void aMarkCoversOnlyTheChangeCarried()
    {
        const QString item = remoteValue(
            QStringLiteral("select xtag from qel_vr_log where affected_table='INVENTORY' limit 1"));
        const QString calibration = remoteValue(QStringLiteral(
            "select xtag from qel_vr_log where affected_table='CALIBRATION' limit 1"));
        onRemote(QStringLiteral(
                     "update dbconfig set dbremote=0;"
                     "update dbconfig set version='6.5.0';"
                     "insert into qel_vr_log(xtag,xtag_additional,affected_table,affected_column,"
                     "action,event_date) values"
                     "('%1',null,'INVENTORY','i4219','UPD','2011-06-14 10:00:00.000'),"
                     "('%1',null,'INVENTORY',null,'DEL','2011-06-14 10:00:01.000'),"
                     "('%2','1','RESULTS','f2605','UPD','2011-06-14 10:00:02.000');"
                     "update dbconfig set dbremote=1")
                     .arg(item, calibration));
        // The master refuses one column of the item.
        m_fixture.faults().failWhen(FaultInjector::textContains(QStringLiteral(" set i4219=")),
                                    DbError(-194, QStringLiteral("refused by the master")));
        // While the run goes on, the user edits the calibration again. Another writer waits
        // while the run holds a batch open, so the edit is logged through the run's own
        // connection, in the middle of the batch.
        bool edited = false;
        m_fixture.faults().failWhen(
            [this, &edited, calibration](const QString& text) {
                if (!edited && text.contains(QStringLiteral("affected_table='INVENTORY'")) &&
                    text.contains(QStringLiteral("set sync_date=now(*)"))) {
                    edited = true;
                    userConnection(program(), Side::Remote)
                        .execute(QStringLiteral("insert into mt.qel_vr_log(xtag,affected_table,"
                                                "affected_column,action,event_date) values('%1',"
                                                "'CALIBRATION','c2304','UPD',now(*))")
                                     .arg(calibration));
                }
                return false;
            },
            DbError(0, QString()));
        signIn();
        TransferModifiedRecords(program());
        QVERIFY(edited);
        const QString pending = QStringLiteral(
            "select group_concat(affected_table||'/'||action||'/'||coalesce(affected_column,''),"
            "' ') from (select * from qel_vr_log where sync_date is null and xtag in ('%1','%2') "
            "order by affected_table,action,affected_column)");
        QCOMPARE(remoteValue(pending.arg(item, calibration)),
                 QStringLiteral("CALIBRATION/UPD/c2304 INVENTORY/DEL/ INVENTORY/UPD/i4219 "
                                "RESULTS/UPD/f2605"));
        QCOMPARE(remoteValue(
                     QStringLiteral("select count(*) from qel_vr_log where sync_date is not null")),
                 QStringLiteral("0"));
    }

    // A value the remote holds but cannot be read (a date that does not exist) fails its row
    // only; the rest is carried and the run is recorded.
    void anUnreadableValueIsARowFailure()
    {
        const QString item = remoteValue(
            QStringLiteral("select xtag from qel_vr_log where affected_table='INVENTORY' limit 1"));
        onRemote(
            QStringLiteral(
                "update dbconfig set dbremote=0;"
                "update inventory set i4209='2024-02-30' where mtag='%1';"
                "insert into qel_vr_log(xtag,affected_table,affected_column,action,event_date) "
                "values('%1','INVENTORY','i4209','UPD','2011-06-14 10:00:00.000');"
                "update dbconfig set dbremote=1")
                .arg(item));
        const int before = historyRows();
        signIn();
        TransferModifiedRecords(program());
        QVERIFY(!m_t->state().errorOccurred);
        QCOMPARE(historyRows(), before + 1);
        QCOMPARE(syncErrors().count(QStringLiteral("TransferModifiedRecords-Inventory")), 1);
        QCOMPARE(sheet().number(QStringLiteral("Minvnumber")),
                 sheet().number(QStringLiteral("Mtotalinv")) - 1);
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log where sync_date is "
                                            "null and affected_column='i4209'")),
                 QStringLiteral("1"));
    }

    // A validation link whose description was emptied to NULL in the field arrives as NULL.
    void aNullLoggedForAValidationLinkStaysNull()
    {
        const QString link = QStringLiteral(
            "select root||'|'||rootdata from vallinkdata where linkdesc is not null limit 1");
        const QStringList key = masterValue(link).split(QLatin1Char('|'));
        QCOMPARE(key.size(), 2);
        onRemote(QStringLiteral(
                     "update dbconfig set dbremote=0; delete from qel_vr_log;"
                     "update vallinkdata set linkdesc=null where root='%1' and rootdata='%2';"
                     "insert into qel_vr_log(xtag,xtag_additional,affected_table,affected_column,"
                     "action,event_date,i4201) values('%1',null,'VALLINKDATA','linkdesc','UPD',"
                     "'2011-06-14 10:00:00.000','%2');"
                     "update dbconfig set dbremote=1")
                     .arg(key[0], key[1]));
        signIn();
        TransferModifiedRecords(program());
        QCOMPARE(masterValue(QStringLiteral("select coalesce(linkdesc,'(NULL)') from vallinkdata "
                                            "where root='%1' and rootdata='%2'")
                                 .arg(key[0], key[1])),
                 QStringLiteral("(NULL)"));
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));
    }

    // A run that stops (the connection lost, the process killed) is finished by the next
    // one: the log ends empty, and the work is recorded exactly once. Stopped inside a batch,
    // the batch's writes and marks are undone together; stopped after batches were committed,
    // their marks stay for the next run to settle.
    void anInterruptedRunIsFinishedByTheNext_data()
    {
        QTest::addColumn<QString>("stopAt");
        QTest::addColumn<int>("skip");
        QTest::addColumn<bool>("marked");
        QTest::newRow("inside the first batch")
            << QStringLiteral("set sync_date=now(*)") << 3 << false;
        QTest::newRow("among the marks")
            << QStringLiteral("set sync_date=now(*) where sync_date is null and action='UPD' and "
                              "affected_table='LOCATION'")
            << 0 << true;
        QTest::newRow("after the last mark") << QStringLiteral("set sync_date='") << 0 << true;
        QTest::newRow("after the history row")
            << QStringLiteral("delete from mt.qel_vr_log where sync_date is not null") << 0 << true;
    }

    void anInterruptedRunIsFinishedByTheNext()
    {
        QFETCH(QString, stopAt);
        QFETCH(int, skip);
        QFETCH(bool, marked);
        // The item columns changed in the field, to be compared on both sides at the end.
        QStringList changed;
        for (const QString& pair :
             remoteValue(QStringLiteral("select group_concat(xtag||'|'||affected_column,' ') from "
                                        "qel_vr_log where affected_table='INVENTORY' and "
                                        "action='UPD'"))
                 .split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QStringList p = pair.split(QLatin1Char('|'));
            changed.append(QStringLiteral("select quote(%1) from inventory where mtag='%2'")
                               .arg(p.value(1), p.value(0)));
        }
        QVERIFY(!changed.isEmpty());
        QStringList masterBefore;
        for (const QString& column : std::as_const(changed))
            masterBefore << masterValue(column);
        const int before = historyRows();
        m_fixture.faults()
            .failWhen(FaultInjector::textContains(stopAt), FaultInjector::lostConnection())
            .skip = skip;
        signIn();
        TransferModifiedRecords(program());
        QVERIFY(m_t->state().errorOccurred);
        QCOMPARE(remoteValue(
                     QStringLiteral("select count(*) from qel_vr_log where sync_date is not null"))
                         .toInt() > 0,
                 marked);
        if (!marked) {
            for (qsizetype i = 0; i < changed.size(); ++i)
                QCOMPARE(masterValue(changed[i]), masterBefore[i]);
        }

        m_fixture.faults().clear();
        signIn();
        QVERIFY(m_t->state().modifiedRecordsPending);
        TransferModifiedRecords(program());
        QVERIFY(!m_t->state().errorOccurred);
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));
        QCOMPARE(historyRows(), before + 1);
        // What the first run carried is counted by the second, once.
        QCOMPARE(sheet().number(QStringLiteral("Minsttotal")),
                 sheet().number(QStringLiteral("Mtotal")));
        for (const QString& column : std::as_const(changed)) {
            const QString differs = m_fixture.sameOnBothSides(QString(column).replace(
                QRegularExpression(QStringLiteral("quote\\((\\w+)\\)")), QStringLiteral("\\1")));
            QVERIFY2(differs.isEmpty(), qPrintable(differs));
        }
        QVERIFY(syncErrors().isEmpty());
    }

    void aLostConnectionEndsTheRunEarly()
    {
        m_fixture.faults().failWhen(
            FaultInjector::textContains(QStringLiteral("from MT.calibration")),
            FaultInjector::lostConnection());
        const int before = historyRows();
        signIn();
        TransferModifiedRecords(program());
        QVERIFY(m_t->state().errorOccurred);
        QCOMPARE(historyRows(), before);
        QVERIFY(remoteValue(QStringLiteral("select count(*) from qel_vr_log where sync_date is "
                                           "null and affected_table='LOCATION'"))
                    .toInt() > 0);
        QVERIFY(syncErrors().isEmpty());
    }

    // Another program writing to the master: the first statement that needs it waits the
    // bound set for the session (one second here), then the run stops with a message that
    // says so; nothing is marked, logged as a row failure or recorded in the history.
    void aMasterLockedByAnotherProgramEndsTheRunAfterTheWait()
    {
        qputenv("VARROW_LOCK_WAIT", "1");
        signIn();
        qunsetenv("VARROW_LOCK_WAIT");
        const int before = historyRows();
        const QString pending =
            remoteValue(QStringLiteral("select count(*) from qel_vr_log where sync_date is null"));
        auto otherProgram = m_fixture.workspace.master();
        otherProgram->holdWriteLock();
        QElapsedTimer timer;
        timer.start();
        TransferModifiedRecords(program());
        const qint64 waited = timer.elapsed();
        otherProgram->rollback();
        otherProgram.reset();

        QVERIFY(m_t->state().errorOccurred);
        QVERIFY2(waited >= 800 && waited < 4000, qPrintable(QString::number(waited)));
        const QString said = m_t->ui.messages.value(0).text;
        QVERIFY2(said.startsWith(QLatin1String("Another program holds a lock on a database "
                                               "Varrow needs")),
                 qPrintable(said));
        QVERIFY(said.contains(
            QLatin1String("(the database of data source \"VarrowMaster\" is locked by another "
                          "program)")));
        QCOMPARE(m_t->ui.messages.size(), 1);
        QCOMPARE(historyRows(), before);
        QCOMPARE(
            remoteValue(QStringLiteral("select count(*) from qel_vr_log where sync_date is null")),
            pending);
        QVERIFY(syncErrors().isEmpty());
    }
};

VARROW_TEST_GUILESS_MAIN(TestModifiedRecords)
#include "tst_modifiedrecords.moc"
