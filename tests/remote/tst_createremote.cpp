#include "app/Operations.h"
#include "base/LogFiles.h"
#include "base/ProgramExit.h"
#include "remote/EngineFolder.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

// The creation of a Remote Database from a backup of the master, on a demo workspace with
// field work: the questions, the export of pending changes, the copy and its preparation,
// the history row, the passes when the copy cannot be reached, and no password anywhere.
class TestCreateRemote : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture{TestWorkspace::small()};

    QString remoteFolder() const
    {
        return QFileInfo(m_fixture.workspace.report().remoteFile).absolutePath();
    }

    static QString readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QString remote(const QString& query) const
    {
        return m_fixture.workspace.openRemote()->scalar(query).toString();
    }
    QString master(const QString& query) const
    {
        return m_fixture.workspace.master()->scalar(query).toString();
    }

    int replications() const
    {
        return master(
                   QStringLiteral(
                       "select count(*) from qel_vr_transfer_log where transfer_type='Replicate'"))
            .toInt();
    }

    // Runs the creation; the exit code it ended the process with, if it did.
    static std::optional<int> create(TestProgram& t, bool firstTime)
    {
        try {
            CreateRemoteDatabase(t.program(), firstTime);
        } catch (const ProgramExit& exit) {
            return exit.code();
        }
        return std::nullopt;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_fixture.workspace.isValid(), qPrintable(m_fixture.workspace.error()));
    }

    // The remote data source's Start key leads to the folder of the built utilities.
    void theUtilitiesAreFoundThroughTheStartKey()
    {
        auto t = m_fixture.program();
        t->state().remoteDataSource = QStringLiteral("VarrowRemote");
        QCOMPARE(GetEngineFolder(t->program()), testsupport::binaryDir() + QLatin1Char('/'));
        QVERIFY(!t->ui.isBusy());
        t->state().remoteDataSource = QStringLiteral("NoSuchDataSource");
        QCOMPARE(GetEngineFolder(t->program()), QString());
    }

    void usersStillConnectedCanStopIt()
    {
        m_fixture.workspace.openRemote()->exec(
            QStringLiteral("insert into inuse(mtuser,machine) values('anna','BENCH-2')"));
        auto t = m_fixture.ownerSession();
        QVERIFY2(t, qPrintable(m_fixture.error()));
        t->ui.script = {Answer::No};
        QCOMPARE(create(*t, false), std::nullopt);
        QCOMPARE(t->ui.messages.size(), 1);
        QCOMPARE(t->ui.messages[0].title, t->program().phrase(529));
        QCOMPARE(t->ui.messages[0].text,
                 t->program().phrase(527) + QStringLiteral("\r\n") + t->program().phrase(528));
        QVERIFY(!t->ui.shown.contains(Window::RepStatus));
        QVERIFY(QFileInfo::exists(m_fixture.workspace.report().remoteFile));
        QCOMPARE(remote(QStringLiteral("select count(*) from inuse")), QStringLiteral("1"));
    }

    // Pending changes that cannot be read cannot be kept: nothing is replaced.
    void aChangeLogThatCannotBeReadStopsEverything()
    {
        const QString logRows = remote(QStringLiteral("select count(*) from qel_vr_log"));
        auto t = m_fixture.ownerSession();
        QVERIFY2(t, qPrintable(m_fixture.error()));
        m_fixture.faults().failWhen(FaultInjector::textContains("where sync_date is null"),
                                    DbError(-141, QStringLiteral("Table not readable"), "42000"));
        t->ui.script = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Ok};
        const std::optional<int> exit = create(*t, false);
        m_fixture.faults().clear();
        QCOMPARE(exit, std::optional<int>(1));
        QVERIFY(t->ui.texts().last().contains(QLatin1String("Table not readable")));
        QVERIFY(t->state().remoteConnected);
        QCOMPARE(remote(QStringLiteral("select count(*) from qel_vr_log")), logRows);
        QVERIFY(!QFileInfo::exists(remoteFolder() + QStringLiteral("/vrbkup.Log")));
    }

    void outstandingChangesAreKeptAndTheCopyIsPrepared()
    {
        const int pending =
            remote(QStringLiteral("select count(*) from qel_vr_log where sync_date is null"))
                .toInt();
        QVERIFY(pending > 0);
        const QString inventory = master(QStringLiteral("select count(*) from inventory"));
        QVERIFY(inventory != remote(QStringLiteral("select count(*) from inventory")));

        const int replicated = replications();
        auto t = m_fixture.ownerSession();
        QVERIFY2(t, qPrintable(m_fixture.error()));
        t->state().operatingSystemUser = QStringLiteral("o'neil");
        QStringList shown;
        connect(&t->program().repStatus, &RepStatusSheet::textChanged, this,
                [&shown](const QString&, const QString& text) { shown.append(text); });
        // Active connections: go on; outstanding changes: go on; replace: yes; the end: OK.
        t->ui.script = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Ok};
        QCOMPARE(create(*t, false), std::optional<int>(0));

        const QStringList texts = t->ui.texts();
        QCOMPARE(texts.size(), 4);
        QCOMPARE(texts[1], t->program().phrase(562));
        QVERIFY(texts[2].contains(remoteFolder().toUpper()));
        QCOMPARE(texts[3], t->program().phrase(524));
        QVERIFY(t->ui.shown.contains(Window::RepStatus));

        // The pending rows went to a file first, and the status window named it.
        const QStringList kept =
            QDir(remoteFolder()).entryList({QStringLiteral("vrpending-*.txt")});
        QCOMPARE(kept.size(), 1);
        const QString keptPath = QDir(remoteFolder()).filePath(kept.first());
        const QStringList lines =
            readFile(keptPath).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), pending + 1);
        QVERIFY(lines.first().contains(QLatin1String("affected_table")));
        QVERIFY(std::any_of(shown.begin(), shown.end(),
                            [&keptPath](const QString& s) { return s.contains(keptPath); }));

        // The remote is the master's copy, emptied and marked.
        QCOMPARE(remote(QStringLiteral("select count(*) from inventory")), inventory);
        QCOMPARE(remote(QStringLiteral("select count(*) from qel_vr_log")), QStringLiteral("0"));
        QCOMPARE(remote(QStringLiteral("select count(*) from qel_vr_transfer_log")),
                 QStringLiteral("0"));
        QCOMPARE(remote(QStringLiteral("select count(*) from inuse")), QStringLiteral("0"));
        QCOMPARE(remote(QStringLiteral("select dbremote from dbconfig")), QStringLiteral("1"));
        QCOMPARE(master(QStringLiteral("select dbremote from dbconfig")), QStringLiteral("0"));
        QCOMPARE(remote(QStringLiteral("pragma integrity_check")), QStringLiteral("ok"));

        // One history row, its quote doubled on the way in.
        QCOMPARE(replications(), replicated + 1);
        QCOMPARE(master(QStringLiteral("select user_account||'|'||num_records||'|'||host_name from "
                                       "qel_vr_transfer_log where ") +
                        testsupport::newestHistoryRow()),
                 QStringLiteral("o'neil|1|FIELD-LAPTOP-07"));
        const QString comments =
            master(QStringLiteral("select comments from qel_vr_transfer_log where ") +
                   testsupport::newestHistoryRow());
        QVERIFY2(comments.endsWith(QLatin1String("  Database backup completed")),
                 qPrintable(comments));
        QCOMPARE(t->program().repStatus.passNumber(), QStringLiteral("1"));
        QVERIFY(t->program().repStatus.presentStatus().startsWith(
            QLatin1String("Replication Completed [")));
        QCOMPARE(t->state().remoteUser, t->state().masterUser);
        QVERIFY(!t->state().remoteConnected && !t->state().masterConnected);

        // No password in the log, the status window, the messages or the history.
        const QString password = QStringLiteral("pwd=") + SessionFixture::ownerPassword();
        const QString backupLog = readFile(remoteFolder() + QStringLiteral("/vrbkup.Log"));
        QVERIFY(backupLog.contains(QLatin1String("uid=mt;pwd=**")));
        for (const QString& text :
             shown + texts + QStringList{backupLog, comments, readFile(keptPath)})
            QVERIFY2(!text.contains(password), qPrintable(text));
    }

    // The copy cannot be reached after the backup: five passes two seconds apart, then the
    // report, which names the masked command and ends the program.
    void fiveFailedReconnectionsEndInTheReport()
    {
        const int replicated = replications();
        auto t = m_fixture.ownerSession();
        QVERIFY2(t, qPrintable(m_fixture.error()));
        QFile::remove(logFilePath(t->state(), QStringLiteral("errors.log")));
        int passes = 0;
        connect(&t->program().repStatus, &RepStatusSheet::textChanged, this,
                [this, &passes](const QString& box, const QString&) {
                    if (box == QLatin1String("Text12") && ++passes == 1)
                        m_fixture.faults()
                            .failOpen(FaultInjector::lostConnection())
                            .onlyOn(QStringLiteral("VarrowRemote"));
                });
        t->ui.script = {Answer::Yes, Answer::Ok};
        const qint64 sleptBefore = t->clock.sleptMs;
        QCOMPARE(create(*t, false), std::optional<int>(1));
        m_fixture.faults().clear();

        QCOMPARE(passes, 5);
        QCOMPARE(t->program().repStatus.passNumber(), QStringLiteral("5"));
        QVERIFY(t->clock.sleptMs - sleptBefore >= 5 * (10000 + 2000));
        QCOMPARE(t->ui.messages.size(), 2);
        const QString record = readFile(logFilePath(t->state(), QStringLiteral("errors.log")));
        QVERIFY(record.contains(QLatin1String("VRW1,CreateRemoteDatabase")));
        QVERIFY(record.contains(QLatin1String("dbbackup -y -o")));
        QVERIFY(record.contains(QLatin1String("uid=mt;pwd=**")));
        QVERIFY(!record.contains(QStringLiteral("pwd=") + SessionFixture::ownerPassword()));
        QCOMPARE(replications(), replicated);
    }

    // A backup that fails leaves the old file in place: reaching it again proves nothing, so
    // every pass counts as failed and the change log survives.
    void aFailedBackupIsNeverTakenForACopy()
    {
        const int replicated = replications();
        auto t = m_fixture.ownerSession();
        QVERIFY2(t, qPrintable(m_fixture.error()));
        const QString logRows = remote(QStringLiteral("select count(*) from qel_vr_log"));
        const QString marked = remote(QStringLiteral("select dbremote from dbconfig"));
        t->state().masterPassword = QStringLiteral("notthepassword");
        t->ui.script = {Answer::Yes, Answer::Yes, Answer::Ok};
        QCOMPARE(create(*t, false), std::optional<int>(1));
        QCOMPARE(t->program().repStatus.passNumber(), QStringLiteral("5"));
        QVERIFY(t->program().repStatus.presentStatus().startsWith(
            QLatin1String("Database backup failed: Invalid user ID or password")));
        QCOMPARE(remote(QStringLiteral("select count(*) from qel_vr_log")), logRows);
        QCOMPARE(remote(QStringLiteral("select dbremote from dbconfig")), marked);
        QCOMPARE(replications(), replicated);
        const QString backupLog = readFile(remoteFolder() + QStringLiteral("/vrbkup.Log"));
        QVERIFY(!backupLog.contains(QLatin1String("notthepassword")));
    }

    // A stop utility that fails (here: it finds no engine of that name) may leave the engine
    // running: nothing is replaced, the user is told, and the program ends.
    void aFailedStopReplacesNothing()
    {
        m_fixture.workspace.openRemote()->exec(QStringLiteral(
            "insert into qel_vr_log(xtag,affected_table,affected_column,action,event_date) "
            "values('K1','INVENTORY','i4202','UPD',varrow_now())"));
        auto t = m_fixture.ownerSession();
        QVERIFY2(t, qPrintable(m_fixture.error()));
        t->state().remoteEngineName = QStringLiteral("NoSuchEngine");
        t->ui.script = {Answer::Yes, Answer::Yes, Answer::Ok};
        QCOMPARE(create(*t, false), std::optional<int>(1));
        QCOMPARE(t->ui.messages.last().text, t->program().phrase(145));
        QCOMPARE(t->ui.messages.last().title, t->program().phrase(552));
        QCOMPARE(t->program().repStatus.progressInformation(),
                 QStringLiteral("Stopping Remote Database Failed"));
        QCOMPARE(remote(QStringLiteral("select count(*) from qel_vr_log")), QStringLiteral("1"));
        const QString backupLog = readFile(remoteFolder() + QStringLiteral("/vrbkup.Log"));
        QVERIFY2(backupLog.contains(QLatin1String("NoSuchEngine not found")),
                 qPrintable(backupLog));
        QVERIFY(t->program().repStatus.resultLine(4).contains(QLatin1String("NoSuchEngine")));
    }

    // A remote user other than the schema owner: the utilities run with the administrator's
    // login, whose password shows nowhere either.
    void theAdministratorsPasswordStaysOnTheCommandLine()
    {
        qputenv("VARROW_ADMIN_USER", "qeldba");
        qputenv("VARROW_ADMIN_PASSWORD", "dbadmin");
        const int replicated = replications();
        auto t = m_fixture.ownerSession();
        QVERIFY2(t, qPrintable(m_fixture.error()));
        t->state().remoteUser = QStringLiteral("anna");
        t->state().remotePassword = QStringLiteral("anna4");
        QStringList shown;
        connect(&t->program().repStatus, &RepStatusSheet::textChanged, this,
                [&shown](const QString&, const QString& text) { shown.append(text); });
        t->ui.script = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Ok};
        QCOMPARE(create(*t, false), std::optional<int>(0));
        qunsetenv("VARROW_ADMIN_USER");
        qunsetenv("VARROW_ADMIN_PASSWORD");

        QCOMPARE(replications(), replicated + 1);
        QCOMPARE(remote(QStringLiteral("select dbremote from dbconfig")), QStringLiteral("1"));
        const QString backupLog = readFile(remoteFolder() + QStringLiteral("/vrbkup.Log"));
        QVERIFY2(backupLog.contains(QLatin1String("uid=**;pwd=**")), qPrintable(backupLog));
        QVERIFY(std::any_of(shown.begin(), shown.end(), [](const QString& text) {
            return text.contains(QLatin1String("uid=db_auto_checkpoint;pwd=**"));
        }));
        const QString comments =
            master(QStringLiteral("select comments from qel_vr_transfer_log where ") +
                   testsupport::newestHistoryRow());
        for (const QString& text :
             shown + t->ui.texts() +
                 QStringList{backupLog, comments,
                             readFile(logFilePath(t->state(), QStringLiteral("errors.log")))})
            QVERIFY2(!text.contains(QLatin1String("dbadmin")) &&
                         !text.contains(QLatin1String("qeldba")),
                     qPrintable(text));
    }
};

VARROW_TEST_GUILESS_MAIN(TestCreateRemote)
#include "tst_createremote.moc"
