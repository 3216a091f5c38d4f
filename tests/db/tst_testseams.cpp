#include "db/ConnectionString.h"
#include "db/OdbcConnectionFactory.h"
#include "tests/support/FailingConnectionFactory.h"
#include "tests/support/RecordingConnectionFactory.h"
#include "tests/support/SqliteTestDataSource.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QTest>

using testsupport::firstValue;
using testsupport::thrownBy;

// The decorators later tests rely on to see the exact statements and to inject failures.
class TestTestSeams : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void recordsEveryTextInOrderAcrossConnections();
    void aFailingStatementLeavesTheEngineUntouched();
    void faultsCountAcrossConnectionsAndDataSources();
    void aDroppedConnectionLooksLost();
    void opensFailUntilTheFaultIsSpent();
    void decoratorsStack();

private:
    std::unique_ptr<Connection> connect(ConnectionFactory& factory, const QString& dataSource);
    std::unique_ptr<ConnectionFactory> odbcFactory()
    {
        return std::make_unique<OdbcConnectionFactory>(SqliteTestDataSource::noDialect());
    }

    std::unique_ptr<SqliteTestDataSource> m_sources;
};

void TestTestSeams::initTestCase()
{
    m_sources = std::make_unique<SqliteTestDataSource>(QStringLiteral("SeamMaster"));
    QVERIFY2(m_sources->isValid(), qPrintable(m_sources->error()));
    QVERIFY2(m_sources->addDataSource(QStringLiteral("SeamRemote")),
             qPrintable(m_sources->error()));
}

void TestTestSeams::init()
{
    for (const QString& dataSource : {QStringLiteral("SeamMaster"), QStringLiteral("SeamRemote")}) {
        OdbcConnection connection(SqliteTestDataSource::noDialect());
        connection.setConnectionString(QStringLiteral("DSN=") + dataSource);
        connection.open();
        QCOMPARE(connection.state(), 1);
        connection.execute(QStringLiteral("drop table if exists items"));
        connection.execute(QStringLiteral("create table items(n integer)"));
    }
}

std::unique_ptr<Connection> TestTestSeams::connect(ConnectionFactory& factory,
                                                   const QString& dataSource)
{
    std::unique_ptr<Connection> connection = factory.create();
    connection->setConnectionString(
        connectionString(dataSource, QStringLiteral("mt"), QStringLiteral("sql")));
    connection->open();
    return connection;
}

void TestTestSeams::recordsEveryTextInOrderAcrossConnections()
{
    RecordingConnectionFactory factory(odbcFactory());
    std::unique_ptr<Connection> master = connect(factory, QStringLiteral("SeamMaster"));
    std::unique_ptr<Connection> remote = connect(factory, QStringLiteral("SeamRemote"));

    remote->execute(QStringLiteral("insert into items values(1)"));
    master->openRecordset(QStringLiteral("select n from items"));
    QVERIFY(thrownBy([&] { remote->execute(QStringLiteral("insert into  nowhere values(2)")); }));
    master->execute(QStringLiteral("insert into items values(3) "));

    const StatementLog& log = *factory.log();
    QCOMPARE(log.texts(),
             (QStringList{"insert into items values(1)", "select n from items",
                          "insert into  nowhere values(2)", "insert into items values(3) "}));
    QCOMPARE(log.texts(QStringLiteral("seamremote")),
             (QStringList{"insert into items values(1)", "insert into  nowhere values(2)"}));
    QCOMPARE(log.textsContaining(QStringLiteral("SELECT")), QStringList{"select n from items"});
    QCOMPARE(log.entries().at(1).kind, RecordedStatement::Kind::Query);
    QCOMPARE(log.entries().at(1).dataSource, QStringLiteral("SeamMaster"));
    QCOMPARE(log.entries().at(0).kind, RecordedStatement::Kind::Execute);
    // Recording changes nothing: the statements reached the engines.
    QCOMPARE(firstValue(*remote, QStringLiteral("select count(*) from items")),
             QStringLiteral("1"));
    QCOMPARE(firstValue(*master, QStringLiteral("select sum(n) from items")), QStringLiteral("3"));
}

void TestTestSeams::aFailingStatementLeavesTheEngineUntouched()
{
    auto connection = std::make_unique<FailingConnection>(odbcFactory()->create());
    connection->setConnectionString(QStringLiteral("DSN=SeamMaster"));
    connection->open();
    const DbError duplicate(-193, QStringLiteral("Primary key for table 'items' is not unique"),
                            QStringLiteral("23000"));
    connection->faults()->failWhen(FaultInjector::textContains(QStringLiteral("VALUES(2)")),
                                   duplicate);

    connection->execute(QStringLiteral("insert into items values(1)"));
    const std::optional<DbError> error =
        thrownBy([&] { connection->execute(QStringLiteral("insert into items values(2)")); });
    QVERIFY(error);
    QCOMPARE(error->number(), -193L);
    QCOMPARE(error->description(), duplicate.description());
    QCOMPARE(error->sqlstate(), QStringLiteral("23000"));
    QVERIFY(thrownBy([&] { connection->openRecordset(QStringLiteral("select 'values(2)'")); }));
    QCOMPARE(firstValue(*connection, QStringLiteral("select group_concat(n) from items")),
             QStringLiteral("1"));
    QCOMPARE(connection->faults()->injected(), 2);
    QCOMPARE(connection->state(), 1);
}

