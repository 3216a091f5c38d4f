#include "app/Operations.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"

#include <QtTest>

// The maintenance merge on a demo workspace whose remote copy was untouched since it was made:
// each case adds the rows it needs on either side, and starts from the same two files.
class TestMerge : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture{TestWorkspace::small(DemoOptions::Remote::Untouched)};
    std::unique_ptr<TestProgram> m_t;

    void onMaster(const QString& sql) { m_fixture.onMaster(sql); }
    void inTheField(const QString& sql) { m_fixture.onRemote(sql); }
    QString masterValue(const QString& sql) const { return m_fixture.masterValue(sql); }
    QString remoteValue(const QString& sql) const { return m_fixture.remoteValue(sql); }
    QString masterRows(const QString& sql) const { return m_fixture.masterRows(sql); }
    // The row counts of the master's record tables, as one text.
    QString masterContents() const
    {
        return masterValue(QStringLiteral(
            "select (select count(*) from inventory)||'/'||(select count(*) from calibration)||'/'"
            "||(select count(*) from standards)||'/'||(select count(*) from calresults)||'/'||"
            "(select count(*) from results)||'/'||(select count(*) from results_raw)||'/'||"
            "(select count(*) from location)||'/'||(select count(*) from repair)||'/'||"
            "(select count(*) from customers)"));
    }
    QString lastHistoryRow() const
    {
        return masterRows(
            QStringLiteral(
                "select transfer_type,num_records,inv_new,cal_new,resc_new,std_new,loc_new,rep_new,"
                "cus_new,comments from qel_vr_transfer_log where ") +
            testsupport::newestHistoryRow());
    }
    // The 'Merged' history rows written since the case started.
    int mergedRows() const { return mergedInHistory() - m_mergedBefore; }
    int mergedInHistory() const
    {
        return masterValue(QStringLiteral("select count(*) from qel_vr_transfer_log where "
                                          "transfer_type='Merged'"))
            .toInt();
    }
    int m_mergedBefore = 0;

    Program& program() { return m_t->program(); }
    StatisticsSheet& sheet() { return program().statistics; }
    QString box(const char* name) { return sheet().text(QLatin1String(name)); }

    // Signs in as mt on both sides and merges, as the maintenance start does.
    void merge()
    {
        m_t = m_fixture.signedIn();
        QVERIFY(m_t);
        program().menus.setEnabled(MenuId::mnuAllRecords, true);
        TransferAllRecords(program());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_fixture.keepFiles(), qPrintable(m_fixture.workspace.error()));
    }

    void init()
    {
        QVERIFY(m_fixture.startFromKeptFiles());
        m_mergedBefore = mergedInHistory();
    }

    void cleanup() { m_t.reset(); }

    // Items the master holds by asset number take the master's key, and their new records
    // follow it; new items are inserted; what the master has, what predates 1970 and orphans
    // stay out. An item whose remote key the master uses for another asset is held back with
    // its records, which would otherwise land on that other asset. The change log is left as
    // it is, and a second merge finds nothing to insert.
    void remoteRowsAreMergedUnderTheMastersKeys()
    {
        const QString standard = masterValue(QStringLiteral("select min(mtag) from inventory"));
        const QString heldCalibration =
            masterValue(QStringLiteral("select min(ctag) from calibration"));
        onMaster(QStringLiteral("insert into inventory(mtag,i4201) values('HQ-1','SHARED-1'),"
                                "('TAKEN','HQ-A')"));
        inTheField(
            QStringLiteral(
                "insert into inventory(mtag,i4201) values('F-1','SHARED-1'),('TAKEN','F-B'),"
                "('F-A','HQ-A'),('F-NEW','F-NEW-A');"
                "insert into calibration(ctag,mtag,c2301) values('F-CAL1','F-1','2026-01-05'),"
                "('F-CALB','TAKEN','2026-01-05'),('F-CALA','F-A','2026-01-06'),"
                "('F-OLD','F-NEW','1969-12-31'),('F-NEWCAL','F-NEW','2026-01-07'),"
                "('F-ORPH','NOWHERE','2026-01-08');"
                "insert into standards(ctag,c2430,mtag) values('F-CAL1','%1','F-1'),"
                "('F-CAL1','TAKEN','F-1');"
                "insert into calresults(ctag,c2502,mtag) values('F-CAL1',1,'F-1'),"
                "('F-CALB',1,'TAKEN'),('F-OLD',1,'F-NEW')")
                .arg(standard));
        const QString changeLog =
            remoteValue(QStringLiteral("select count(*)||'/'||count(sync_date) from qel_vr_log"));
        QVERIFY(changeLog.startsWith(QStringLiteral("1")));

        merge();
        QVERIFY(!m_t->state().errorOccurred);
        QCOMPARE(masterRows(QStringLiteral("select mtag,i4201,idsrc from inventory where i4201 in "
                                           "('SHARED-1','HQ-A','F-B','F-NEW-A') order by mtag")),
                 QStringLiteral("F-NEW|F-NEW-A|VRW;HQ-1|SHARED-1|NULL;TAKEN|HQ-A|NULL"));
        QCOMPARE(masterRows(QStringLiteral("select ctag,mtag,cdsrc from calibration where ctag "
                                           "like 'F-%' order by ctag")),
                 QStringLiteral("F-CAL1|HQ-1|VRW;F-CALA|TAKEN|VRW;F-NEWCAL|F-NEW|VRW"));
        QCOMPARE(masterRows(QStringLiteral("select c2430||'@'||mtag from standards where "
                                           "ctag='F-CAL1'")),
                 standard + QStringLiteral("@HQ-1"));
        QCOMPARE(masterRows(QStringLiteral("select ctag from calresults where ctag like 'F-%'")),
                 QStringLiteral("F-CAL1"));
        QCOMPARE(masterValue(QStringLiteral("select count(*) from calibration where ctag='%1'")
                                 .arg(heldCalibration)),
                 QStringLiteral("1"));

        const QString errors = m_fixture.syncErrors();
        QVERIFY2(errors.contains(QStringLiteral("asset F-B with mtag TAKEN, which the Master "
                                                "Database holds for asset HQ-A")),
                 qPrintable(errors));
        QCOMPARE(program().tableCopy.syncLogBlocks, 1);

        QCOMPARE(box("Minvnumber"), QStringLiteral("1"));
        QCOMPARE(box("Mcalnumber"), QStringLiteral("3"));
        QCOMPARE(box("Minsttotal"), QStringLiteral("6"));
        int masterRowsAfter = 0;
        for (const QString& count : masterContents().split(QLatin1Char('/')))
            masterRowsAfter += count.toInt();
        QCOMPARE(box("Mtotal").toInt(), masterRowsAfter);
        QCOMPARE(box("Rdumptotal"), box("Rtotal"));
        QCOMPARE(lastHistoryRow(),
                 QStringLiteral("Merged|6|1|3|1|1|0|0|0|") + program().phrase(242));
        QVERIFY(!program().menus.isEnabled(MenuId::mnuAllRecords));
        QCOMPARE(remoteValue(QStringLiteral("select count(*)||'/'||count(sync_date) from "
                                            "qel_vr_log")),
                 changeLog);

        const QString contents = masterContents();
        merge();
        QCOMPARE(masterContents(), contents);
        QCOMPARE(box("Minsttotal"), QStringLiteral("0"));
        QCOMPARE(lastHistoryRow(),
                 QStringLiteral("Merged|0|0|0|0|0|0|0|0|") + program().phrase(242));
        QCOMPARE(mergedRows(), 2);
    }

    // The confirm functions and the master-inventory filter run only when both tables held
    // rows; with an empty remote table nothing is inserted for it and the children still run.
    void filtersDependOnWhatBothTablesHeld_data()
    {
        QTest::addColumn<QString>("emptied");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("master calibrations empty") << "master" << false;
        QTest::newRow("remote calibrations empty") << "remote" << false;
        QTest::newRow("both held calibrations") << "" << true;
    }
    void filtersDependOnWhatBothTablesHeld()
    {
        QFETCH(QString, emptied);
        QFETCH(bool, confirmed);
        if (emptied == QLatin1String("master"))
            onMaster(QStringLiteral("delete from calibration"));
        if (emptied == QLatin1String("remote"))
            inTheField(QStringLiteral("delete from calibration"));
        else
            inTheField(QStringLiteral("insert into calibration(ctag,mtag,c2301) "
                                      "values('F-ORPH','NOWHERE','2026-01-08')"));
        const int remoteCalibrations =
            remoteValue(QStringLiteral("select count(*) from calibration where c2301 >= "
                                       "'1970-01-01'"))
                .toInt();
        merge();
        QVERIFY(!m_t->state().errorOccurred);
        QCOMPARE(
            m_fixture.log().textsContaining(QStringLiteral("qel_vr_cal_record_confirm")).isEmpty(),
            !confirmed);
        if (emptied == QLatin1String("remote")) {
            QCOMPARE(box("Mcalnumber"), QStringLiteral("0"));
            QVERIFY(
                !m_fixture.log().textsContaining(QStringLiteral("from temp_standards")).isEmpty());
        } else if (emptied == QLatin1String("master")) {
            // Every calibration goes in, the one of an unknown item too.
            QCOMPARE(box("Mcalnumber").toInt(), remoteCalibrations);
            QCOMPARE(masterValue(QStringLiteral("select mtag from calibration where "
                                                "ctag='F-ORPH'")),
                     QStringLiteral("NOWHERE"));
        } else {
            QCOMPARE(box("Mcalnumber"), QStringLiteral("0"));
        }
        QCOMPARE(mergedRows(), 1);
    }

    // Before version 7 the results tables take no part: not counted, copied or inserted, and
    // their boxes keep what they showed.
    void anOldSchemaLeavesResultsAlone()
    {
        const QString calibration = QStringLiteral("F-CAL6");
        m_fixture.onRemote(QStringLiteral("update dbconfig set dbremote=0;update dbconfig set "
                                          "version='6';update dbconfig set dbremote=1"));
        inTheField(
            QStringLiteral("insert into inventory(mtag,i4201) values('F-6','F-6-A');"
                           "insert into calibration(ctag,mtag,c2301) "
                           "values('F-CAL6','F-6','2026-01-05');"
                           "insert into results(ctag,row_num,mtag) values('F-CAL6',1,'F-6')"));
        m_t = m_fixture.signedIn();
        QVERIFY(m_t);
        sheet().show();
        sheet().setText(QStringLiteral("Rtotalfrs"), QStringLiteral("7"));
        TransferAllRecords(program());
        QVERIFY(!m_t->state().errorOccurred);
        QCOMPARE(box("Rtotalfrs"), QStringLiteral("7"));
        QCOMPARE(masterValue(QStringLiteral("select count(*) from calibration where ctag='%1'")
                                 .arg(calibration)),
                 QStringLiteral("1"));
        QCOMPARE(
            masterValue(
                QStringLiteral("select count(*) from results where ctag='%1'").arg(calibration)),
            QStringLiteral("0"));
        QVERIFY(m_fixture.log().textsContaining(QStringLiteral(".results")).isEmpty());
    }

    // A lost connection in the middle leaves what was inserted and no history row; the next
    // merge completes the work without inserting anything twice.
    void aLostConnectionIsCompletedByTheNextMerge()
    {
        inTheField(QStringLiteral("insert into inventory(mtag,i4201) values('F-L','F-L-A');"
                                  "insert into calibration(ctag,mtag,c2301) "
                                  "values('F-LCAL','F-L','2026-01-05');"
                                  "insert into location(ltag,mtag,l2809) "
                                  "values('F-LLOC','F-L','2026-01-05')"));
        m_fixture.faults()
            .failWhen(FaultInjector::textContains(QStringLiteral("insert into MT.calibration")),
                      FaultInjector::lostConnection())
            .onlyOn(QStringLiteral("VarrowMaster"))
            .times = 1;
        merge();
        QVERIFY(m_t->state().errorOccurred);
        QCOMPARE(mergedRows(), 0);
        QCOMPARE(masterValue(QStringLiteral("select count(*) from inventory where mtag='F-L'")),
                 QStringLiteral("1"));

        merge();
        QVERIFY(!m_t->state().errorOccurred);
        QCOMPARE(masterRows(QStringLiteral("select (select count(*) from inventory where "
                                           "mtag='F-L'),(select count(*) from calibration where "
                                           "ctag='F-LCAL'),(select count(*) from location where "
                                           "ltag='F-LLOC')")),
                 QStringLiteral("1|1|1"));
        QCOMPARE(mergedRows(), 1);
    }

    // Without the scratch table on the Remote Database the key mapping cannot start: the run
    // ends through the failure path after the copies, with nothing inserted and no history.
    void withoutTheScratchTableNothingIsInserted()
    {
        inTheField(QStringLiteral("insert into inventory(mtag,i4201) values('F-S','F-S-A');"
                                  "drop table qel_vr_scratch"));
        const QString contents = masterContents();
        m_t = m_fixture.signedIn();
        QVERIFY(m_t);
        bool ended = false;
        try {
            TransferAllRecords(program());
        } catch (const ProgramExit&) {
            ended = true;
        }
        QVERIFY(ended);
        QVERIFY(!m_fixture.log().textsContaining(QStringLiteral("from MT.inventory")).isEmpty());
        QCOMPARE(masterContents(), contents);
        QCOMPARE(mergedRows(), 0);
    }
};

VARROW_TEST_MAIN(TestMerge)
#include "tst_merge.moc"
