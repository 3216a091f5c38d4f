#include "sync/ModifiedRecordTransfer.h"
#include "sync/NewRecordTransfer.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

// The transfer of new records on a demo workspace whose remote holds new rows only, with the
// edge cases each case adds in the field. Each case starts from the same two database files.
class TestNewRecords : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture{TestWorkspace::small(DemoOptions::Remote::InsertsOnly)};
    std::unique_ptr<TestProgram> m_t;

    const DemoWorkspace::Report& files() const { return m_fixture.workspace.report(); }

    // Field work: SQL run on the remote file with its triggers logging every row.
    void inTheField(const QString& sql) { m_fixture.workspace.openRemote()->exec(sql); }
    // Both files alike, nothing logged: what both databases held before the field work.
    void onBoth(const QString& sql)
    {
        m_fixture.workspace.master()->exec(sql);
        m_fixture.workspace.openRemote()->exec(QStringLiteral("update dbconfig set dbremote=0;") +
                                               sql +
                                               QStringLiteral(";update dbconfig set dbremote=1"));
    }
    void onMaster(const QString& sql) { m_fixture.workspace.master()->exec(sql); }
    void onRemoteUnlogged(const QString& sql)
    {
        m_fixture.workspace.openRemote()->exec(QStringLiteral("update dbconfig set dbremote=0;") +
                                               sql +
                                               QStringLiteral(";update dbconfig set dbremote=1"));
    }
    QString remoteValue(const QString& sql) const { return m_fixture.remoteValue(sql); }
    QString masterValue(const QString& sql) const { return m_fixture.masterValue(sql); }
    QString masterRows(const QString& sql) const { return m_fixture.masterRows(sql); }
    // Pending (P) or stamped (S) per log entry of a key: "INS:S".
    QString entries(const QString& affectedTable, const QString& xtag)
    {
        QStringList out;
        for (const QVariantList& row : m_fixture.workspace.openRemote()->rows(
                 QStringLiteral("select action,sync_date is null from qel_vr_log where "
                                "affected_table='%1' and xtag='%2' order by action")
                     .arg(affectedTable,
                          QString(xtag).replace(QLatin1Char('\''), QStringLiteral("''")))))
            out << row[0].toString() +
                       (row[1].toInt() ? QStringLiteral(":P") : QStringLiteral(":S"));
        return out.join(QLatin1Char(','));
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

    // An item both databases hold, that no new row refers to.
    QString existingItem()
    {
        return masterValue(QStringLiteral("select min(mtag) from inventory"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_fixture.keepFiles(), qPrintable(m_fixture.workspace.error()));
    }

    void init() { QVERIFY(m_fixture.startFromKeptFiles()); }

    void cleanup() { m_t.reset(); }

    // Items and customers the master already holds are matched, not inserted, and what
    // refers to them follows the master's keys. A row whose item was not gathered keeps its
    // item; a true orphan stays pending; a key with a quote is stamped like any other.
    void newRowsAreRekeyedToTheMastersOwn()
    {
        const QString item = existingItem();
        onMaster(
            QStringLiteral("insert into inventory(mtag,i4201) values('HQ-NEW','SHARED-1');"
                           "insert into customers(ktag,k4601,k4602) values('C9:HQ','C9','Nine')"));
        inTheField(
            QStringLiteral(
                "insert into customers(ktag,k4601,k4602) values('C9:F9','C9','Nine');"
                "insert into inventory(mtag,i4201,ktag) values('F9-NEW','SHARED-1','C9:F9');"
                "insert into inventory(mtag,i4201,ktag) values('F9-OWN','F9-OWN-A','C9:F9');"
                "insert into inventory(mtag,i4201,ktag) values('F9-NOCOLON','F9-NC','NOCOLON');"
                "insert into inventory(mtag,i4201) values('F9''Q','F9-Q');"
                "insert into calibration(ctag,mtag,c2301,c2339) values('F9-CAL','F9-NEW',"
                "'2026-01-05',1);"
                "insert into location(ltag,mtag,l2809,l2815) "
                "values('F9-LOC','F9-NEW','2026-01-05',1);"
                "insert into calibration(ctag,mtag,c2301,c2339) "
                "values('F9-CAL2','%1','2026-01-06',0);"
                "insert into calibration(ctag,mtag,c2301,c2339) values('F9-ORPH','NOWHERE',"
                "'2026-01-07',0)")
                .arg(item));
        signIn();
        TransferNewRecords(program());
        QVERIFY(!m_t->state().errorOccurred);

        QCOMPARE(masterRows(QStringLiteral("select ctag,mtag,cdsrc from calibration where ctag "
                                           "like 'F9%' order by ctag")),
                 QStringLiteral("F9-CAL|HQ-NEW|VRW;F9-CAL2|%1|VRW").arg(item));
        QCOMPARE(masterRows(QStringLiteral("select mtag from location where ltag='F9-LOC'")),
                 QStringLiteral("HQ-NEW"));
        QCOMPARE(masterRows(QStringLiteral("select mtag,ktag,idsrc from inventory where mtag like "
                                           "'F9%' or i4201='SHARED-1' order by mtag")),
                 QStringLiteral("F9'Q|NULL|VRW;F9-NOCOLON|NOCOLON|VRW;F9-OWN|C9:HQ|VRW;"
                                "HQ-NEW|NULL|NULL"));
        QCOMPARE(masterRows(QStringLiteral("select ktag from customers where k4601='C9'")),
                 QStringLiteral("C9:HQ"));

        QCOMPARE(entries(QStringLiteral("INVENTORY"), QStringLiteral("F9-NEW")), QString());
        QCOMPARE(entries(QStringLiteral("INVENTORY"), QStringLiteral("F9'Q")), QString());
        QCOMPARE(entries(QStringLiteral("CUSTOMERS"), QStringLiteral("C9:F9")), QString());
        QCOMPARE(entries(QStringLiteral("CALIBRATION"), QStringLiteral("F9-CAL2")), QString());
        QCOMPARE(entries(QStringLiteral("CALIBRATION"), QStringLiteral("F9-ORPH")),
                 QStringLiteral("INS:P"));
        // The matches are written down as handled work, not as failures.
        const QString errors = syncErrors();
        QVERIFY(errors.contains(QStringLiteral("] item F9-NEW is the master's HQ-NEW\r\n")));
        QVERIFY(errors.contains(QStringLiteral("] customer C9:F9 is the master's C9:HQ\r\n")));
        QCOMPARE(program().tableCopy.syncLogBlocks, 0);
        QVERIFY(!program().tableCopy.syncError);
        QVERIFY(!m_fixture.log()
                     .textsContaining(QStringLiteral(
                         "xtag='F9''Q' and affected_table='INVENTORY' and action='INS'"))
                     .isEmpty());
    }

    // Validation rows go only when a deletion names their whole key; a value deleted and
    // inserted again is back.
    void validationDataByWholeKeys()
    {
        onBoth(QStringLiteral(
            "insert into valfield(fldnum,val) values(901,'A'),(901,'B'),(902,'A'),(902,'B');"
            "insert into vallinkdata(root,rootdata) values('R1','X'),('R1','Y'),('R2','X'),"
            "('R2','Y')"));
        inTheField(QStringLiteral("delete from valfield where fldnum=901 and val='A';"
                                  "delete from valfield where fldnum=902 and val='B';"
                                  "delete from valfield where fldnum=901 and val='B';"
                                  "insert into valfield(fldnum,val) values(901,'B'),(903,'N');"
                                  "delete from vallinkdata where root='R1' and rootdata='X';"
                                  "delete from vallinkdata where root='R2' and rootdata='Y';"
                                  "insert into vallinkdata(root,rootdata) values('R3','Z')"));
        signIn();
        TransferNewRecords(program());
        QCOMPARE(masterRows(QStringLiteral(
                     "select fldnum||val from valfield where fldnum between 901 and 903 "
                     "order by 1")),
                 QStringLiteral("901B;902A;903N"));
        QCOMPARE(masterRows(QStringLiteral("select root||rootdata from vallinkdata where root "
                                           "like 'R_' order by 1")),
                 QStringLiteral("R1Y;R2X;R3Z"));
        QVERIFY(!program().tableCopy.syncError);
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log where affected_table "
                                            "like 'VAL%'")),
                 QStringLiteral("0"));
    }

    // With no new calibration counted, a new result of a calibration the master holds is
    // carried and one of a calibration the master lacks stays pending; neither ends the run.
    // A schema before version 7 leaves results alone.
    void resultsWithoutNewCalibrations_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("counted");
        QTest::newRow("version 8") << "8.2.0" << true;
        QTest::newRow("version 6") << "6.5.0" << false;
        QTest::newRow("version 10") << "10.0" << false;
    }
    void resultsWithoutNewCalibrations()
    {
        QFETCH(QString, version);
        QFETCH(bool, counted);
        const QString calibration =
            masterValue(QStringLiteral("select max(ctag) from calibration where ctag not like "
                                       "'F%'"));
        onRemoteUnlogged(
            QStringLiteral("update dbconfig set version='%1';delete from qel_vr_log where "
                           "affected_table in ('CALIBRATION','RESULTS','RESULTS_RAW')")
                .arg(version));
        inTheField(QStringLiteral("insert into results(ctag,row_num) values('%1',901),"
                                  "('NOCAL',902)")
                       .arg(calibration));
        signIn();
        sheet().show();
        sheet().setText(QStringLiteral("Rtotalfrs"), QStringLiteral("7"));
        TransferNewRecords(program());
        QVERIFY(!m_t->state().errorOccurred);
        QCOMPARE(sheet().text(QStringLiteral("Rtotalfrs")),
                 counted ? QStringLiteral("2") : QStringLiteral("7"));
        QCOMPARE(masterRows(QStringLiteral("select ctag from results where row_num in (901,902)")),
                 counted ? calibration : QString());
        QCOMPARE(entries(QStringLiteral("RESULTS"), calibration),
                 counted ? QString() : QStringLiteral("INS:P"));
        QCOMPARE(entries(QStringLiteral("RESULTS"), QStringLiteral("NOCAL")),
                 QStringLiteral("INS:P"));
        QVERIFY(sheet().text(QStringLiteral("Rinvnumber")).toInt() > 0);
    }

    // Three standards inserted and deleted again count 0 and gather nothing; their entries
    // cancel and are removed as such, needing no one's look.
    void standardsInsertedAndDeleted()
    {
        const QString calibration =
            masterValue(QStringLiteral("select max(ctag) from calibration where ctag not like "
                                       "'F%'"));
        onRemoteUnlogged(QStringLiteral("delete from qel_vr_log where affected_table='STANDARDS'"));
        inTheField(QStringLiteral("insert into standards(ctag,c2430,c2434) select '%1',mtag,7 "
                                  "from (select mtag from inventory where mtag not like 'F%' "
                                  "order by mtag limit 3);"
                                  "delete from standards where ctag='%1' and c2434=7")
                       .arg(calibration));
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log where "
                                            "affected_table='STANDARDS'")),
                 QStringLiteral("6"));
        signIn();
        TransferNewRecords(program());
        TransferModifiedRecords(program());
        QCOMPARE(sheet().text(QStringLiteral("Rtotalstd")), QStringLiteral("0"));
        QCOMPARE(sheet().text(QStringLiteral("Rstdnumber")), QStringLiteral("0"));
        QVERIFY(m_fixture.log().textsContaining(QStringLiteral("temp_standards")).isEmpty());
        QCOMPARE(syncErrors().count(QStringLiteral("affected_table=STANDARDS")), 6);
        QCOMPARE(program().tableCopy.syncLogBlocks, 0);
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));
    }

    // A new standard kept back (the count nets a deletion of another standard out) stays
    // pending: stamping its new calibration does not mark it as carried.
    void aStandardKeptBackStaysPending()
    {
        const QString item = existingItem();
        onRemoteUnlogged(QStringLiteral("delete from qel_vr_log where affected_table='STANDARDS'"));
        inTheField(QStringLiteral("insert into calibration(ctag,mtag,c2301) values('F9-CALS','%1',"
                                  "'2026-02-01');"
                                  "insert into standards(ctag,c2430) values('F9-CALS','%1');"
                                  "delete from standards where rowid=(select min(rowid) from "
                                  "standards where ctag not like 'F%')")
                       .arg(item));
        signIn();
        TransferNewRecords(program());
        QCOMPARE(sheet().text(QStringLiteral("Rtotalstd")), QStringLiteral("0"));
        QCOMPARE(masterRows(QStringLiteral("select mtag from calibration where ctag='F9-CALS'")),
                 item);
        QCOMPARE(entries(QStringLiteral("STANDARDS"), QStringLiteral("F9-CALS")),
                 QStringLiteral("INS:P"));
    }

    // The clean-up that removes the items' insert entries writes each pending one down first:
    // an item inserted and deleted again as by design, an entry without its row as a change
    // that was not carried.
    void pendingItemEntriesAreWrittenDownBeforeTheCleanUp()
    {
        inTheField(QStringLiteral("insert into inventory(mtag,i4201) values('F9-GONE','F9-G');"
                                  "delete from inventory where mtag='F9-GONE';"
                                  "insert into qel_vr_log(xtag,affected_table,action,event_date) "
                                  "values('GHOST-1','INVENTORY','INS',varrow_now())"));
        signIn();
        program().mainMenu.onCommand(MenuId::mnuNewRecords);
        QVERIFY(!m_t->state().errorOccurred);
        const QString errors = syncErrors();
        QCOMPARE(errors.count(QStringLiteral("action=INS affected_table=INVENTORY xtag=GHOST-1")),
                 1);
        QCOMPARE(errors.count(QStringLiteral("action=INS affected_table=INVENTORY xtag=F9-GONE")),
                 1);
        QCOMPARE(program().tableCopy.syncLogBlocks, 1);
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));
    }

    // With column changes pending, the new records leave the history and the purge to the
    // modified-records transfer, whose one history row then counts both.
    void modificationsPendingAfterTheNewRecords()
    {
        const QString item = existingItem();
        inTheField(QStringLiteral("update inventory set i4202='changed in the field' where "
                                  "mtag='%1'")
                       .arg(item));
        const int history = historyRows();
        signIn();
        TransferNewRecords(program());
        QVERIFY(m_t->state().modifiedRecordsPending);
        QCOMPARE(historyRows(), history);
        QVERIFY(remoteValue(QStringLiteral("select count(*) from qel_vr_log where sync_date is "
                                           "not null and action='INS'"))
                    .toInt() > 0);
        const QString inserted = sheet().text(QStringLiteral("Rdumptotal"));
        QVERIFY(inserted.toInt() > 0);

        TransferModifiedRecords(program());
        QCOMPARE(historyRows(), history + 1);
        QCOMPARE(masterRows(QStringLiteral("select num_records,num_mods,inv_mod from "
                                           "qel_vr_transfer_log where ") +
                            testsupport::newestHistoryRow()),
                 inserted + QStringLiteral("|1|1"));
        QCOMPARE(
            masterRows(QStringLiteral("select i4202 from inventory where mtag='%1'").arg(item)),
            QStringLiteral("changed in the field"));
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log where sync_date is "
                                            "not null")),
                 QStringLiteral("0"));
    }

    // A row the master refuses goes to syncerr.log, is not counted as inserted and is still
    // stamped; the rest of the run goes on.
    void aRefusedRowIsLoggedAndStamped()
    {
        m_fixture.faults()
            .failWhen(
                FaultInjector::textContains(QStringLiteral("insert into MT.calibration")),
                DbError(-193, QStringLiteral("Primary key not unique"), QStringLiteral("23000")))
            .times = 1;
        signIn();
        TransferNewRecords(program());
        QVERIFY(!m_t->state().errorOccurred);
        QVERIFY(program().tableCopy.syncError);
        const QString errors = syncErrors();
        QVERIFY(errors.contains(QStringLiteral("] -193 Primary key not unique\r\n")));
        QVERIFY(errors.contains(QStringLiteral("] CopyToDestTable\r\n")));
        const int inserted = sheet().text(QStringLiteral("Rcalnumber")).toInt();
        QCOMPARE(inserted, sheet().text(QStringLiteral("Rtotalcal")).toInt() - 1);
        QCOMPARE(masterValue(QStringLiteral("select count(*) from calibration where cdsrc='VRW'"))
                     .toInt(),
                 inserted);
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log where "
                                            "affected_table='CALIBRATION' and action='INS' and "
                                            "sync_date is null and xtag in (select ctag from "
                                            "calibration where mtag in (select mtag from "
                                            "inventory))")),
                 QStringLiteral("0"));
    }

    // A connection lost mid-run ends it: nothing recorded, what was not stamped stays pending,
    // and the next run finishes the work and records it once.
    void aLostConnectionIsFinishedByTheNextRun()
    {
        auto& fault =
            m_fixture.faults()
                .failWhen(FaultInjector::textContains(QStringLiteral("insert into MT.location")),
                          FaultInjector::lostConnection())
                .onlyOn(QStringLiteral("VarrowMaster"));
        fault.times = 1;
        fault.dropConnection = true;
        const int history = historyRows();
        const QString pendingLocations =
            QStringLiteral("select count(*) from qel_vr_log where affected_table='LOCATION' and "
                           "action='INS' and sync_date is null");
        const int locations = remoteValue(pendingLocations).toInt();
        QVERIFY(locations > 0);
        signIn();
        TransferNewRecords(program());
        QVERIFY(m_t->state().errorOccurred);
        QCOMPARE(historyRows(), history);
        QCOMPARE(masterValue(QStringLiteral("select count(*) from location where ldsrc='VRW'")),
                 QStringLiteral("0"));
        QVERIFY(remoteValue(pendingLocations).toInt() > 0);

        // The Transfer menu's command: new records, then modifications when pending.
        signIn();
        program().mainMenu.onCommand(MenuId::mnuNewRecords);
        QVERIFY(!m_t->state().errorOccurred);
        QCOMPARE(historyRows(), history + 1);
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));
        const int inserted = sheet().text(QStringLiteral("Rlocnumber")).toInt();
        QVERIFY(inserted > 0 && inserted <= locations);
        QCOMPARE(
            masterValue(QStringLiteral("select count(*) from location where ldsrc='VRW'")).toInt(),
            inserted);
    }

    // Wherever a connection is lost, the next run finishes the work: the master ends with what
    // one uninterrupted run leaves, the change log empty and one history row.
    void aRunLostAnywhereEndsAsAnUninterruptedRun_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("dataSource");
        QTest::addColumn<int>("skip");
        QTest::newRow("inserting items") << "insert into MT.inventory"
                                         << "VarrowMaster" << 2;
        QTest::newRow("inserting calibrations") << "insert into MT.calibration"
                                                << "VarrowMaster" << 4;
        QTest::newRow("inserting calibration results") << "insert into MT.calresults"
                                                       << "VarrowMaster" << 10;
        QTest::newRow("inserting raw results") << "insert into MT.results_raw"
                                               << "VarrowMaster" << 3;
        QTest::newRow("stamping calibrations") << "affected_table='CALIBRATION' and action='INS'"
                                               << "VarrowRemote" << 3;
        QTest::newRow("stamping calibration results") << "affected_table='CALRESULTS' and action in"
                                                      << "VarrowRemote" << 5;
        QTest::newRow("stamping full results") << "affected_table='RESULTS' and action='INS'"
                                               << "VarrowRemote" << 2;
    }
    void aRunLostAnywhereEndsAsAnUninterruptedRun()
    {
        QFETCH(QString, statement);
        QFETCH(QString, dataSource);
        QFETCH(int, skip);
        const QString contents = QStringLiteral(
            "select (select count(*) from inventory)||'/'||(select count(*) from calibration)||'/'"
            "||(select count(*) from standards)||'/'||(select count(*) from calresults)||'/'||"
            "(select count(*) from results)||'/'||(select count(*) from results_raw)||'/'||"
            "(select count(*) from location)||'/'||(select count(*) from repair)||'/'||"
            "(select count(*) from customers)||'/'||(select count(*) from calibration where "
            "mtag is null)");
        const int history = historyRows();
        signIn();
        program().mainMenu.onCommand(MenuId::mnuNewRecords);
        const QString uninterrupted = masterValue(contents);
        m_t.reset();
        init();

        auto& fault =
            m_fixture.faults()
                .failWhen(FaultInjector::textContains(statement), FaultInjector::lostConnection())
                .onlyOn(dataSource);
        fault.skip = skip;
        fault.times = 1;
        fault.dropConnection = true;
        signIn();
        program().mainMenu.onCommand(MenuId::mnuNewRecords);
        QVERIFY(m_t->state().errorOccurred);
        QCOMPARE(historyRows(), history);

        signIn();
        program().mainMenu.onCommand(MenuId::mnuNewRecords);
        QVERIFY(!m_t->state().errorOccurred);
        QCOMPARE(masterValue(contents), uninterrupted);
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));
        QCOMPARE(historyRows(), history + 1);
        QCOMPARE(program().tableCopy.syncLogBlocks, 0);
    }

    // The statements are sent as the field engine's dialect writes them.
    void statementTexts()
    {
        signIn();
        m_t->state().switchDebugging = true;
        TransferNewRecords(program());
        // Under DEBUGGING the trace box names the transfer's step and the copy in progress.
        QCOMPARE(sheet().text(QStringLiteral("Text_debugs")),
                 QStringLiteral("TransferNewRecords - Add NEW Repair records to Repair table\r\n"
                                "CopyToDestTable - MT.repair from F\r\n    Completed"));
        const QStringList texts = m_fixture.log().texts();
        for (const char* expected :
             {"select count(xtag) from mt.qel_vr_log where sync_date is null and action='INS' "
              "and affected_table='INVENTORY' and xtag in (select mtag from MT.inventory)",
              "select count(xtag) from mt.qel_vr_log where sync_date is null and action='DEL' "
              "and affected_table='STANDARDS'",
              "create index idx_xtag on temp_qel_vr_log(xtag,action,affected_table)",
              "insert into temp_qel_vr_scratch select i4201,mtag,mtag from temp_inventory;commit",
              "create index it4201 on temp_inventory(i4201);commit;create index itmtag  on "
              "temp_inventory(mtag);commit;create index scmtag on "
              "temp_qel_vr_scratch(mtag);commit;create index sasset on "
              "temp_qel_vr_scratch(asset);commit",
              "update temp_qel_vr_scratch,MT.inventory set xtag = MT.inventory.mtag where asset "
              "= i4201;commit;",
              "update temp_inventory,temp_qel_vr_scratch set temp_inventory.mtag = xtag where "
              "i4201 = asset;commit;",
              "update temp_inventory set i4201 = trim(i4201),mtag = trim(mtag);commit",
              "delete from temp_calibration where "
              "qel_vr_cal_record_confirm(temp_calibration.c2301,temp_calibration.c2333,temp_"
              "calibration.mtag)=1;commit",
              "select ctag,c2430 from temp_standards",
              "select count(*) from mt.qel_vr_log where sync_date is null and action='UPD'"})
            QVERIFY2(texts.contains(QLatin1String(expected)), expected);
        QVERIFY(!texts
                     .filter(QStringLiteral("where mtag in (select xtag from mt.qel_vr_log "
                                            "where sync_date is null and action='INS' and "
                                            "affected_table='INVENTORY') or mtag in"))
                     .isEmpty());
        // Each dependant is gathered by its own insert entries, as the dialect writes them.
        auto endsOneText = [&texts](const QString& end) {
            int found = 0;
            for (const QString& text : texts)
                found += text.endsWith(end) ? 1 : 0;
            return found;
        };
        for (const char* table : {"STANDARDS", "CALRESULTS", "RESULTS", "RESULTS_RAW"})
            QCOMPARE(endsOneText(QStringLiteral(" where ctag in (select xtag from mt.qel_vr_log "
                                                "where sync_date is null and action='INS' and  "
                                                "affected_table='%1')")
                                     .arg(QLatin1String(table))),
                     1);
        for (const auto& [key, table] :
             {std::pair{"ctag", "CALIBRATION"}, std::pair{"ltag", "LOCATION"},
              std::pair{"rtag", "REPAIR"}})
            QCOMPARE(endsOneText(QStringLiteral(" where %1 in (select xtag from mt.qel_vr_log "
                                                "where sync_date is null and action='INS' and "
                                                "affected_table='%2')")
                                     .arg(QLatin1String(key), QLatin1String(table))),
                     1);
        QVERIFY(
            !texts
                 .filter(QRegularExpression(QStringLiteral(
                     "^update mt\\.qel_vr_log set sync_date=now\\(\\*\\) where xtag='[^']+' and "
                     "xtag_additional='[^']+' and affected_table='RESULTS_RAW' and "
                     "action='INS';commit$")))
                 .isEmpty());
        QVERIFY(
            !texts
                 .filter(QRegularExpression(QStringLiteral(
                     "^update mt\\.qel_vr_log set sync_date=now\\(\\*\\) where xtag='[^']+' and "
                     "xtag_additional='[^']+' and affected_table='CALRESULTS' and action in "
                     "\\('INS','DEL'\\);commit$")))
                 .isEmpty());
        QVERIFY(!texts.filter(QStringLiteral("insert into mt.qel_vr_transfer_log(")).isEmpty());
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));
    }
};

VARROW_TEST_GUILESS_MAIN(TestNewRecords)
#include "tst_newrecords.moc"
