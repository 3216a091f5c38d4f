#include "base/LogFiles.h"
#include "base/ProgramExit.h"
#include "remote/EngineFolder.h"
#include "remote/ShellAndWait.h"
#include "remote/StuffRepForm.h"
#include "remote/UtilityCommands.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The pieces the creation of a Remote Database leans on: waiting for a utility, finding the
// utilities, showing the backup log, and the command lines with their masked texts.
class TestRemoteParts : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& text)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return {};
        return file.fileName();
    }

    static UtilityCommandFacts facts(const QString& remoteUser, const QString& version)
    {
        UtilityCommandFacts f;
        f.toolsFolder = QStringLiteral("/opt/engine/bin/");
        f.databaseFolder = QStringLiteral("/data/field");
        f.engineName = QStringLiteral("FieldUnit07");
        f.schemaVersion = version;
        f.remoteUser = remoteUser;
        f.remotePassword = QStringLiteral("rpw");
        f.masterUser = QStringLiteral("MT");
        f.masterPassword = QStringLiteral("mpw");
        f.adminUser = QStringLiteral("qeldba");
        f.adminPassword = QStringLiteral("apw");
        f.masterDatabaseName = QStringLiteral("caldata");
        f.masterDataSource = QStringLiteral("VarrowMaster");
        return f;
    }

