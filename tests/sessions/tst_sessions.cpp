#include "session/AdminCredentials.h"
#include "session/Sessions.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"

#include <QDir>
#include <QFile>
#include <QtTest>

// Counts the connections a factory hands out.
class CountingFactory : public ConnectionFactory
{
public:
    explicit CountingFactory(ConnectionFactory& inner) : m_inner(inner) {}
    std::unique_ptr<Connection> create() override
    {
        ++created;
        return m_inner.create();
    }
    int created = 0;

private:
    ConnectionFactory& m_inner;
};

class TestSessions : public QObject
{
    Q_OBJECT

    SessionFixture m_fixture;

    static void signIn(TestProgram& t, const QString& user, const QString& password)
    {
        SessionState& s = t.state();
        s.masterDataSource = QStringLiteral("VarrowMaster");
        s.remoteDataSource = QStringLiteral("VarrowRemote");
        s.masterUser = s.remoteUser = user;
        s.masterPassword = s.remotePassword = password;
    }

    static void writeCredentials(QFile::Permissions permissions)
    {
        QDir().mkpath(QFileInfo(AdminCredentials::filePath()).absolutePath());
        QFile file(AdminCredentials::filePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Administrator]\nUser=qeldba\nPassword=dbadmin\n[Owner]\nPassword=sql\n");
        file.close();
        QVERIFY(file.setPermissions(permissions));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_fixture.workspace.isValid(), qPrintable(m_fixture.workspace.error())); }
    void cleanup()
    {
        QFile::remove(AdminCredentials::filePath());
        m_fixture.faults().clear();
    }

    void connectsOnceAndThenReturnsAtOnce()
    {
        CountingFactory counting(m_fixture.connections());
        TestProgram t(&counting);
        signIn(t, QStringLiteral("mt"), QStringLiteral("sql"));
        QVERIFY(ConnectToMaster(t.program()));
        QVERIFY(t.state().masterConnected);
        QCOMPARE(t.clock.sleptMs, 1000);
        QCOMPARE(counting.created, 1);
        QVERIFY(ConnectToMaster(t.program()));
        QCOMPARE(counting.created, 1);
        QCOMPARE(t.clock.sleptMs, 1000);
    }

    void aMissingDataSourceCostsTenChecks()
    {
        CountingFactory counting(m_fixture.connections());
        TestProgram t(&counting);
        signIn(t, QStringLiteral("mt"), QStringLiteral("sql"));
        t.state().remoteDataSource = QStringLiteral("NoSuchSource");
        QVERIFY(!ConnectToRemote(t.program()));
        QVERIFY(!t.state().remoteConnected);
        QCOMPARE(t.clock.sleptMs, 10000);
        QCOMPARE(counting.created, 10);
        QVERIFY(t.ui.messages.isEmpty());
    }

    void aConnectionOpeningAtTheLastCheckCounts()
    {
        m_fixture.faults().failOpen(DbError(-103, QStringLiteral("Invalid user ID or password"))).times = 9;
        TestProgram t(&m_fixture.connections());
        signIn(t, QStringLiteral("mt"), QStringLiteral("sql"));
        QVERIFY(ConnectToRemote(t.program()));
        QCOMPARE(t.clock.sleptMs, 10000);
    }

    void theOwnerIsItsOwnAdministrator()
    {
        TestProgram t(&m_fixture.connections());
        signIn(t, QStringLiteral("MT"), QStringLiteral("sql"));
        QVERIFY(ConnectQELDBAToRemote(t.program()));
        QVERIFY(t.state().remoteAdminConnection->connectionString().contains(QLatin1String("UID=MT;PWD=sql")));
    }

    void otherUsersNeedTheCredentialsFile()
    {
        writeCredentials(QFile::ReadOwner | QFile::WriteOwner);
        TestProgram t(&m_fixture.connections());
        t.loadDeliveredPhrases();
        signIn(t, QStringLiteral("anna"), QStringLiteral("anna4"));
        QVERIFY(ConnectQELDBAToMaster(t.program()));
        QVERIFY(t.ui.messages.isEmpty());
    }

    void aCredentialsFileOthersCanReadIsRefused()
    {
        writeCredentials(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        TestProgram t(&m_fixture.connections());
        t.loadDeliveredPhrases();
        signIn(t, QStringLiteral("anna"), QStringLiteral("anna4"));
        QVERIFY(!ConnectQELDBAToMaster(t.program()));
        QVERIFY(!ConnectQELDBAToMaster(t.program()));
        QCOMPARE(t.ui.messages.size(), 1); // said once
        QVERIFY(t.ui.messages[0].text.contains(QLatin1String("chmod 600")));
        QVERIFY(!t.ui.messages[0].text.contains(QLatin1String("dbadmin")));

        // An unattended run may pass them in the environment instead.
        qputenv("VARROW_ADMIN_USER", "qeldba");
        qputenv("VARROW_ADMIN_PASSWORD", "dbadmin");
        QVERIFY(ConnectQELDBAToMaster(t.program()));
        qunsetenv("VARROW_ADMIN_USER");
        qunsetenv("VARROW_ADMIN_PASSWORD");
    }

    void disconnectsFollowTheirGuards()
    {
        TestProgram t(&m_fixture.connections());
        // Nothing was ever opened: nothing happens, nothing is said.
        DisconnectFromMaster(t.program());
        DisconnectFromRemote(t.program());
        DisconnectQELDBAFromMaster(t.program());
        DisconnectQELDBAFromRemote(t.program());
        QVERIFY(t.ui.messages.isEmpty());

        signIn(t, QStringLiteral("mt"), QStringLiteral("sql"));
        QVERIFY(ConnectQELDBAToMaster(t.program()));
        QVERIFY(ConnectQELDBAToRemote(t.program()));
        DisconnectFromRemote(t.program());
        QVERIFY(!t.state().remoteConnected);
        QCOMPARE(t.state().remoteAdminConnection->state(), 1); // left as it is
        DisconnectFromMaster(t.program());
        QVERIFY(!t.state().masterConnected);
        QCOMPARE(t.state().masterAdminConnection->state(), 0);
    }

    void masterDatabaseNameComesFromTheDataSource()
    {
        TestProgram t(&m_fixture.connections());
        signIn(t, QStringLiteral("mt"), QStringLiteral("sql"));
        t.state().masterDatabaseName = QStringLiteral("from the engine");
        GetMasterDatabaseName(t.program());
        QVERIFY(t.state().masterDatabaseName != QLatin1String("from the engine"));
        QVERIFY(!t.state().masterDatabaseName.isEmpty());
        t.state().masterDataSource = QStringLiteral("NoSuchSource");
        t.state().masterDatabaseName = QStringLiteral("kept");
        GetMasterDatabaseName(t.program());
        QCOMPARE(t.state().masterDatabaseName, QStringLiteral("kept"));
    }
};

VARROW_TEST_GUILESS_MAIN(TestSessions)
#include "tst_sessions.moc"