void TestTestSeams::faultsCountAcrossConnectionsAndDataSources()
{
    FailingConnectionFactory factory(odbcFactory());
    FaultInjector& faults = *factory.faults();
    FaultInjector::Fault& fault =
        faults
            .failWhen(FaultInjector::textEquals(QStringLiteral("insert into items values(5)")),
                      DbError(1, QStringLiteral("injected"), QStringLiteral("HY000")))
            .onlyOn(QStringLiteral("seammaster"));
    fault.skip = 1;
    fault.times = 2;

    std::unique_ptr<Connection> master = connect(factory, QStringLiteral("SeamMaster"));
    std::unique_ptr<Connection> otherMaster = connect(factory, QStringLiteral("SeamMaster"));
    std::unique_ptr<Connection> remote = connect(factory, QStringLiteral("SeamRemote"));
    const QString insert = QStringLiteral("insert into items values(5)");

    remote->execute(insert);                                  // other data source: never fails
    master->execute(insert);                                  // skipped once
    QVERIFY(thrownBy([&] { otherMaster->execute(insert); })); // first failure
    QVERIFY(thrownBy([&] { master->execute(insert); }));      // second failure: spent
    master->execute(insert);
    master->execute(QStringLiteral("insert into items values(5) ")); // not equal: untouched

    QCOMPARE(faults.injected(), 2);
    QCOMPARE(firstValue(*master, QStringLiteral("select count(*) from items")),
             QStringLiteral("3"));
    QCOMPARE(firstValue(*remote, QStringLiteral("select count(*) from items")),
             QStringLiteral("1"));
}

void TestTestSeams::aDroppedConnectionLooksLost()
{
    FailingConnectionFactory factory(odbcFactory());
    factory.faults()
        ->failWhen(FaultInjector::textContains(QStringLiteral("items")),
                   FaultInjector::lostConnection())
        .dropConnection = true;
    std::unique_ptr<Connection> connection = connect(factory, QStringLiteral("SeamRemote"));
    const std::optional<DbError> error =
        thrownBy([&] { connection->execute(QStringLiteral("delete from items")); });
    QVERIFY(error);
    QVERIFY(error->description().contains(QLatin1String("not connected")));
    QCOMPARE(connection->state(), 0);
}

void TestTestSeams::opensFailUntilTheFaultIsSpent()
{
    FailingConnectionFactory factory(odbcFactory());
    factory.faults()
        ->failOpen(
            DbError(-103, QStringLiteral("Invalid user ID or password"), QStringLiteral("28000")))
        .times = 2;
    std::unique_ptr<Connection> connection = factory.create();
    connection->setConnectionString(QStringLiteral("DSN=SeamMaster"));
    for (int attempt = 1; attempt <= 2; ++attempt) {
        connection->open();
        QCOMPARE(connection->state(), 0);
        QVERIFY(connection->lastError());
        QCOMPARE(connection->lastError()->number(), -103L);
    }
    connection->open();
    QCOMPARE(connection->state(), 1);
    QVERIFY(!connection->lastError());

    // Only the chosen data source is refused.
    factory.faults()
        ->failOpen(FaultInjector::lostConnection())
        .onlyOn(QStringLiteral("SeamRemote"));
    std::unique_ptr<Connection> master = connect(factory, QStringLiteral("SeamMaster"));
    std::unique_ptr<Connection> remote = connect(factory, QStringLiteral("SeamRemote"));
    QCOMPARE(master->state(), 1);
    QCOMPARE(remote->state(), 0);
}

void TestTestSeams::decoratorsStack()
{
    auto failing = std::make_unique<FailingConnectionFactory>(odbcFactory());
    failing->faults()->failWhen(FaultInjector::textContains(QStringLiteral("boom")),
                                DbError(1, QStringLiteral("boom"), QStringLiteral("HY000")));
    RecordingConnectionFactory factory(std::move(failing));
    std::unique_ptr<Connection> connection = connect(factory, QStringLiteral("SeamMaster"));
    QVERIFY(thrownBy([&] { connection->execute(QStringLiteral("select 'boom'")); }));
    connection->execute(QStringLiteral("select 'fine'"));
    // The failure is recorded too: the program did send it.
    QCOMPARE(factory.log()->texts(), (QStringList{"select 'boom'", "select 'fine'"}));
}

VARROW_TEST_GUILESS_MAIN(TestTestSeams)
#include "tst_testseams.moc"