private slots:
    void shellAndWaitCostsOneIntervalForAProgramThatEndsAtOnce()
    {
        TestProgram t;
        // The fake clock does not wait: the events run after the sleep stand for the time a
        // real interval gives the program to end.
        t.ui.onYield = [] { QThread::msleep(1000); };
        int exitCode = -2;
        QCOMPARE(ShellAndWait(t.program(), QStringLiteral("true"), MinimizedFocus, 3000, &exitCode),
                 0);
        QCOMPARE(t.clock.sleptMs, qint64(3000));
        QCOMPARE(exitCode, 0);
        QVERIFY(t.ui.yields >= 2); // between the polls and once at the end
    }

    void shellAndWaitWaitsUntilTheProgramEnds()
    {
        TestProgram t;
        int exitCode = -2;
        QElapsedTimer timer;
        timer.start();
        ShellAndWait(t.program(), QStringLiteral("sh -c \"sleep 0.3; exit 3\""), NormalFocus, 10000,
                     &exitCode);
        QVERIFY(timer.elapsed() >= 300);
        QCOMPARE(exitCode, 3);
        QVERIFY(t.clock.sleptMs >= 10000);
        QCOMPARE(t.clock.sleptMs % 10000, qint64(0));
    }

    void aCommandThatCannotStartIsReported()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        QFile::remove(logFilePath(t.state(), QStringLiteral("errors.log")));
        std::optional<int> exit;
        try {
            ShellAndWait(t.program(),
                         QStringLiteral("/nonexistent/dbstop -o \"x\" -cuid=mt;pwd=secret"),
                         MinimizedFocus, 3000);
        } catch (const ProgramExit& e) {
            exit = e.code();
        }
        QCOMPARE(exit, std::optional<int>(1));
        QCOMPARE(t.ui.messages.size(), 1);
        QCOMPARE(t.clock.sleptMs, qint64(0));
        QFile log(logFilePath(t.state(), QStringLiteral("errors.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString record = QString::fromUtf8(log.readAll());
        QVERIFY(record.contains(QLatin1String("VRW1,ShellAndWait")));
        QVERIFY(record.contains(QLatin1String("hProg = Shell(command, windowState)")));
        QVERIFY(!record.contains(QLatin1String("secret")));
        QVERIFY(!t.ui.messages[0].text.contains(QLatin1String("secret")));
    }

    void engineFolderFromTheStartValue_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("withBackup");
        QTest::addColumn<bool>("expected"); // the folder, else empty
        QTest::newRow("dbeng and options")
            << QStringLiteral("%1dbeng17 -n FieldUnit07 -c 8m") << true << true;
        QTest::newRow("dbsrv") << QStringLiteral("%1dbsrv17 -n LabServer") << true << true;
        QTest::newRow("upper case") << QStringLiteral("%1DBENG17 -n FieldUnit07") << true << false;
        QTest::newRow("no engine") << QStringLiteral("%1engine -n FieldUnit07") << true << false;
        QTest::newRow("no dbbackup")
            << QStringLiteral("%1dbeng17 -n FieldUnit07") << false << false;
    }
    void engineFolderFromTheStartValue()
    {
        QFETCH(QString, start);
        QFETCH(bool, withBackup);
        QFETCH(bool, expected);
        QTemporaryDir tools;
        const QString folder = tools.path() + QLatin1Char('/');
        QFile(folder + QStringLiteral("dbstop")).open(QIODevice::WriteOnly);
        if (withBackup)
            QFile(folder + QStringLiteral("dbbackup")).open(QIODevice::WriteOnly);
        QCOMPARE(engineFolderOf(start.arg(folder)), expected ? folder : QString());
        QCOMPARE(engineFolderOf(std::nullopt), QString());
    }

    void stuffRepFormShowsTheLogByPass()
    {
        QByteArray text;
        for (int i = 1; i <= 12; ++i)
            text += "line " + QByteArray::number(i) + "\r\n";
        QString path = writeFile(QStringLiteral("twelve.Log"), text);
        TestProgram t;
        RepStatusSheet sheet;

        QCOMPARE(StuffRepForm(t.program(), sheet, path, 0), QStringLiteral("line 12"));
        for (int line = 1; line <= 8; ++line)
            QCOMPARE(sheet.resultLine(line), QStringLiteral("line %1").arg(line));

        QCOMPARE(StuffRepForm(t.program(), sheet, path, 1), QStringLiteral("line 12"));
        for (int line = 1; line <= 3; ++line) // kept from the first pass
            QCOMPARE(sheet.resultLine(line), QStringLiteral("line %1").arg(line));
        for (int line = 4; line <= 8; ++line)
            QCOMPARE(sheet.resultLine(line), QStringLiteral("line %1").arg(line - 3));
        QCOMPARE(sheet.text(QStringLiteral("Text6")), QString());
        QCOMPARE(RepStatusSheet::resultBox(4), QStringLiteral("Text7"));

        path = writeFile(QStringLiteral("empty.Log"), QByteArray());
        QCOMPARE(StuffRepForm(t.program(), sheet, path, 0), QString());
        QCOMPARE(sheet.resultLine(1), QStringLiteral("line 1"));
    }

    void stuffRepFormReportsAMissingLog()
    {
        TestProgram t;
        t.loadDeliveredPhrases();
        RepStatusSheet sheet;
        QVERIFY_THROWS_EXCEPTION(
            ProgramExit,
            StuffRepForm(t.program(), sheet, m_dir.filePath(QStringLiteral("none.Log")), 0));
        QCOMPARE(t.ui.messages.size(), 1);
    }

    void commandTexts_data()
    {
        QTest::addColumn<QString>("remoteUser");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("stopStarted");
        QTest::addColumn<QString>("stopMasked");
        QTest::addColumn<QString>("backupStarted");
        QTest::addColumn<QString>("backupMasked");
        const QString stop =
            QStringLiteral("/opt/engine/bin/dbstop -o \"/data/field/vrbkup.Log\" ");
        const QString backup =
            QStringLiteral("/opt/engine/bin/dbbackup -y -o \"/data/field/vrbkup.Log\" -c \"");
        const QString backupTail =
            QStringLiteral(";dbf=caldata;dsn=VarrowMaster\" \"/data/field\"");
        QTest::newRow("newer engine, administrator")
            << "anna"
            << "8" << stop + "-cuid=qeldba;pwd=apw;eng=FieldUnit07;UNC=YES"
            << stop + "-cuid=db_auto_checkpoint;pwd=**;eng=FieldUnit07;UNC=YES"
            << backup + "uid=qeldba;pwd=apw" + backupTail << backup + "uid=**;pwd=**" + backupTail;
        QTest::newRow("newer engine, mt")
            << "Mt"
            << "7" << stop + "-cuid=Mt;pwd=rpw;eng=FieldUnit07;UNC=YES"
            << stop + "-cuid=mt;pwd=**;eng=FieldUnit07;UNC=YES"
            << backup + "uid=MT;pwd=mpw" + backupTail << backup + "uid=mt;pwd=**" + backupTail;
        QTest::newRow("older engine, administrator")
            << "anna"
            << "6" << stop + "-suid=qeldba;pwd=apw;eng=FieldUnit07;agent=server;unconditional=true"
            << stop +
                   "-suid=db_auto_checkpoint;pwd=**;eng=FieldUnit07;agent=server;unconditional=true"
            << backup + "uid=qeldba;pwd=apw" + backupTail << backup + "uid=**;pwd=**" + backupTail;
        QTest::newRow("version 10 and later, mt")
            << "mt"
            << "1" << stop + "-suid=mt;pwd=rpw;eng=FieldUnit07;agent=server;unconditional=true"
            << stop + "-suid=mt;pwd=**;eng=FieldUnit07;agent=server;unconditional=true"
            << backup + "uid=MT;pwd=mpw" + backupTail << backup + "uid=mt;pwd=**" + backupTail;
    }
    void commandTexts()
    {
        QFETCH(QString, remoteUser);
        QFETCH(QString, version);
        const UtilityCommandFacts f = facts(remoteUser, version);
        const UtilityCommand stop = stopCommand(f);
        const UtilityCommand backup = backupCommand(f);
        QTEST(stop.started, "stopStarted");
        QTEST(stop.masked, "stopMasked");
        QTEST(backup.started, "backupStarted");
        QTEST(backup.masked, "backupMasked");
        for (const QString& masked : {stop.masked, backup.masked})
            for (const char* secret : {"rpw", "mpw", "apw", "qeldba"})
                QVERIFY(!masked.contains(QLatin1String(secret)));
        // Both start as a program and its words, the log path one word.
        QCOMPARE(QProcess::splitCommand(stop.started).at(2),
                 QStringLiteral("/data/field/vrbkup.Log"));
    }
};

VARROW_TEST_GUILESS_MAIN(TestRemoteParts)
#include "tst_remoteparts.moc"
