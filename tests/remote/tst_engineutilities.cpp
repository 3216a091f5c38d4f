#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TestWorkspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>
#include <atomic>
#include <thread>

// The stand-in's dbstop and dbbackup, run as the creation of a Remote Database runs them, on
// a demo workspace: their option forms, the login check, the message log, and the copy.
class TestEngineUtilities : public QObject
{
    Q_OBJECT

    TestWorkspace m_workspace{TestWorkspace::small()};

    struct Run
    {
        int status = -1;
        QString log;
    };

    QString remoteFolder() const
    {
        return QFileInfo(m_workspace.report().remoteFile).absolutePath();
    }
    QString logPath() const { return remoteFolder() + QStringLiteral("/vrbkup.Log"); }

    Run utility(const QString& program, const QString& arguments)
    {
        QFile::remove(logPath());
        QProcess process;
        process.start(QDir(testsupport::binaryDir()).filePath(program),
                      QProcess::splitCommand(arguments));
        if (!process.waitForFinished(60000))
            process.kill();
        Run run;
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        QFile log(logPath());
        if (log.open(QIODevice::ReadOnly))
            run.log = QString::fromUtf8(log.readAll());
        return run;
    }

    QString stop(const QString& credentials, const QString& form)
    {
        return QStringLiteral("-o \"%1\" -%2%3;eng=FieldUnit07;%4")
            .arg(logPath(), form.left(1), credentials, form.mid(1));
    }

    QString backup(const QString& credentials, bool replace = true)
    {
        return QStringLiteral("%1-o \"%2\" -c \"%3;dbf=caldata;dsn=VarrowMaster\" \"%4\"")
            .arg(replace ? QStringLiteral("-y ") : QString(), logPath(), credentials,
                 remoteFolder());
    }

    static QString lastLine(const QString& log)
    {
        const QStringList lines = log.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        return lines.isEmpty() ? QString() : lines.last();
    }

    QString remoteValue(const QString& query)
    {
        return m_workspace.openRemote()->scalar(query).toString();
    }

private slots:
    void initTestCase() { QVERIFY2(m_workspace.isValid(), qPrintable(m_workspace.error())); }

    void stopFormsWithGoodCredentials_data()
    {
        QTest::addColumn<QString>("form");
        QTest::newRow("newer engine") << QStringLiteral("cUNC=YES");
        QTest::newRow("older engine") << QStringLiteral("sagent=server;unconditional=true");
    }
    void stopFormsWithGoodCredentials()
    {
        QFETCH(QString, form);
        const Run run =
            utility(QStringLiteral("dbstop"), stop(QStringLiteral("uid=mt;pwd=sql"), form));
        QCOMPARE(run.status, 0);
        QVERIFY2(lastLine(run.log).contains(QLatin1String("FieldUnit07 stopped")),
                 qPrintable(run.log));
        QVERIFY(run.log.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).size() >= 3);
        QVERIFY(!run.log.contains(QLatin1String("pwd")));
        // Checkpointed: nothing of the database is left in its write-ahead log.
        const QFileInfo wal(m_workspace.report().remoteFile + QStringLiteral("-wal"));
        QVERIFY(!wal.exists() || wal.size() == 0);
    }

    void stopRefusesWhatItCannotCheck()
    {
        Run run = utility(QStringLiteral("dbstop"),
                          stop(QStringLiteral("uid=mt;pwd=wrongpass"), QStringLiteral("cUNC=YES")));
        QVERIFY(run.status != 0);
        QVERIFY2(run.log.contains(QLatin1String("Invalid user ID or password")),
                 qPrintable(run.log));
        QVERIFY(lastLine(run.log).contains(QLatin1String("not stopped")));
        QVERIFY(!run.log.contains(QLatin1String("wrongpass")));

        run = utility(
            QStringLiteral("dbstop"),
            QStringLiteral("-o \"%1\" -cuid=mt;pwd=sql;eng=NoSuchEngine;UNC=YES").arg(logPath()));
        QVERIFY(run.status != 0);
        QVERIFY(run.log.contains(QLatin1String("NoSuchEngine not found")));
    }

    void backupRefusesBadCredentialsAndKeepsTheFile()
    {
        const QString before = remoteValue(QStringLiteral("select count(*) from qel_vr_log"));
        const Run run =
            utility(QStringLiteral("dbbackup"), backup(QStringLiteral("uid=mt;pwd=wrongpass")));
        QVERIFY(run.status != 0);
        QVERIFY2(
            lastLine(run.log).startsWith(QLatin1String("Database backup failed: Invalid user ID")),
            qPrintable(run.log));
        QVERIFY(!run.log.contains(QLatin1String("wrongpass")));
        QCOMPARE(remoteValue(QStringLiteral("select count(*) from qel_vr_log")), before);
    }

    void backupWithoutReplaceKeepsAnExistingFile()
    {
        const Run run =
            utility(QStringLiteral("dbbackup"), backup(QStringLiteral("uid=mt;pwd=sql"), false));
        QVERIFY(run.status != 0);
        QVERIFY2(lastLine(run.log).contains(QLatin1String("already exists")), qPrintable(run.log));
    }

    // Another connection keeps writing the master in transactions of two rows while the copy
    // is made: the copy is whole, holds only complete transactions, and replaces the remote.
    void backupWhileTheMasterIsWritten()
    {
        m_workspace.openMaster()->exec(QStringLiteral("create table backup_pairs(n integer)"));
        std::atomic<bool> done{false};
        std::atomic<int> written{0};
        std::thread writer([this, &done, &written] {
            auto master = m_workspace.openMaster();
            while (!done) {
                SqliteTransaction transaction(*master);
                master->exec(QStringLiteral("insert into backup_pairs values(1);"
                                            "insert into backup_pairs values(2)"));
                transaction.commit();
                ++written;
            }
        });
        while (written < 20)
            QThread::msleep(5);
        const Run run =
            utility(QStringLiteral("dbbackup"), backup(QStringLiteral("uid=mt;pwd=sql")));
        done = true;
        writer.join();

        QCOMPARE(run.status, 0);
        QStringList lines = run.log.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.last(), QStringLiteral("Database backup completed"));
        QVERIFY(lines.size() >= 3);
        QVERIFY(!run.log.contains(QLatin1String("pwd=sql")));
        QCOMPARE(remoteValue(QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));
        const int rows = remoteValue(QStringLiteral("select count(*) from backup_pairs")).toInt();
        QVERIFY(rows >= 40);
        QCOMPARE(rows % 2, 0);
        // The remote is now the master's copy, change log and all.
        QCOMPARE(remoteValue(QStringLiteral("select dbremote from dbconfig")),
                 m_workspace.openMaster()
                     ->scalar(QStringLiteral("select dbremote from dbconfig"))
                     .toString());
        QVERIFY(QDir(remoteFolder())
                    .entryList({QStringLiteral(".*.backup")}, QDir::Hidden | QDir::Files)
                    .isEmpty());
    }
};

VARROW_TEST_GUILESS_MAIN(TestEngineUtilities)
#include "tst_engineutilities.moc"
