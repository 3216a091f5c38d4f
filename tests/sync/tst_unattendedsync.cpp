#include "tests/support/PostgresServer.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TestWorkspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QtTest>

// vrw1 run unattended, as a scheduled job would run it: headless, "-TRANSFER" with the six
// keys, on demo workspaces; judged by its exit status, its output and the two databases.
class TestUnattendedSync : public QObject
{
    Q_OBJECT

    TestWorkspace m_updates{TestWorkspace::small(DemoOptions::Remote::UpdatesOnly)};
    TestWorkspace m_fieldWork{TestWorkspace::small(DemoOptions::Remote::FieldWork),
                              TestWorkspace::Detached};
    TestWorkspace m_drops{TestWorkspace::small(DemoOptions::Remote::UpdatesOnly),
                          TestWorkspace::Detached};
    TestWorkspace m_inserts{TestWorkspace::small(DemoOptions::Remote::InsertsOnly),
                            TestWorkspace::Detached};
    TestWorkspace m_merged{TestWorkspace::small(DemoOptions::Remote::FieldWork),
                           TestWorkspace::Detached};

    // Both change logs and the history, as short text: what a refused run must not change.
    static QString logsAndHistory(const TestWorkspace& workspace)
    {
        const QString log =
            QStringLiteral("select count(*)||'/'||count(sync_date) from qel_vr_log");
        return value(*workspace.openRemote(), log) + QLatin1Char(' ') +
               value(*workspace.master(), log) + QLatin1Char(' ') +
               value(*workspace.master(),
                     QStringLiteral("select count(*) from qel_vr_transfer_log"));
    }

