#include "base/LogFiles.h"
#include "base/ProgramExit.h"
#include "base/Settings.h"
#include "copy/Catalogue.h"
#include "db/OdbcConnectionFactory.h"
#include "session/AdminCredentials.h"
#include "session/Sessions.h"
#include "tests/support/SessionFixture.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

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

// An engine that quotes the login in the message with which it refuses any statement about a
// table named "careless"; everything else goes to the engine's own dialect.
class CarelessDialect : public Dialect
{
public:
    explicit CarelessDialect(std::unique_ptr<Dialect> inner) : m_inner(std::move(inner)) {}

    void attach(RawSession& session, const DialectContext& context) override
    {
        m_context = context;
        m_inner->attach(session, context);
    }

    QStringList translate(const QString& commandText) override
    {
        if (commandText.contains(QLatin1String("'careless'")))
            throw DbError(-308,
                          QStringLiteral("Reconnect as UID=%1;PWD=%2 failed: the server restarted")
                              .arg(m_context.user, m_context.password),
                          QStringLiteral("HY000"));
        return m_inner->translate(commandText);
    }

private:
    std::unique_ptr<Dialect> m_inner;
    DialectContext m_context;
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
    void initTestCase()
    {
        QVERIFY2(m_fixture.workspace.isValid(), qPrintable(m_fixture.workspace.error()));
    }
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
        // Open at once: no wait.
        QCOMPARE(t.clock.sleptMs, 0);
        QCOMPARE(counting.created, 1);
        QVERIFY(ConnectToMaster(t.program()));
        QCOMPARE(counting.created, 1);
        QCOMPARE(t.clock.sleptMs, 0);
    }

    // No retry mends these: the connect stops at once, with the reason for the caller.
    void failuresNoRetryCanMendStopAtOnce_data()
    {
        QTest::addColumn<QString>("dataSource");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a data source not configured")
            << "NoSuchSource"
            << "mt"
            << "sql" << 0
            << "The data source \"NoSuchSource\" given for the Remote Database is not defined "
               "in the ODBC configuration.";
        QTest::newRow("wrong password") << "VarrowRemote"
                                        << "mt"
                                        << "Wr0ng-Secret" << 1 << "Invalid user ID or password";
        QTest::newRow("unknown user") << "VarrowRemote"
                                      << "nobody"
                                      << "sql" << 1 << "Invalid user ID or password";
    }
    void failuresNoRetryCanMendStopAtOnce()
    {
        QFETCH(QString, dataSource);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(int, attempts);
        QFETCH(QString, reason);
        CountingFactory counting(m_fixture.connections());
        TestProgram t(&counting);
        signIn(t, user, password);
        t.state().remoteDataSource = dataSource;
        QVERIFY(!ConnectToRemote(t.program()));
        QVERIFY(!t.state().remoteConnected);
        QCOMPARE(t.clock.sleptMs, 0);
        QCOMPARE(counting.created, attempts);
        const std::optional<ConnectFailure> failure = connectFailure(t.program(), Side::Remote);
        QVERIFY(failure);
        QVERIFY(!failure->retried);
        QCOMPARE(failure->error.description(), reason);
        QVERIFY(t.ui.messages.isEmpty());
    }

    // A failure that may pass (a server not reachable yet) keeps the ten checks; the windows
    // are served all the while, and the last reason is kept.
    void failuresThatMayPassAreRetried()
    {
        const DbError unreachable(-100, QStringLiteral("Database server not found"),
                                  QStringLiteral("08001"));
        m_fixture.faults().failOpen(unreachable).times = 9;
        TestProgram t(&m_fixture.connections());
        signIn(t, QStringLiteral("mt"), QStringLiteral("sql"));
        qint64 lastYield = 0;
        qint64 longestGap = 0;
        t.ui.onYield = [&] {
            longestGap = std::max(longestGap, t.clock.sleptMs - lastYield);
            lastYield = t.clock.sleptMs;
        };
        QVERIFY(ConnectToRemote(t.program())); // the tenth check counts
        QCOMPARE(t.clock.sleptMs, 10000);
        QVERIFY2(longestGap <= 100, qPrintable(QString::number(longestGap)));
        QVERIFY(!connectFailure(t.program(), Side::Remote));

        m_fixture.faults().failOpen(unreachable);
        QVERIFY(!ConnectToMaster(t.program()));
        QCOMPARE(t.clock.sleptMs, 20000);
        const std::optional<ConnectFailure> failure = connectFailure(t.program(), Side::Master);
        QVERIFY(failure && failure->retried);
        QCOMPARE(failure->error.sqlstate(), QStringLiteral("08001"));
        QCOMPARE(failure->error.description(), unreachable.description());
    }

    // Connection strings name the data source only; the login is the user's own for the
    // owner and the administrator's for anybody else.
    void theOwnerIsItsOwnAdministrator()
    {
        writeCredentials(QFile::ReadOwner | QFile::WriteOwner);
        TestProgram t(&m_fixture.connections());
        signIn(t, QStringLiteral("MT"), QStringLiteral("sql"));
        QVERIFY(ConnectQELDBAToRemote(t.program()));
        const OpenSessions& open = t.program().sessions;
        QCOMPARE(open.remoteAdminConnection->connectionString(),
                 QStringLiteral("DSN=VarrowRemote"));
        QCOMPARE(open.remoteConnection->connectionString(), QStringLiteral("DSN=VarrowRemote"));
        const QString whoAmI = QStringLiteral("select varrow_user()");
        QCOMPARE(testsupport::firstValue(*open.remoteAdminConnection, whoAmI),
                 QStringLiteral("mt"));

        TestProgram other(&m_fixture.connections());
        other.loadDeliveredPhrases();
        signIn(other, QStringLiteral("anna"), QStringLiteral("anna4"));
        QVERIFY(ConnectQELDBAToMaster(other.program()));
        QCOMPARE(testsupport::firstValue(*other.program().sessions.masterAdminConnection, whoAmI),
                 QStringLiteral("qeldba"));
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

    // Every connection is told how long to wait for a lock another program holds.
    void everyConnectionIsToldTheLockWait_data()
    {
        QTest::addColumn<QByteArray>("environment");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("seconds");
        QTest::newRow("default") << QByteArray() << QString() << 30;
        QTest::newRow("setting") << QByteArray() << "5" << 5;
        QTest::newRow("environment before setting") << QByteArray("2") << "5" << 2;
        QTest::newRow("no whole number of seconds") << QByteArray("0") << "1.5" << 30;
    }
    void everyConnectionIsToldTheLockWait()
    {
        QFETCH(QByteArray, environment);
        QFETCH(QString, setting);
        QFETCH(int, seconds);
        TestProgram t(&m_fixture.connections());
        SaveRegSetting(t.program(), QStringLiteral("Configuration"),
                       QStringLiteral("LockWaitSeconds"), setting);
        qputenv("VARROW_LOCK_WAIT", environment);
        QCOMPARE(lockWaitSeconds(t.program()), seconds);
        signIn(t, QStringLiteral("mt"), QStringLiteral("sql"));
        m_fixture.log().clear();
        QVERIFY(ConnectQELDBAToRemote(t.program())); // the user's connection, then the admin's
        qunsetenv("VARROW_LOCK_WAIT");
        const QString told = QStringLiteral("set temporary option blocking_timeout = %1");
        QCOMPARE(m_fixture.log().texts(), QStringList(2, told.arg(seconds * 1000)));
        // The stand-in waits half of it in each of the driver's two tries.
        QCOMPARE(testsupport::firstValue(*t.program().sessions.remoteAdminConnection,
                                         QStringLiteral("pragma busy_timeout")),
                 QString::number(seconds * 500));
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
        QCOMPARE(t.program().sessions.remoteAdminConnection->state(), 1); // left as it is
        DisconnectFromMaster(t.program());
        QVERIFY(!t.state().masterConnected);
        QCOMPARE(t.program().sessions.masterAdminConnection->state(), 0);
    }

    // Whatever the engine quotes, the password reaches neither the user nor errors.log.
    void aPasswordTheEngineQuotesIsMasked()
    {
        const QString password = QStringLiteral("Zq7-never-shown");
        m_fixture.workspace.openRemote()->scalar(
            QStringLiteral("select varrow_set_login('field', ?)"), {password});
        OdbcConnectionFactory careless([](const QString& dbmsName) -> std::unique_ptr<Dialect> {
            return std::make_unique<CarelessDialect>(makeDialect(dbmsName));
        });
        TestProgram t(&careless);
        t.loadDeliveredPhrases();
        signIn(t, QStringLiteral("field"), password);
        QVERIFY(ConnectToRemote(t.program()));
        const QString errorLog = logFilePath(t.state(), QStringLiteral("errors.log"));
        QFile::remove(errorLog);

        int status = -1;
        try {
            TableExists(t.program(), QStringLiteral("R"), QStringLiteral("careless"));
        } catch (const ProgramExit& exit) {
            status = exit.code();
        }
        QCOMPARE(status, 1);
        QCOMPARE(t.ui.messages.size(), 1);
        const QString shown = t.ui.messages[0].text;
        QFile log(errorLog);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString logged = QString::fromUtf8(log.readAll());
        for (const QString& text : {shown, logged}) {
            QVERIFY2(text.contains(QLatin1String("Reconnect as UID=field;PWD=******** failed")),
                     qPrintable(text));
            QVERIFY2(!text.contains(password), qPrintable(text));
        }
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
