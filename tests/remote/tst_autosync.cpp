#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TestWorkspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

// vrw1 -AUTOSYNC run unattended on a demo workspace whose remote copy holds column changes:
// the changes reach the master, then the remote is replaced by a fresh, prepared copy.
class TestAutoSync : public QObject
{
    Q_OBJECT

    TestWorkspace m_workspace{TestWorkspace::small(DemoOptions::Remote::UpdatesOnly),
                              TestWorkspace::Detached};
    TestWorkspace m_inUse{TestWorkspace::small(DemoOptions::Remote::UpdatesOnly),
                          TestWorkspace::Detached};

    struct Run
    {
        int status = -1;
        QString out, err;
    };

    static Run autosync(const TestWorkspace& workspace, const QString& switchWord)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VARROW_HEADLESS"), QStringLiteral("1"));
        env.insert(QStringLiteral("ODBCSYSINI"), workspace.path());
        env.insert(QStringLiteral("ODBCINI"), workspace.report().odbcIni);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(testsupport::binaryDir());
        process.start(QDir(testsupport::binaryDir()).filePath(QStringLiteral("vrw1")),
                      {switchWord, QStringLiteral("MDSN=VarrowMaster;MUID=mt;MPWD=sql;"
                                                  "RDSN=VarrowRemote;RUID=mt;RPWD=sql")});
        Run run;
        if (!process.waitForFinished(120000))
            process.kill();
        run.status = process.exitCode();
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    QString remote(const QString& query) const
    {
        return m_workspace.openRemote()->scalar(query).toString();
    }
    QString master(const QString& query) const
    {
        return m_workspace.master()->scalar(query).toString();
    }
    int history(const QString& type) const
    {
        return master(QStringLiteral("select count(*) from qel_vr_transfer_log where "
                                     "transfer_type='%1'")
                          .arg(type))
            .toInt();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_workspace.isValid(), qPrintable(m_workspace.error()));
        QVERIFY2(m_inUse.isValid(), qPrintable(m_inUse.error()));
    }

    // Users still listed as connected: without an answer the copy is not replaced, and the
    // run says so with status 1; the remote keeps its change log and history.
    void aRemoteStillInUseIsNotReplaced()
    {
        auto remote = m_inUse.openRemote();
        remote->exec(QStringLiteral("insert into inuse(mtuser,machine) values('ben','BENCH-4')"));
        const QString remoteFile = m_inUse.report().remoteFile;
        const QString pending =
            QStringLiteral("select count(*) from qel_vr_log where sync_date is null");
        QVERIFY(remote->scalar(pending).toInt() > 0);

        const Run run = autosync(m_inUse, QStringLiteral("-AUTOSYNC"));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QLatin1String("There Are Still Active Connections.")),
                 qPrintable(run.err));
        QVERIFY(run.err.contains(QLatin1String("was not replaced")));
        remote = m_inUse.openRemote();
        QCOMPARE(remote->scalar(QStringLiteral("select count(*) from inuse")).toInt(), 1);
        QCOMPARE(remote->scalar(pending).toInt(), 0); // the transfer ran before
        QCOMPARE(remote->scalar(QStringLiteral("select dbremote from dbconfig")).toInt(), 1);
        QVERIFY(!QFileInfo::exists(QFileInfo(remoteFile).absolutePath() +
                                   QStringLiteral("/vrbkup.Log")));
    }

    void synchronisesThenReplacesTheRemote()
    {
        // One changed column of the field work, to find again on the master.
        const QString item =
            remote(QStringLiteral("select min(xtag) from qel_vr_log where action='UPD' and "
                                  "affected_table='INVENTORY' and affected_column='i4202'"));
        QVERIFY(!item.isEmpty());
        const QString changed =
            QStringLiteral("select i4202 from inventory where mtag='%1'").arg(item);
        const QString fieldValue = remote(changed);
        QVERIFY(!fieldValue.isEmpty());
        const int synchronized = history(QStringLiteral("Synchronize"));
        const int replicated = history(QStringLiteral("Replicate"));

        // The switch in any letter case, with more letters behind it.
        const Run run = autosync(m_workspace, QStringLiteral("-autosyncing"));
        QVERIFY2(run.status == 0, qPrintable(run.err));

        QCOMPARE(master(changed), fieldValue);
        QCOMPARE(history(QStringLiteral("Synchronize")), synchronized + 1);
        QCOMPARE(history(QStringLiteral("Replicate")), replicated + 1);

        QCOMPARE(remote(QStringLiteral("select count(*) from inventory")),
                 master(QStringLiteral("select count(*) from inventory")));
        QCOMPARE(remote(QStringLiteral("select count(*) from qel_vr_log")), QStringLiteral("0"));
        QCOMPARE(remote(QStringLiteral("select count(*) from qel_vr_transfer_log")),
                 QStringLiteral("0"));
        QCOMPARE(remote(QStringLiteral("select dbremote from dbconfig")), QStringLiteral("1"));
        QCOMPARE(remote(QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));

        // Nothing pending was left to keep, no message waited for an answer, no password shown.
        const QString folder = QFileInfo(m_workspace.report().remoteFile).absolutePath();
        QVERIFY(QDir(folder).entryList({QStringLiteral("vrpending-*.txt")}).isEmpty());
        QVERIFY(!run.err.contains(QLatin1String("Replication Successful")));
        QVERIFY(run.err.contains(QLatin1String("[replication]")));
        QFile log(folder + QStringLiteral("/vrbkup.Log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString backupLog = QString::fromUtf8(log.readAll());
        QVERIFY(backupLog.contains(QLatin1String("Database backup completed")));
        for (const QString& text : {backupLog, run.out, run.err})
            QVERIFY2(!text.contains(QLatin1String("pwd=sql")), qPrintable(text));
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/errors.log")));
    }
};

VARROW_TEST_GUILESS_MAIN(TestAutoSync)
#include "tst_autosync.moc"