    static QString syncErrors(const TestWorkspace& workspace)
    {
        QFile log(QFileInfo(workspace.report().remoteFile).absolutePath() +
                  QStringLiteral("/syncerr.log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    // Logs a change of an item the master holds, so the transfer has work to do.
    static void changeAnItem(const TestWorkspace& workspace, const QString& extraLogRows)
    {
        auto remote = workspace.openRemote();
        remote->exec(QStringLiteral("update dbconfig set dbremote=0;"
                                    "update inventory set i4202='changed in the field' where "
                                    "mtag=(select min(mtag) from inventory);"
                                    "insert into qel_vr_log(xtag,affected_table,affected_column,"
                                    "action,event_date) select min(mtag),'INVENTORY','i4202','UPD',"
                                    "varrow_now() from inventory;") +
                     extraLogRows + QStringLiteral(";update dbconfig set dbremote=1"));
    }

    struct Run
    {
        int status = -1;
        QString out, err;
    };

    static constexpr const char* ownerKeys =
        "MDSN=VarrowMaster;MUID=mt;MPWD=sql;RDSN=VarrowRemote;RUID=mt;RPWD=sql";

    static Run transfer(const TestWorkspace& workspace, const QString& keys = ownerKeys,
                        const QString& workingDirectory = testsupport::binaryDir(),
                        const QString& mode = QStringLiteral("-TRANSFER"))
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VARROW_HEADLESS"), QStringLiteral("1"));
        env.insert(QStringLiteral("VARROW_LOCK_WAIT"), QStringLiteral("1"));
        env.insert(QStringLiteral("ODBCSYSINI"), workspace.path());
        env.insert(QStringLiteral("ODBCINI"), workspace.report().odbcIni);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(workingDirectory);
        process.start(QDir(testsupport::binaryDir()).filePath(QStringLiteral("vrw1")),
                      {mode, keys});
        Run run;
        if (!process.waitForFinished(60000))
            process.kill();
        run.status = process.exitCode();
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    static QString value(SqliteDatabase& db, const QString& sql)
    {
        return db.scalar(sql).toString();
    }
    static QString value(MasterDatabase& db, const QString& sql)
    {
        return db.scalar(sql).toString();
    }

    // Items (by asset number and by key) and customers of the remote the master lacks.
    static int lackingOnMaster(const TestWorkspace& workspace)
    {
        const auto values = [](const QList<QVariantList>& rows) {
            QSet<QString> set;
            for (const QVariantList& row : rows)
                set.insert(row.value(0).toString().toLower());
            return set;
        };
        auto master = workspace.master();
        auto remote = workspace.openRemote();
        const QSet<QString> assets =
            values(master->rows(QStringLiteral("select i4201 from inventory")));
        const QSet<QString> keys =
            values(master->rows(QStringLiteral("select mtag from inventory")));
        const QSet<QString> customers =
            values(master->rows(QStringLiteral("select k4601 from customers")));
        int lacking = 0;
        for (const QVariantList& row :
             remote->rows(QStringLiteral("select i4201, mtag from inventory")))
            lacking += !assets.contains(row.value(0).toString().toLower()) &&
                       !keys.contains(row.value(1).toString().toLower());
        for (const QVariantList& row : remote->rows(QStringLiteral("select k4601 from customers")))
            lacking += !customers.contains(row.value(0).toString().toLower());
        return lacking;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_updates.isValid(), qPrintable(m_updates.error()));
        QVERIFY2(m_fieldWork.isValid(), qPrintable(m_fieldWork.error()));
        QVERIFY2(m_drops.isValid(), qPrintable(m_drops.error()));
        QVERIFY2(m_inserts.isValid(), qPrintable(m_inserts.error()));
        QVERIFY2(m_merged.isValid(), qPrintable(m_merged.error()));
        // Second names for both databases, as a careless set-up might define them.
        QFile ini(m_fieldWork.report().odbcIni);
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(ini.readAll());
        ini.close();
        for (const char* name : {"VarrowMaster", "VarrowRemote"}) {
            const QString header = QStringLiteral("[%1]").arg(QLatin1String(name));
            const qsizetype start = text.indexOf(header);
            QVERIFY(start >= 0);
            const qsizetype end = text.indexOf(QStringLiteral("\n["), start + 1);
            QString section = text.mid(start, end < 0 ? -1 : end - start + 1);
            section.replace(header, QStringLiteral("[%1Alias]").arg(QLatin1String(name)));
            text += QStringLiteral("\n") + section;
        }
        text.replace(QStringLiteral("[ODBC Data Sources]\n"),
                     QStringLiteral("[ODBC Data Sources]\nVarrowMasterAlias=Varrow SQL Anywhere "
                                    "stand-in\nVarrowRemoteAlias=Varrow SQL Anywhere stand-in\n"));
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(text.toUtf8());
    }

    // Data sources swapped, named twice, or two names for one database: the run refuses before
    // anything is written, and says why.
    void mixedUpDataSourcesChangeNothing_data()
    {
        QTest::addColumn<QString>("master");
        QTest::addColumn<QString>("remote");
        QTest::newRow("swapped") << "VarrowRemote"
                                 << "VarrowMaster";
        QTest::newRow("remote named twice") << "VarrowRemote"
                                            << "VarrowRemote";
        QTest::newRow("master named twice") << "VarrowMaster"
                                            << "VarrowMaster";
        QTest::newRow("a second name of the remote") << "VarrowRemoteAlias"
                                                     << "VarrowRemote";
        QTest::newRow("a second name of the master") << "VarrowMaster"
                                                     << "VarrowMasterAlias";
    }

    void mixedUpDataSourcesChangeNothing()
    {
        QFETCH(QString, master);
        QFETCH(QString, remote);
        const QString before = logsAndHistory(m_fieldWork);
        const Run run = transfer(m_fieldWork,
                                 QStringLiteral("MDSN=%1;MUID=mt;MPWD=sql;RDSN=%2;RUID=mt;RPWD=sql")
                                     .arg(master, remote));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("Nothing was changed.")), qPrintable(run.err));
        QCOMPARE(logsAndHistory(m_fieldWork), before);
    }

