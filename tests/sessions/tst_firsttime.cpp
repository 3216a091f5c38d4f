#include "app/Operations.h"
#include "app/StartupFunctions.h"
#include "base/ProgramExit.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"

#include <QtTest>

using Field = ConnectDialogModel::Field;

// A Remote Database this program has never prepared (no change log yet).
class TestFirstTime : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture{TestWorkspace::small(DemoOptions::Remote::Unprepared)};

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_fixture.workspace.isValid(), qPrintable(m_fixture.workspace.error()));
    }

    void onlyTheOwnerMayPrepareIt_data()
    {
        QTest::addColumn<QString>("masterUser");
        QTest::addColumn<QString>("masterPassword");
        QTest::addColumn<QString>("expectMasterUser");
        QTest::addColumn<QList<Field>>("first");
        QTest::newRow("master not mt")
            << "anna"
            << "anna4"
            << "mt"
            << QList<Field>{Field::TextMasterPassword, Field::TextRemotePassword,
                            Field::CommandDoItAll};
        QTest::newRow("master mt")
            << "MT"
            << "sql"
            << "MT" << QList<Field>{Field::TextRemotePassword, Field::CommandDoItAll};
    }
    void onlyTheOwnerMayPrepareIt()
    {
        QFETCH(QString, masterUser);
        QFETCH(QString, masterPassword);
        QFETCH(QString, expectMasterUser);
        QFETCH(QList<Field>, first);
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, masterUser, masterPassword, QStringLiteral("ben"),
                               QStringLiteral("ben3"));
        t->program().connectCommands.ConnectToDatabases();
        QCOMPARE(t->ui.texts(), QStringList{t->program().phrase(541)});
        QCOMPARE(t->ui.messages[0].title, QStringLiteral("Login Warning"));
        QVERIFY(!t->state().masterConnected && !t->state().remoteConnected);
        const ConnectDialogModel& form = t->program().connectDialog;
        QCOMPARE(form.masterUser, expectMasterUser);
        QCOMPARE(form.remoteUser, QStringLiteral("mt"));
        QVERIFY(form.remotePassword.isEmpty());
        QCOMPARE(form.tabOrder.mid(0, first.size()), first);
        QCOMPARE(form.focus, std::optional<Field>(first.first()));
    }

    void theOwnerIsLedIntoCreatingTheRemoteDatabase()
    {
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        QVERIFY(FirstTime(t->program()) == false); // not connected yet: no answer, no first time
        // Declining the first-time question ends the program with nothing changed.
        t->ui.messages.clear();
        t->ui.script = {Answer::No};
        std::optional<int> exitCode;
        try {
            t->program().connectCommands.ConnectToDatabases();
        } catch (const ProgramExit& exit) {
            exitCode = exit.code();
        }
        QCOMPARE(exitCode, std::optional<int>(0));
        QCOMPARE(t->ui.messages.size(), 1);
        QVERIFY(t->ui.messages[0].text.startsWith(t->program().phrase(530)));
        QCOMPARE(t->ui.messages[0].title, t->program().phrase(108));
        QVERIFY(t->state().firstTime);
        QVERIFY(FirstTime(t->program()));
    }

    void theMaintenanceStartIsNeverAFirstTime()
    {
        auto t = m_fixture.program();
        t->state().switchTransAll = true;
        SessionFixture::typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        t->program().connectCommands.ConnectToDatabases();
        QVERIFY(!t->state().firstTime);
        QVERIFY(t->ui.messages.isEmpty());
        // The maintenance menus are set up for the merge.
        QVERIFY(t->program().menus.isEnabled(MenuId::mnuAllRecords));
        QVERIFY(!t->program().menus.isVisible(MenuId::mnuTransfer));
        QCOMPARE(t->program().menus.caption(MenuId::mnuAdministration), t->program().phrase(301));
    }

    // Answered yes, the first connect replaces the never-prepared copy by a prepared one and
    // ends the program; the next connect is an ordinary one.
    void answeredYesTheRemoteIsPrepared()
    {
        auto t = m_fixture.program();
        SessionFixture::typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        t->ui.script = {Answer::Yes, Answer::Ok};
        std::optional<int> exitCode;
        try {
            t->program().connectCommands.ConnectToDatabases();
        } catch (const ProgramExit& exit) {
            exitCode = exit.code();
        }
        QCOMPARE(exitCode, std::optional<int>(0));
        QCOMPARE(t->ui.texts().last(), t->program().phrase(524));
        auto remote = m_fixture.workspace.openRemote();
        QCOMPARE(remote->scalar(QStringLiteral("select count(*) from qel_vr_log")).toInt(), 0);
        QCOMPARE(remote->scalar(QStringLiteral("select dbremote from dbconfig")).toInt(), 1);

        auto next = m_fixture.program();
        SessionFixture::typeIn(*next, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        next->program().connectCommands.ConnectToDatabases();
        QVERIFY(!next->state().firstTime);
        QVERIFY(next->state().masterConnected && next->state().remoteConnected);
    }
};

VARROW_TEST_GUILESS_MAIN(TestFirstTime)
#include "tst_firsttime.moc"
