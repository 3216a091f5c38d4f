#include "app/StartupFunctions.h"
#include "base/LogFiles.h"
#include "base/ProgramExit.h"
#include "base/Settings.h"
#include "session/Sessions.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using Field = ConnectDialogModel::Field;

class TestConnectDialog : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture;

    // Adds a data source of another driver; only the engine's own are offered.
    void addForeignDataSource()
    {
        const DemoWorkspace::Report& r = m_fixture.workspace.report();
        QFile drivers(r.odbcinstIni);
        QVERIFY(drivers.open(QIODevice::Append));
        drivers.write("\n[Plain SQLite]\nDriver=" + r.driver.toUtf8() + "\n");
        QFile sources(r.odbcIni);
        QVERIFY(sources.open(QIODevice::Append));
        sources.write("\n[PlainSource]\nDriver=Plain SQLite\nDatabase=" + r.masterFile.toUtf8() +
                      "\n");
    }

    static int connect(TestProgram& t)
    {
        try {
            t.program().connectCommands.ConnectToDatabases();
        } catch (const ProgramExit& exit) {
            return exit.code();
        }
        return -1;
    }

    // The message of a failed connect: the phrase, then the reason.
    static QString failure(TestProgram& t, int phrase, const QString& reason)
    {
        return t.program().phrase(phrase) + QStringLiteral("\r\n\r\n") + reason;
    }

    static QByteArray errorsLog(TestProgram& t)
    {
        QFile log(logFilePath(t.state(), QStringLiteral("errors.log")));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_fixture.workspace.isValid(), qPrintable(m_fixture.workspace.error()));
        addForeignDataSource();
    }

    void loadingListsTheEnginesDataSourcesAndTheSavedChoices()
    {
        auto t = m_fixture.program();
        SaveRegSetting(t->program(), QStringLiteral("Configuration"),
                       QStringLiteral("MasterDatasource"), QStringLiteral("varrowmaster"));
        SaveRegSetting(t->program(), QStringLiteral("Configuration"),
                       QStringLiteral("RemoteDatasource"), QStringLiteral("GoneSource"));
        SaveRegSetting(t->program(), QStringLiteral("Configuration"),
                       QStringLiteral("MasterUsername"), QStringLiteral("anna"));
        t->state().autosyncRunning = true;
        ConnectDialogModel& form = t->program().connectDialog;
        form.load();
        QCOMPARE(form.dataSources, QStringList({"VarrowMaster", "VarrowRemote"}));
        QCOMPARE(form.masterDataSourceText(), QStringLiteral("VarrowMaster"));
        QCOMPARE(form.remoteIndex, -1); // no longer configured: no selection
        QCOMPARE(form.masterUser, QStringLiteral("anna"));
        QVERIFY(form.masterPassword.isEmpty());
        QCOMPARE(form.tabOrder.first(), Field::TextMasterPassword);
        QCOMPARE(form.tabOrder.last(), Field::CommandExit);
        QCOMPARE(form.leftTwips, 975.0);
        QCOMPARE(form.topTwips, 1980.0);
        QVERIFY(!t->state().autosyncRunning);
        QVERIFY(!t->program().menus.isEnabled(MenuId::mnuTransfer));

        form.leftTwips = 1500;
        form.close();
        QCOMPARE(GetRegSetting(t->program(), QStringLiteral("FormConnect"), QStringLiteral("Left")),
                 QStringLiteral("1500"));
        QVERIFY(t->program().menus.isEnabled(MenuId::mnuReLogin));
    }

    void aNormalConnectGathersTheFactsAndSetsTheMenus()
    {
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, QStringLiteral(" mt "), QStringLiteral("sql"),
                               QStringLiteral("anna"), QStringLiteral("anna4"));
        QCOMPARE(connect(*t), -1);
        const SessionState& s = t->state();
        QVERIFY(t->ui.messages.isEmpty());
        QVERIFY(s.masterConnected && s.remoteConnected);
        QCOMPARE(s.masterUser, QStringLiteral("mt"));
        QCOMPARE(s.masterUserSegregate, QStringLiteral("MT"));
        QCOMPARE(s.masterUserLevel, qint16(5));
        QCOMPARE(s.remoteUserSegregate, QStringLiteral("MT"));
        QCOMPARE(s.remoteUserLevel, qint16(4));
        QCOMPARE(s.remoteDatabaseFile, m_fixture.workspace.report().remoteFile);
        QCOMPARE(s.remoteDatabaseFolder,
                 QFileInfo(m_fixture.workspace.report().remoteFile).absolutePath());
        QCOMPARE(s.remoteSchemaVersion, QStringLiteral("8"));
        QVERIFY(!s.remoteMachineName.isEmpty());
        QVERIFY(!s.masterEngineName.isEmpty());
        QVERIFY(!s.operatingSystemUser.isEmpty());
        QVERIFY(s.newRecordsPending && s.modifiedRecordsPending);
        QVERIFY(!t->program().connectDialog.isLoaded());
        QVERIFY(t->program().menus.isEnabled(MenuId::mnuNewRecords));
        QVERIFY(t->program().menus.isEnabled(MenuId::mnuReLogin));
        // The typed names are saved as typed.
        QCOMPARE(GetRegSetting(t->program(), QStringLiteral("Configuration"),
                               QStringLiteral("MasterUsername")),
                 QStringLiteral(" mt "));
        QCOMPARE(GetRegSetting(t->program(), QStringLiteral("Configuration"),
                               QStringLiteral("RemoteDatasource")),
                 QStringLiteral("VarrowRemote"));

        const QStringList texts = m_fixture.log().texts();
        QVERIFY(texts.contains(
            QStringLiteral("select i4240,mtlevel from mt.userlist where mtuser = 'anna'")));
        QVERIFY(texts.contains(QStringLiteral(
            "select count(*) from mt.qel_vr_log where sync_date is null and action='INS'")));
        QVERIFY(texts.contains(QStringLiteral("delete from mt.qel_vr_log;commit")));
    }

    // Incomplete input stops the connect before anything is tried: an empty field (a blank
    // counts as content), or no data source for one side.
    void anIncompleteLoginStopsTheConnect_data()
    {
        QTest::addColumn<bool>("autosync");
        QTest::addColumn<QString>("remotePassword");
        QTest::addColumn<QString>("masterSource");
        QTest::addColumn<int>("phrase");
        QTest::addColumn<Field>("focus");
        QTest::newRow("connect") << false << ""
                                 << "VarrowMaster" << 135 << Field::TextRemotePassword;
        QTest::newRow("autosync") << true << ""
                                  << "VarrowMaster" << 139 << Field::TextRemotePassword;
        QTest::newRow("no master data source") << false << "sql"
                                               << "" << 138 << Field::ComboMasterDatasource;
    }
    void anIncompleteLoginStopsTheConnect()
    {
        QFETCH(bool, autosync);
        QFETCH(QString, remotePassword);
        QFETCH(QString, masterSource);
        QFETCH(int, phrase);
        QFETCH(Field, focus);
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"), QStringLiteral(" "),
                               remotePassword);
        ConnectDialogModel& form = t->program().connectDialog;
        form.masterIndex = form.dataSources.indexOf(masterSource);
        t->state().autosyncRunning = autosync;
        QCOMPARE(connect(*t), -1);
        QCOMPARE(t->ui.messages.size(), 1);
        QCOMPARE(t->ui.messages[0].text, t->program().phrase(phrase));
        QCOMPARE(t->ui.messages[0].title, QStringLiteral("Login Incomplete"));
        QCOMPARE(t->ui.messages[0].icon, MessageIcon::Exclamation);
        QCOMPARE(form.focus, std::optional<Field>(focus));
        QVERIFY(!t->state().autosyncRunning);
        QVERIFY(!t->state().remoteConnected);
        QCOMPARE(t->clock.sleptMs, 0);
    }

    // A refused login fails at once; the message and errors.log give the engine's reason.
    void aWrongRemotePasswordFailsAtOnce()
    {
        QFile::remove(logFilePath(m_fixture.program()->state(), QStringLiteral("errors.log")));
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("mt"), QStringLiteral("Wr0ng-Secret"));
        QCOMPARE(connect(*t), -1);
        QCOMPARE(t->clock.sleptMs, 0);
        QCOMPARE(t->ui.messages.size(), 1);
        QCOMPARE(t->ui.messages[0].text,
                 failure(*t, 493, QStringLiteral("Invalid user ID or password")));
        QCOMPARE(t->ui.messages[0].title, QStringLiteral("Login Warning"));
        QCOMPARE(t->ui.messages[0].icon, MessageIcon::Critical);
        const ConnectDialogModel& form = t->program().connectDialog;
        QVERIFY(form.remotePassword.isEmpty());
        QCOMPARE(form.masterPassword, QStringLiteral("sql"));
        QCOMPARE(form.focus, std::optional<Field>(Field::TextRemotePassword));
        QVERIFY(!t->state().remoteConnected && !t->state().masterConnected);
        const QByteArray logged = errorsLog(*t);
        QVERIFY2(logged.contains("-103 Invalid user ID or password\r\n"), logged.constData());
        QVERIFY(logged.contains("] VRW1,ConnectToRemote\r\n"));
        QVERIFY(!logged.contains("Wr0ng-Secret"));
    }

    void aWrongMasterPasswordLeavesTheRemoteConnected()
    {
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, QString(), QString(), QStringLiteral("mt"),
                               QStringLiteral("sql"));
        t->program().connectDialog.masterUser = QStringLiteral("mt");
        t->program().connectDialog.masterPassword = QStringLiteral("nope");
        QCOMPARE(connect(*t), -1);
        QCOMPARE(t->ui.texts(),
                 QStringList{failure(*t, 136, QStringLiteral("Invalid user ID or password"))});
        QVERIFY(t->state().remoteConnected);
        QVERIFY(!t->state().masterConnected);
        QVERIFY(t->program().connectDialog.masterPassword.isEmpty());
        QCOMPARE(t->program().connectDialog.focus, std::optional<Field>(Field::TextMasterPassword));
    }

    // A failure that may pass is tried for ten seconds; the message says so, and why.
    void anUnreachableDatabaseFailsAfterTenChecks()
    {
        m_fixture.faults()
            .failOpen(
                DbError(-100, QStringLiteral("Database server not found"), QStringLiteral("08001")))
            .onlyOn(QStringLiteral("VarrowMaster"));
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        QCOMPARE(connect(*t), -1);
        m_fixture.faults().clear();
        QCOMPARE(t->clock.sleptMs, 10000); // the master's ten checks; the remote opened at once
        QCOMPARE(t->ui.texts(),
                 QStringList{failure(*t, 136,
                                     t->program().phrase(137) + QStringLiteral("\r\n\r\n") +
                                         QStringLiteral("Database server not found"))});
    }

    // An unknown data source is refused before any connection is tried: nothing is opened,
    // nothing waited for, no file made, and the message names it.
    void aDataSourceThatCannotBeUsedStopsTheConnect_data()
    {
        QTest::addColumn<QString>("master");
        QTest::addColumn<QString>("remote");
        QTest::addColumn<int>("phrase");
        QTest::addColumn<QString>("reason");
        QTest::newRow("remote data source unknown")
            << "VarrowMaster"
            << "Varrow Remote" << 493
            << "The data source \"Varrow Remote\" given for the Remote Database is not defined in "
               "the ODBC configuration.";
    }
    void aDataSourceThatCannotBeUsedStopsTheConnect()
    {
        QFETCH(QString, master);
        QFETCH(QString, remote);
        QFETCH(int, phrase);
        QFETCH(QString, reason);
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, QStringLiteral("mt"), QStringLiteral("Sesame-42"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        ConnectDialogModel& form = t->program().connectDialog;
        form.masterIndex = form.dataSources.indexOf(master);
        t->state().remoteDataSource = remote; // as the command line gives it
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const int status = connect(*t);
        QDir::setCurrent(previous);
        QCOMPARE(status, -1);
        QVERIFY(QDir(folder.path()).isEmpty());
        QCOMPARE(t->clock.sleptMs, 0);
        QCOMPARE(t->ui.texts(), QStringList{failure(*t, phrase, reason)});
        QVERIFY(!t->state().masterConnected && !t->state().remoteConnected);
        QVERIFY(!t->program().sessions.masterConnection);
        QVERIFY(!t->program().sessions.remoteConnection);
        QVERIFY(errorsLog(*t).contains(reason.toUtf8()));
    }

    void rightsAreChecked_data()
    {
        QTest::addColumn<QString>("masterUser");
        QTest::addColumn<QString>("masterPassword");
        QTest::addColumn<QString>("remoteUser");
        QTest::addColumn<QString>("remotePassword");
        QTest::addColumn<int>("phrase");
        QTest::addColumn<QList<Field>>("emptied");
        const QList<Field> all = {Field::TextMasterUsername, Field::TextMasterPassword,
                                  Field::TextRemoteUsername, Field::TextRemotePassword};
        QTest::newRow("level 3") << "ben"
                                 << "ben3"
                                 << "mt"
                                 << "sql" << 566 << all;
        QTest::newRow("master outside MT") << "carla"
                                           << "carla5"
                                           << "mt"
                                           << "sql" << 561 << all;
        QTest::newRow("remote outside MT")
            << "mt"
            << "sql"
            << "carla"
            << "carla5" << 561
            << QList<Field>{Field::TextRemoteUsername, Field::TextRemotePassword};
        QTest::newRow("level 4 passes") << "anna"
                                        << "anna4"
                                        << "mt"
                                        << "sql" << 0 << QList<Field>{};
    }
    void rightsAreChecked()
    {
        QFETCH(QString, masterUser);
        QFETCH(QString, masterPassword);
        QFETCH(QString, remoteUser);
        QFETCH(QString, remotePassword);
        QFETCH(int, phrase);
        QFETCH(QList<Field>, emptied);
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, masterUser, masterPassword, remoteUser, remotePassword);
        t->state().autosyncRunning = true;
        QCOMPARE(connect(*t), -1);
        ConnectDialogModel& form = t->program().connectDialog;
        if (phrase == 0) {
            QVERIFY(t->ui.messages.isEmpty());
            QVERIFY(t->state().masterConnected);
            QVERIFY(t->state().autosyncRunning);
            return;
        }
        QCOMPARE(t->ui.texts(), QStringList{t->program().phrase(phrase)});
        QCOMPARE(t->ui.messages[0].icon, MessageIcon::Exclamation);
        QVERIFY(!t->state().masterConnected && !t->state().remoteConnected);
        QVERIFY(!t->state().autosyncRunning);
        QVERIFY(form.isLoaded());
        QVERIFY(t->ui.isWindowOpen(Window::Connect));
        for (Field f : emptied)
            QVERIFY(form.text(f).isEmpty());
        // The dialog was loaded afresh: the other user name comes back from the settings,
        // and, as always after a load, no password is filled in.
        if (!emptied.contains(Field::TextMasterUsername))
            QCOMPARE(form.masterUser, masterUser);
        QVERIFY(form.masterPassword.isEmpty());
        QCOMPARE(form.tabOrder.mid(0, emptied.size()), emptied);
        QCOMPARE(form.focus, std::optional<Field>(emptied.first()));
    }

    // Unattended runs meet the dialog's rights checks before anything is counted or changed.
    void commandLineRunsCheckTheRightsToo_data()
    {
        QTest::addColumn<bool>("autosync");
        QTest::newRow("transfer") << false;
        QTest::newRow("autosync") << true;
    }
    void commandLineRunsCheckTheRightsToo()
    {
        QFETCH(bool, autosync);
        auto t = m_fixture.program();
        (autosync ? t->state().switchAutoSync : t->state().switchTransfer) = true;
        SessionFixture::typeIn(*t, QStringLiteral("ben"), QStringLiteral("ben3"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        t->state().autosyncRunning = autosync;
        m_fixture.log().clear();
        QCOMPARE(connect(*t), -1);
        QCOMPARE(t->ui.texts(), QStringList{t->program().phrase(566)});
        QVERIFY(!t->state().masterConnected && !t->state().remoteConnected);
        QVERIFY(!t->state().autosyncRunning);
        QVERIFY(!t->state().newRecordsPending && !t->state().modifiedRecordsPending);
        QVERIFY(m_fixture.log().textsContaining(QStringLiteral("delete ")).isEmpty());
        QVERIFY(m_fixture.log().textsContaining(QStringLiteral("from mt.qel_vr_log")).isEmpty());

        auto owner = m_fixture.program();
        owner->state().switchTransfer = true;
        SessionFixture::typeIn(*owner, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("anna"), QStringLiteral("anna4"));
        QCOMPARE(connect(*owner), -1);
        QVERIFY(owner->ui.messages.isEmpty());
        QVERIFY(owner->state().newRecordsPending);
    }

    void aMissingScratchTableStopsTheConnect()
    {
        m_fixture.workspace.openMaster()->exec(QStringLiteral("drop table qel_vr_scratch"));
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        QCOMPARE(connect(*t), -1);
        m_fixture.workspace.openMaster()->exec(
            QStringLiteral("CREATE TABLE qel_vr_scratch (asset CHAR(80) COLLATE NOCASE,mtag "
                           "CHAR(80) COLLATE NOCASE,xtag CHAR(80) COLLATE NOCASE)"));
        QCOMPARE(t->ui.texts(), QStringList{t->program().phrase(539)});
        QCOMPARE(t->ui.messages[0].icon, MessageIcon::Critical);
        QVERIFY(t->state().masterConnected && t->state().remoteConnected);
        QVERIFY(!t->program().menus.isEnabled(MenuId::mnuTransfer));
    }

    void theSameDataSourceTwiceAsksToExit()
    {
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        t->program().connectDialog.masterIndex = t->program().connectDialog.remoteIndex;
        t->ui.script = {Answer::No, Answer::No};
        QCOMPARE(connect(*t), -1);
        QCOMPARE(t->ui.messages[0].text, t->program().phrase(535));
        QCOMPARE(t->ui.messages[0].title, t->program().phrase(549));
        QVERIFY(!t->program().menus.isEnabled(MenuId::mnuTransfer));
        QVERIFY(!t->program().menus.isEnabled(MenuId::mnuNewRecords) ||
                !t->program().menus.isEnabled(MenuId::mnuGetDatabase));
        t->ui.script = {Answer::Yes};
        QCOMPARE(
            [&] {
                try {
                    t->program().mainMenu.UpdateMenuStatus();
                } catch (const ProgramExit& exit) {
                    return exit.code();
                }
                return -1;
            }(),
            0);
    }

    void userNamesInStatementsHaveTheirQuotesDoubled()
    {
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        QCOMPARE(connect(*t), -1);
        m_fixture.log().clear();
        t->state().masterUser = QStringLiteral("o'brien");
        int status = -1;
        try {
            StartupFunctions(t->program());
        } catch (const ProgramExit& exit) {
            status = exit.code();
        }
        // No such user: the row is missing, which is fatal, but the statement stayed whole.
        QCOMPARE(status, 1);
        QVERIFY(m_fixture.log().texts().contains(
            QStringLiteral("select i4240,mtlevel from mt.userlist where mtuser = 'o''brien'")));
        QVERIFY(t->ui.messages.last().text.contains(QLatin1String("VRW1,StartupFunctions")));
    }
};

VARROW_TEST_GUILESS_MAIN(TestConnectDialog)
#include "tst_connectdialog.moc"