    // Deletions the transfers leave to the master by design are written down as such and need
    // no one's look; a dropped change that should have been carried does. When syncerr.log
    // cannot be written, the change log keeps what it would have recorded.
    void droppedChangesAreWrittenDownByKind()
    {
        changeAnItem(m_drops,
                     QStringLiteral("insert into qel_vr_log(xtag,affected_table,action,event_date) "
                                    "values('GONE-1','INVENTORY','DEL',varrow_now())"));
        Run run = transfer(m_drops);
        QCOMPARE(run.status, 0);
        QCOMPARE(syncErrors(m_drops).count(QStringLiteral("Deletion not carried by design")), 1);
        QCOMPARE(value(*m_drops.openRemote(), QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));

        changeAnItem(m_drops, QStringLiteral("insert into qel_vr_log(xtag,xtag_additional,"
                                             "affected_table,affected_column,action,event_date) "
                                             "values('CA-1','1','RESULTS','f2605','UPD',"
                                             "varrow_now());update dbconfig set version='6.5.0'"));
        run = transfer(m_drops);
        QCOMPARE(run.status, 2);
        QCOMPARE(syncErrors(m_drops).count(
                     QStringLiteral("Untransferred change deleted with the change log")),
                 1);

        const QString syncerr =
            QFileInfo(m_drops.report().remoteFile).absolutePath() + QStringLiteral("/syncerr.log");
        QVERIFY(QFile::remove(syncerr));
        QVERIFY(QDir().mkdir(syncerr)); // a file that cannot be written, even by root
        changeAnItem(m_drops, QStringLiteral("insert into qel_vr_log(xtag,xtag_additional,"
                                             "affected_table,affected_column,action,event_date) "
                                             "values('CA-2','1','RESULTS','f2605','UPD',"
                                             "varrow_now())"));
        run = transfer(m_drops);
        QVERIFY(QDir().rmdir(syncerr));
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(QStringLiteral("could not be written")), qPrintable(run.err));
        QCOMPARE(value(*m_drops.openRemote(),
                       QStringLiteral("select group_concat(xtag) from qel_vr_log")),
                 QStringLiteral("CA-2"));
    }

    void columnChangesAreSynchronised()
    {
        const int history =
            value(*m_updates.master(), QStringLiteral("select count(*) from qel_vr_transfer_log"))
                .toInt();
        const Run run = transfer(m_updates);
        QCOMPARE(run.status, 0);
        QVERIFY2(run.err.contains(
                     QStringLiteral("[100%] Completed Updating Records - Completed Successfully")),
                 qPrintable(run.err));
        QVERIFY(run.out.startsWith(QStringLiteral("Data Transfer Statistics\n")));
        QVERIFY(run.out.contains(QStringLiteral("\nTotals ")));
        QCOMPARE(value(*m_updates.openRemote(), QStringLiteral("select count(*) from qel_vr_log")),
                 QStringLiteral("0"));
        auto master = m_updates.master();
        QCOMPARE(value(*master, QStringLiteral("select count(*) from qel_vr_transfer_log")).toInt(),
                 history + 1);
        QCOMPARE(
            value(*master, QStringLiteral("select transfer_type from qel_vr_transfer_log where ") +
                               testsupport::newestHistoryRow()),
            QStringLiteral("Synchronize"));
    }

    // A row that cannot be written goes to syncerr.log: the run says so in its status.
    void rowErrorsEndWithStatusTwo()
    {
        auto remote = m_updates.openRemote();
        const QString mtag = value(*remote, QStringLiteral("select mtag from inventory limit 1"));
        remote->exec(
            QStringLiteral(
                "insert into qel_vr_log(xtag,affected_table,affected_column,action,event_date) "
                "values('%1','INVENTORY','i4202','UPD','2011-06-14 10:00:00.000')")
                .arg(mtag));
        // The master refuses that change (a rule of its own, say).
        m_updates.master()->refuse(QStringLiteral("update of i4202"), QStringLiteral("inventory"),
                                   QStringLiteral("refused by the master"));
        const Run run = transfer(m_updates);
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains(QStringLiteral("Refer to SYNCERR.LOG")));
        QCOMPARE(value(*m_updates.openRemote(),
                       QStringLiteral("select count(*) from qel_vr_log where sync_date is null")),
                 QStringLiteral("1"));
    }

    // A new row the master refuses goes to syncerr.log and the run says so in its status; its
    // entry is stamped, as the insertion was tried.
    void aRefusedNewRowEndsWithStatusTwo()
    {
        m_inserts.master()->refuse(QStringLiteral("insert"), QStringLiteral("repair"),
                                   QStringLiteral("refused by the master"));
        const Run run = transfer(m_inserts);
        QCOMPARE(run.status, 2);
        QVERIFY(syncErrors(m_inserts).contains(QStringLiteral("refused by the master")));
        QVERIFY(syncErrors(m_inserts).contains(QStringLiteral("CopyToDestTable")));
        QCOMPARE(value(*m_inserts.master(),
                       QStringLiteral("select count(*) from repair where rdsrc='VRW'")),
                 QStringLiteral("0"));
        QCOMPARE(value(*m_inserts.openRemote(),
                       QStringLiteral("select count(*) from qel_vr_log where "
                                      "affected_table='REPAIR' and sync_date is null and xtag in "
                                      "(select rtag from repair where mtag in (select mtag from "
                                      "inventory))")),
                 QStringLiteral("0"));
    }

    // Every kind of field work carried in one run: new rows first, then the column changes.
    // Inserted rows reach the master marked 'VRW', the change log ends empty, one history row
    // counts what was inserted, and a second run right after changes nothing but the history.
    void fieldWorkIsSynchronisedWhole()
    {
        const int history =
            value(*m_fieldWork.master(), QStringLiteral("select count(*) from qel_vr_transfer_log"))
                .toInt();
        const QString newItems = QStringLiteral(
            "select group_concat(i4201,',') from (select i4201 from inventory where mtag in "
            "(select xtag from qel_vr_log where action='INS' and affected_table='INVENTORY') "
            "order by i4201)");
        const QString carried = value(*m_fieldWork.openRemote(), newItems);
        QVERIFY(!carried.isEmpty());
        const Run run = transfer(m_fieldWork);
        QVERIFY2(run.status == 0 || run.status == 2, qPrintable(run.err));
        QVERIFY2(run.out.contains(QStringLiteral("Data Transfer Statistics")), qPrintable(run.out));
        QVERIFY2(!run.err.contains(QStringLiteral("not available")), qPrintable(run.err));
        QCOMPARE(
            value(*m_fieldWork.openRemote(), QStringLiteral("select count(*) from qel_vr_log")),
            QStringLiteral("0"));

        auto master = m_fieldWork.master();
        // Every new item is in the master under its asset number.
        for (const QString& asset : carried.split(QLatin1Char(',')))
            QCOMPARE(value(*master, QStringLiteral("select count(*) from inventory where "
                                                   "i4201='%1'")
                                        .arg(QString(asset).replace(QLatin1Char('\''),
                                                                    QStringLiteral("''")))),
                     QStringLiteral("1"));
        const QString inserted = QStringLiteral(
            "select (select count(*) from inventory where idsrc='VRW')+(select count(*) from "
            "calibration where cdsrc='VRW')+(select count(*) from location where ldsrc='VRW')+"
            "(select count(*) from repair where rdsrc='VRW')+(select count(*) from customers where "
            "kdsrc='VRW')");
        QVERIFY(value(*master, inserted).toInt() > 0);
        QCOMPARE(value(*master, QStringLiteral("select count(*) from qel_vr_transfer_log")).toInt(),
                 history + 1);
        QVERIFY(
            value(*master, QStringLiteral("select num_records from qel_vr_transfer_log where ") +
                               testsupport::newestHistoryRow())
                .toInt() > 0);

        const QString contents = QStringLiteral(
            "select (select count(*) from inventory)||'/'||(select count(*) from calibration)||'/'"
            "||(select count(*) from standards)||'/'||(select count(*) from calresults)||'/'||"
            "(select count(*) from results)||'/'||(select count(*) from results_raw)||'/'||"
            "(select count(*) from location)||'/'||(select count(*) from repair)||'/'||"
            "(select count(*) from customers)||'/'||(select count(*) from valfield)||'/'||"
            "(select count(*) from vallinkdata)");
        const QString before = value(*master, contents);
        const Run again = transfer(m_fieldWork);
        QCOMPARE(again.status, 0);
        QCOMPARE(value(*m_fieldWork.master(), contents), before);
    }

    // The maintenance merge without windows: the master gains every item and customer of the
    // remote that it lacked, one 'Merged' history row tells how many rows went in, the change
    // log is left alone, and a second run inserts nothing.
    void theMergeRunsUnattended()
    {
        const QString lastMerged =
            QStringLiteral("select num_records from qel_vr_transfer_log where "
                           "transfer_type='Merged' and ") +
            testsupport::newestHistoryRow();
        const QString log =
            QStringLiteral("select count(*)||'/'||count(sync_date) from qel_vr_log");
        QVERIFY(lackingOnMaster(m_merged) > 0);
        const QString logBefore = value(*m_merged.openRemote(), log);

        const Run run =
            transfer(m_merged, ownerKeys, testsupport::binaryDir(), QStringLiteral("-TRANSALL"));
        QVERIFY2(run.status == 0, qPrintable(run.err + syncErrors(m_merged)));
        QVERIFY2(run.out.contains(QStringLiteral("Data Transfer Statistics")), qPrintable(run.out));
        QCOMPARE(lackingOnMaster(m_merged), 0);
        QCOMPARE(value(*m_merged.openRemote(), log), logBefore);
        QVERIFY(value(*m_merged.master(), lastMerged).toInt() > 0);

        const Run again =
            transfer(m_merged, ownerKeys, testsupport::binaryDir(), QStringLiteral("-TRANSALL"));
        QCOMPARE(again.status, 0);
        QCOMPARE(value(*m_merged.master(), lastMerged), QStringLiteral("0"));
    }

    // Runs that cannot sign in, or may not transfer, end at once with status 1 and the reason,
    // and leave both databases as they were.
    void runsThatCannotStartSayWhy_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("said");
        const QString remoteFailed =
            QStringLiteral("Login Warning: Remote database connection failed! Check "
                           "username,password and network connection and try again... /  / ");
        QTest::newRow("wrong password")
            << "MDSN=VarrowMaster;MUID=mt;MPWD=sql;RDSN=VarrowRemote;RUID=mt;RPWD=Wr0ng"
            << remoteFailed + "Invalid user ID or password\n";
        QTest::newRow("a password that reads as driver keys")
            << "MDSN=VarrowMaster;MUID=mt;MPWD=sql;RDSN=VarrowRemote;RUID=mt;"
               "RPWD=sql;Database=injected-by-password.db;NoCreat=0;X="
            << remoteFailed + "Invalid user ID or password\n";
        QTest::newRow("unknown data source")
            << "MDSN=VarrowMaster;MUID=mt;MPWD=sql;RDSN=NoSuchSource;RUID=mt;RPWD=sql"
            << remoteFailed +
                   "The data source \"NoSuchSource\" given for the Remote Database is not "
                   "defined in the ODBC configuration.\n";
        QTest::newRow("no master data source")
            << "MUID=mt;MPWD=sql;RDSN=VarrowRemote;RUID=mt;RPWD=sql"
            << "vrw1: the command line gives no value for MDSN (write KEY=value; and RPWD=value "
               "last)\nLogin Incomplete: Choose The Datasources Of Both Databases Before "
               "Connecting!\n";
        QTest::newRow("a level below 4")
            << "MDSN=VarrowMaster;MUID=ben;MPWD=ben3;RDSN=VarrowRemote;RUID=mt;RPWD=sql"
            << "Login Warning: Only user accounts that have a security level of at least 4 can "
               "perform syncronizations/replications!\n";
    }
    void runsThatCannotStartSayWhy()
    {
        QFETCH(QString, keys);
        QFETCH(QString, said);
        const QString log =
            QStringLiteral("select count(*)||'/'||count(sync_date) from qel_vr_log");
        const QString logBefore = value(*m_fieldWork.openRemote(), log);
        const QString injected =
            QDir(testsupport::binaryDir()).filePath(QStringLiteral("injected-by-password.db"));
        const Run run = transfer(m_fieldWork, keys);
        const bool made = QFile::remove(injected);
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, said);
        QVERIFY(!made);
        QCOMPARE(value(*m_fieldWork.openRemote(), log), logBefore);
    }

    // The master held by another writer: the run waits the bound it was given, says why it
    // stops, and leaves the change log pending.
    void aLockedDatabaseEndsTheRunWithStatusOne()
    {
        const QString pending =
            value(*m_updates.openRemote(),
                  QStringLiteral("select count(*) from qel_vr_log where sync_date is null"));
        auto otherProgram = m_updates.master();
        otherProgram->holdWriteLock();
        const Run run = transfer(m_updates);
        otherProgram->rollback();
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral(
                     "Varrow: Another program holds a lock on a database Varrow needs, and the "
                     "wait for it has run out. Nothing was lost")),
                 qPrintable(run.err));
        QVERIFY(run.err.contains(QStringLiteral(
            "(the database of data source \"VarrowMaster\" is locked by another program)")));
        QCOMPARE(value(*m_updates.openRemote(),
                       QStringLiteral("select count(*) from qel_vr_log where sync_date is null")),
                 pending);
    }

    // Another run (of another account, say) is working on the same Remote Database: this one
    // is refused, as a second copy is, and changes nothing.
    void aSecondRunOnOneRemoteDatabaseIsRefused()
    {
        const QString remoteFile = m_updates.report().remoteFile;
        const QString log =
            QStringLiteral("select count(*)||'/'||count(sync_date) from qel_vr_log");
        const QString logBefore = value(*m_updates.openRemote(), log);
        const QString history = QStringLiteral("select count(*) from qel_vr_transfer_log");
        const QString historyBefore = value(*m_updates.master(), history);
        QLockFile otherRun(remoteFile + QStringLiteral(".varrow.lock"));
        QVERIFY(otherRun.tryLock(0));
        const Run run = transfer(m_updates);
        otherRun.unlock();
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QStringLiteral("Varrow: Another run of Varrow is working on the Remote "
                                         "Database %1 (transferring its changes or replacing it). "
                                         "Nothing was done; try again when it has finished.\n")
                              .arg(remoteFile));
        QVERIFY(run.out.isEmpty());
        QCOMPARE(value(*m_updates.openRemote(), log), logBefore);
        QCOMPARE(value(*m_updates.master(), history), historyBefore);
    }
};

VARROW_TEST_GUILESS_MAIN(TestUnattendedSync)
#include "tst_unattendedsync.moc"
