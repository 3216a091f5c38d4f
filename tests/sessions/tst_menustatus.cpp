#include "app/RemoteDatabaseLock.h"
#include "base/ProgramExit.h"
#include "session/Sessions.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"

#include <QLockFile>
#include <QtTest>

// The menus after a connect, for change logs of every shape. One workspace serves all cases:
// its log is kept aside once and put back, filtered, before each case.
class TestMenuStatus : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture;
    std::unique_ptr<TestProgram> m_t;

    void keepOnly(const QString& condition)
    {
        auto remote = m_fixture.workspace.openRemote();
        remote->exec(QStringLiteral("delete from qel_vr_log"));
        remote->exec(QStringLiteral("insert into qel_vr_log select * from log_kept where ") +
                     condition);
    }

    MenuModel& menus() { return m_t->program().menus; }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_fixture.workspace.isValid(), qPrintable(m_fixture.workspace.error()));
        m_fixture.workspace.openRemote()->exec(
            QStringLiteral("create table log_kept as select * from qel_vr_log"));
        // No run has been recorded for this workstation yet.
        m_fixture.workspace.openMaster()->exec(QStringLiteral("delete from qel_vr_transfer_log"));
    }

    void init()
    {
        m_fixture.workspace.openMaster()->exec(QStringLiteral("delete from qel_vr_transfer_log"));
        m_t = m_fixture.program();
        SessionFixture::typeIn(*m_t, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        m_t->program().connectCommands.ConnectToDatabases();
        QVERIFY(m_t->ui.messages.isEmpty());
    }

    void anEmptyLogLeavesOnlyTheBasicCommands()
    {
        keepOnly(QStringLiteral("0"));
        m_t->program().mainMenu.UpdateMenuStatus();
        for (MenuId id :
             {MenuId::mnuNewRecords, MenuId::mnuVRLog, MenuId::mnuRunCounter, MenuId::mnuTrans})
            QVERIFY(!menus().isEnabled(id));
        for (MenuId id : {MenuId::mnuTransfer, MenuId::mnuGetDatabase, MenuId::mnuReLogin,
                          MenuId::mnuAdministration})
            QVERIFY(menus().isEnabled(id));
        QVERIFY(!m_t->state().newRecordsPending && !m_t->state().modifiedRecordsPending);
    }

    void onlyInsertsMarkBothTransfersPending()
    {
        keepOnly(QStringLiteral("action='INS'"));
        m_t->program().mainMenu.UpdateMenuStatus();
        QVERIFY(m_t->state().newRecordsPending);
        QVERIFY(m_t->state().modifiedRecordsPending);
        QVERIFY(menus().isEnabled(MenuId::mnuNewRecords));
        QVERIFY(menus().isEnabled(MenuId::mnuVRLog));
        // The status bar's facts: where, as whom, and the rows counted.
        QVERIFY(menus().status());
        const MenuModel::Status status = *menus().status();
        QCOMPARE(QStringList({status.masterDataSource, status.masterUser, status.remoteDataSource,
                              status.remoteUser}),
                 QStringList({"VarrowMaster", "mt", "VarrowRemote", "mt"}));
        QCOMPARE(status.newRows, m_fixture.workspace.openRemote()
                                     ->scalar(QStringLiteral("select count(*) from qel_vr_log"))
                                     .toInt());
        QVERIFY(status.newRows > 0);
        QCOMPARE(status.changedRows, 0);
    }

    void onlyUpdatesRunOnlyTheModifiedRecordsTransfer()
    {
        // Changes of records the master already holds: a change of a record created in the
        // field cannot be carried before the record itself.
        keepOnly(QStringLiteral("action='UPD' and xtag not in (select xtag from log_kept where "
                                "action='INS')"));
        m_t->program().mainMenu.UpdateMenuStatus();
        QVERIFY(!m_t->state().newRecordsPending);
        QVERIFY(m_t->state().modifiedRecordsPending);
        QVERIFY(menus().isEnabled(MenuId::mnuNewRecords));
        m_fixture.log().clear();
        m_t->program().mainMenu.onCommand(MenuId::mnuNewRecords);
        // The new-record transfer was not asked for; the modified one ran and recounted.
        QVERIFY(m_t->ui.messages.isEmpty());
        QVERIFY(!m_fixture.log().textsContaining(QStringLiteral("set sync_date=now(*)")).isEmpty());
        QVERIFY(!m_t->state().modifiedRecordsPending);
        QVERIFY(!menus().isEnabled(MenuId::mnuNewRecords));
        QVERIFY(
            menus().isEnabled(MenuId::mnuTrans)); // the run is in this workstation's history now
        QVERIFY(!m_t->ui.isBusy());
    }

    // Rows marked as carried but still in the log were left by an interrupted transfer: its
    // end is still to be done, so modifications count as pending.
    void rowsMarkedByAnInterruptedRunArePending()
    {
        keepOnly(QStringLiteral("1"));
        m_fixture.workspace.openRemote()->exec(
            QStringLiteral("update qel_vr_log set sync_date='2011-06-14 10:00:00.000'"));
        m_t->program().mainMenu.UpdateMenuStatus();
        QVERIFY(!m_t->state().newRecordsPending);
        QVERIFY(m_t->state().modifiedRecordsPending);
    }

    void historyOfThisWorkstationEnablesItsViewer()
    {
        keepOnly(QStringLiteral("0"));
        m_t->program().mainMenu.UpdateMenuStatus();
        QVERIFY(!menus().isEnabled(MenuId::mnuTrans));
        auto master = m_fixture.workspace.openMaster();
        master->exec(
            QStringLiteral(
                "insert into qel_vr_transfer_log(host_name,user_name,start_time,transfer_type) "
                "values('") +
            m_t->state().remoteMachineName +
            QStringLiteral("','mt','2011-06-14 10:00:00','Synchronize')"));
        m_t->program().mainMenu.UpdateMenuStatus();
        master->exec(QStringLiteral("delete from qel_vr_transfer_log"));
        QVERIFY(menus().isEnabled(MenuId::mnuTrans));
    }

    void theMasterLogIsEmptiedOnEveryRecount()
    {
        auto master = m_fixture.workspace.openMaster();
        master->exec(QStringLiteral("insert into qel_vr_log(xtag,affected_table,action,event_date) "
                                    "values('stray','INVENTORY','INS','2011-06-14 10:00:00.000')"));
        m_t->program().mainMenu.UpdateMenuStatus();
        QCOMPARE(master->scalar(QStringLiteral("select count(*) from qel_vr_log")).toInt(), 0);
    }

    void reLoginAsksAndDisconnects()
    {
        MainMenu& menu = m_t->program().mainMenu;
        menu.onCommand(MenuId::mnuReLogin); // default No: nothing happens
        QVERIFY(m_t->state().masterConnected);
        QCOMPARE(m_t->ui.messages.last().defaultButton, std::optional<Answer>(Answer::No));
        QCOMPARE(m_t->ui.messages.last().title, m_t->program().phrase(150));
        m_t->ui.script = {Answer::Yes};
        menu.onCommand(MenuId::mnuReLogin);
        QVERIFY(!m_t->state().masterConnected && !m_t->state().remoteConnected);
        QVERIFY(m_t->program().connectDialog.isLoaded());
        QVERIFY(m_t->ui.isWindowOpen(Window::Connect));
        QVERIFY(!menus().isEnabled(MenuId::mnuTransfer));
        QVERIFY(!menus().status());
        // The data sources of the session are kept for the next connect.
        QCOMPARE(m_t->state().masterDataSource, QStringLiteral("VarrowMaster"));
    }

    void aLostConnectionOffersTheDialogAgain()
    {
        // The engine's connection goes away under the program's feet.
        m_t->program().sessions.remoteConnection->close();
        m_t->program().mainMenu.UpdateMenuStatus();
        QVERIFY(m_t->state().errorOccurred);
        QVERIFY(m_t->ui.messages.last().text.contains(QLatin1String("not connected")));
        QVERIFY(m_t->ui.isWindowOpen(Window::Connect));
    }

    // The transfer command works under the Remote Database's lock and gives it back when
    // done; while another run holds it, the command tells so and does nothing.
    void theTransferCommandHoldsTheRemoteDatabase()
    {
        keepOnly(QStringLiteral("1"));
        const QString file = m_t->state().remoteDatabaseFile;
        {
            QLockFile otherRun(RemoteDatabaseLock::pathFor(file));
            QVERIFY(otherRun.tryLock(0));
            m_t->program().mainMenu.onCommand(MenuId::mnuNewRecords);
        }
        QCOMPARE(m_t->ui.texts(),
                 QStringList{QStringLiteral("Another run of Varrow is working on the Remote "
                                            "Database %1 (transferring its changes or replacing "
                                            "it). Nothing was done; try again when it has "
                                            "finished.")
                                 .arg(file)});
        m_t->ui.messages.clear();
        // Once the other run is gone, the command transfers what is pending.
        m_t->program().mainMenu.onCommand(MenuId::mnuNewRecords);
        QVERIFY(m_t->ui.texts().isEmpty());
        QVERIFY(!m_t->state().newRecordsPending);
        QLockFile afterwards(RemoteDatabaseLock::pathFor(file));
        QVERIFY(afterwards.tryLock(0));
        afterwards.unlock();

        m_t->ui.messages.clear();
        m_t->state().remoteDatabaseFile = QStringLiteral("/nonexistent/remote.db");
        m_t->program().mainMenu.onCommand(MenuId::mnuNewRecords);
        QCOMPARE(m_t->ui.texts(),
                 QStringList{QStringLiteral(
                     "Varrow cannot make the lock file /nonexistent/remote.db.varrow.lock, "
                     "which keeps two runs from working on the Remote Database "
                     "/nonexistent/remote.db at the same time: the folder /nonexistent cannot "
                     "be found. Nothing was done.")});
    }

    // The Administration menu's viewers open their windows, with no message on the way.
    void theViewerCommandsOpenTheViewers()
    {
        keepOnly(QStringLiteral("1"));
        m_t->ui.shown.clear();
        m_t->program().mainMenu.onCommand(MenuId::mnuVRLog);
        m_t->program().mainMenu.onCommand(MenuId::mnuTrans);
        QCOMPARE(m_t->ui.shown, (QList<Window>{Window::VRLog, Window::TransLog}));
        QVERIFY(m_t->ui.texts().isEmpty());
    }
};

VARROW_TEST_GUILESS_MAIN(TestMenuStatus)
#include "tst_menustatus.moc"
