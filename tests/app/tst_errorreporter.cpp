#include "base/ErrorReporter.h"
#include "base/LogFiles.h"
#include "base/ProgramExit.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestProgram.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestErrorReporter : public QObject
{
    Q_OBJECT

    static QByteArray readAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static int report(TestProgram& t, const QString& description)
    {
        try {
            ReportError(t.program(), -2147467259, description, QStringLiteral("VRW1,TableExists"),
                        QStringLiteral("select 1"));
        } catch (const ProgramExit& exit) {
            return exit.code();
        }
        return -1;
    }

private Q_SLOTS:
    void recordIsWrittenToTheLetter()
    {
        SessionState s;
        s.masterUser = QStringLiteral("mt");
        s.remoteUser = QStringLiteral("field");
        s.masterDataSource = QStringLiteral("VarrowMaster");
        s.remoteDataSource = QStringLiteral("VarrowRemote");
        s.masterDatabaseName = QStringLiteral("master");
        s.remoteDatabaseName = QStringLiteral("remote");
        s.masterEngineName = QStringLiteral("eng1");
        s.remoteEngineName = QStringLiteral("eng2");
        s.masterEngineVersion = QStringLiteral("9.0.2");
        s.remoteEngineVersion = QStringLiteral("9.0.1");
        s.remotePlatform = QStringLiteral("Linux");
        const QString record = errorLogRecord(QDateTime(QDate(2011, 6, 14), QTime(9, 5, 7)), 3021,
                                              QStringLiteral("Either BOF or EOF is True"),
                                              QStringLiteral("ModuleVRW1,FirstTime"),
                                              QStringLiteral("select version from mt.dbconfig"), s);
        QCOMPARE(record, QStringLiteral("[2011-06-14 09:05:07]  **** VARROW ****\r\n"
                                        "[2011-06-14 09:05:07] 3021 Either BOF or EOF is True\r\n"
                                        "[2011-06-14 09:05:07] ModuleVRW1,FirstTime\r\n"
                                        "[2011-06-14 09:05:07] select version from mt.dbconfig\r\n"
                                        "Master User Name = mt\r\n"
                                        "Remote User Name = field\r\n"
                                        "Master DSN = VarrowMaster\r\n"
                                        "Remote DSN = VarrowRemote\r\n"
                                        "Master DBF = master\r\n"
                                        "Remote DBF = remote\r\n"
                                        "Master DBN = eng1\r\n"
                                        "Remote DBN = eng2\r\n"
                                        "Master Sybase Engine Version = 9.0.2\r\n"
                                        "Remote Sybase Engine Version = 9.0.1\r\n"
                                        "Remote Sybase Operating System = Linux\r\n"
                                        "\r\n"));
        QCOMPARE(errorNumberText(-2147467259), QStringLiteral("-2147467259"));
    }

    void fatalFailureLogsShowsAndEnds()
    {
        QTemporaryDir folder;
        TestProgram t;
        t.loadDeliveredPhrases();
        t.state().remoteDatabaseFolder = folder.path();
        t.state().errorOccurred = true;
        t.ui.setBusy(true);
        QCOMPARE(report(t, QStringLiteral("Table 'x' not found")), 1);
        QCOMPARE(report(t, QStringLiteral("Column 'y' not found")), 1);

        QVERIFY(!t.ui.isBusy());
        QVERIFY(!t.state().errorOccurred);
        QCOMPARE(t.ui.messages.size(), 2);
        const Message& m = t.ui.messages[0];
        QCOMPARE(m.title, QStringLiteral("Varrow"));
        QCOMPARE(m.icon, MessageIcon::Critical);
        QCOMPARE(m.buttons, MessageButtons::Ok);
        QCOMPARE(m.text, t.program().phrase(117) + " -2147467259 Table 'x' not found\r\n\r\n" +
                             t.program().phrase(118) +
                             "\r\n\r\nFUNCTION/SUB:VRW1,TableExists\r\nSQL:select 1");
        // Two failures, two complete records, each with its header and trailing empty line.
        const QByteArray log = readAll(QDir(folder.path()).filePath(QStringLiteral("errors.log")));
        QCOMPARE(log.count(" **** VARROW ****\r\n"), 2);
        QCOMPARE(log.count("Remote Sybase Operating System = \r\n\r\n"), 2);
    }

    void lostConnectionIsSurvivable_data()
    {
        QTest::addColumn<QString>("description");
        QTest::newRow("not connected") << "[08003] Connection not open: not connected";
        QTest::newRow("unable to connect") << "Unable to connect to database server";
    }
    void lostConnectionIsSurvivable()
    {
        QFETCH(QString, description);
        TestProgram t;
        t.loadDeliveredPhrases();
        t.state().autosyncRunning = true;
        QCOMPARE(report(t, description), -1);
        QVERIFY(t.state().errorOccurred);
        QVERIFY(!t.state().autosyncRunning);
        QCOMPARE(t.ui.texts(), QStringList{description});
        QCOMPARE(t.ui.shown, QList<Window>{Window::Connect});
        const QByteArray log = readAll(logFilePath(t.state(), QStringLiteral("errors.log")));
        QVERIFY(log.contains(description.toUtf8()));
    }

    void beforeTheFirstConnectTheLogGoesToTheDataFolder()
    {
        SessionState s;
        QCOMPARE(logFilePath(s, QStringLiteral("errors.log")),
                 QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                     .filePath(QStringLiteral("errors.log")));
    }

    void anUnwritableLogStillShowsAndEnds()
    {
        QTemporaryDir folder;
        QFile blocker(QDir(folder.path()).filePath(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        TestProgram t;
        // A folder that is a file cannot hold the log.
        t.state().remoteDatabaseFolder = blocker.fileName();
        QCOMPARE(report(t, QStringLiteral("boom")), 1);
        QCOMPARE(t.ui.messages.size(), 1);
    }
};

VARROW_TEST_GUILESS_MAIN(TestErrorReporter)
#include "tst_errorreporter.moc"
