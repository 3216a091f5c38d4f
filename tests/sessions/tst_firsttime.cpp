#include "app/PlannedOperations.h"
#include "app/StartupFunctions.h"
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
        bool creationAsked = false;
        try {
            t->program().connectCommands.ConnectToDatabases();
        } catch (const NotAvailable& missing) {
            creationAsked = missing.what.contains(QLatin1String("Remote Database"));
        }
        QVERIFY(creationAsked);
        QVERIFY(t->state().firstTime);
        QVERIFY(FirstTime(t->program()));
    }

    void theMaintenanceStartIsNeverAFirstTime()
    {
        auto t = m_fixture.program();
        t->state().switchTransAll = true;
        SessionFixture::typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"),
                               QStringLiteral("mt"), QStringLiteral("sql"));
        try {
            t->program().connectCommands.ConnectToDatabases();
        } catch (const NotAvailable&) {
        }
        QVERIFY(!t->state().firstTime);
        QVERIFY(t->ui.messages.isEmpty());
        // The maintenance menus are set up for the merge.
        QVERIFY(t->program().menus.isEnabled(MenuId::mnuAllRecords));
        QVERIFY(!t->program().menus.isVisible(MenuId::mnuTransfer));
        QCOMPARE(t->program().menus.caption(MenuId::mnuAdministration), t->program().phrase(301));
    }
};

VARROW_TEST_GUILESS_MAIN(TestFirstTime)
#include "tst_firsttime.moc"
