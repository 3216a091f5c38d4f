#include "db/Command.h"
#include "db/ConnectionString.h"
#include "db/DbErrors.h"
#include "db/OdbcConnection.h"
#include "db/OdbcDiagnostics.h"
#include "db/OdbcEnvironment.h"
#include "db/OdbcSession.h"
#include "db/OdbcStatement.h"
#include "tests/support/SqliteTestDataSource.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sqlext.h>

using testsupport::firstValue;
using testsupport::thrownBy;

class TestOdbcConnection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void opensAndClosesAndReportsItsState();
    void aFailedOpenDoesNotThrow_data();
    void aFailedOpenDoesNotThrow();
    void openingTwiceKeepsTheFirstConnection();
    void theProviderFormOpens();
    void specialPasswordsStillReachTheRightDataSource_data();
    void specialPasswordsStillReachTheRightDataSource();
    void credentialsNeverReachTheDriverInAConnectionString_data();
    void credentialsNeverReachTheDriverInAConnectionString();
    void anEmptyDataSourceIsRefusedBeforeTheDriverIsAsked();

    void engineErrorsCarryNumberDescriptionAndState();
    void aClosedConnectionSaysNotConnected();
    void connectionDiagnosticsSayNotConnected();
    void aSessionFreesItsStatementsBeforeDisconnecting();
    void closingTheConnectionClosesItsResultSets();
    void resultSetsMayOutliveTheirConnection();
    void statementsAreAppliedAtOnce();
    void aCommandKeepsItsTextAfterAFailure();

private:
    std::unique_ptr<SqliteTestDataSource> m_source;
};

void TestOdbcConnection::initTestCase()
{
    m_source = std::make_unique<SqliteTestDataSource>();
    QVERIFY2(m_source->isValid(), qPrintable(m_source->error()));
}

void TestOdbcConnection::opensAndClosesAndReportsItsState()
{
    OdbcConnection connection(SqliteTestDataSource::noDialect());
    connection.close(); // never opened: nothing to do, nothing thrown
    QCOMPARE(connection.state(), 0);
    QCOMPARE(connection.dbmsName(), QString());

    connection.setConnectionString(connectionString(m_source->dataSource(), QString(), QString()));
    connection.open();
    QCOMPARE(connection.state(), 1);
    QVERIFY(!connection.lastError());
    QCOMPARE(connection.dbmsName(), QStringLiteral("SQLite"));
    QCOMPARE(firstValue(connection, QStringLiteral("select 40 + 2")), QStringLiteral("42"));

    connection.close();
    QCOMPARE(connection.state(), 0);
    QCOMPARE(connection.dbmsName(), QString());
    connection.close();
    QCOMPARE(connection.state(), 0);

    connection.open(); // a closed connection opens again
    QCOMPARE(connection.state(), 1);
}

void TestOdbcConnection::aFailedOpenDoesNotThrow_data()
{
    QTest::addColumn<QString>("connectionString");
    QTest::addColumn<QString>("sqlstate");
    QTest::addColumn<QString>("descriptionPart");

    QTest::newRow("missing data source") << "DSN=NoSuchSource"
                                         << "IM002"
                                         << "Data source name not found";
    QTest::newRow("database that cannot be opened")
        << QStringLiteral("DRIVER=%1;Database=/nonexistent/folder/x.db;NoCreat=1")
               .arg(QLatin1String(SqliteTestDataSource::driverName))
        << "HY000"
        << "connect failed";
}

void TestOdbcConnection::aFailedOpenDoesNotThrow()
{
    QFETCH(QString, connectionString);
    QFETCH(QString, sqlstate);
    QFETCH(QString, descriptionPart);
    const QString password = QStringLiteral("Sesame-42");

    OdbcConnection connection(SqliteTestDataSource::noDialect());
    connection.setConnectionString(connectionString);
    connection.open(QStringLiteral("mt"), password);
    QCOMPARE(connection.state(), 0);
    QVERIFY(connection.lastError());
    QCOMPARE(connection.lastError()->sqlstate(), sqlstate);
    QVERIFY2(connection.lastError()->description().contains(descriptionPart),
             qPrintable(connection.lastError()->description()));
    QVERIFY(!connection.lastError()->description().contains(password));

    const std::optional<DbError> error =
        thrownBy([&] { connection.execute(QStringLiteral("select 1")); });
    QVERIFY(error);
    QVERIFY(error->description().contains(QLatin1String("not connected")));
}

void TestOdbcConnection::openingTwiceKeepsTheFirstConnection()
{
    std::unique_ptr<OdbcConnection> connection = m_source->open();
    QCOMPARE(connection->state(), 1);
    std::unique_ptr<Recordset> recordset =
        connection->openRecordset(QStringLiteral("select 1 union all select 2"));

    connection->open();
    QCOMPARE(connection->state(), 1);
    QVERIFY(connection->lastError());
    QCOMPARE(connection->lastError()->number(), DbErrors::ObjectOpen);
    // The result set of the first connection is still readable.
    QVERIFY(recordset->isOpen());
    recordset->moveNext();
    QCOMPARE(recordset->value(0), DbValue(QStringLiteral("2")));
}

void TestOdbcConnection::theProviderFormOpens()
{
    OdbcConnection connection(SqliteTestDataSource::noDialect());
    connection.setConnectionString(QStringLiteral("PROVIDER=MSDASQL.1;dsn=") +
                                   m_source->dataSource());
    connection.open(QStringLiteral("mt"), QStringLiteral("sql"));
    QVERIFY2(connection.state() == 1,
             connection.lastError() ? qPrintable(connection.lastError()->description()) : "");
    QCOMPARE(connection.connectionString(),
             QStringLiteral("PROVIDER=MSDASQL.1;dsn=") + m_source->dataSource());
}

void TestOdbcConnection::specialPasswordsStillReachTheRightDataSource_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("semicolon") << "a;b";
    QTest::newRow("semicolon and a second DSN") << "x;DSN=NoSuchSource";
    QTest::newRow("closing brace") << "p}w";
    QTest::newRow("braces and DSN") << "}x;DSN=NoSuchSource;{";
    QTest::newRow("blanks") << " padded ";
}

void TestOdbcConnection::specialPasswordsStillReachTheRightDataSource()
{
    QFETCH(QString, password);
    // In the connection string built by the program ...
    OdbcConnection inString(SqliteTestDataSource::noDialect());
    inString.setConnectionString(
        connectionString(m_source->dataSource(), QStringLiteral("mt"), password));
    inString.open();
    QVERIFY2(inString.state() == 1,
             inString.lastError() ? qPrintable(inString.lastError()->description()) : "");

    // ... and given to open() separately.
    OdbcConnection separately(SqliteTestDataSource::noDialect());
    separately.setConnectionString(QStringLiteral("PROVIDER=MSDASQL.1;dsn=") +
                                   m_source->dataSource());
    separately.open(QStringLiteral("mt"), password);
    QVERIFY2(separately.state() == 1,
             separately.lastError() ? qPrintable(separately.lastError()->description()) : "");
}

void TestOdbcConnection::credentialsNeverReachTheDriverInAConnectionString_data()
{
    QTest::addColumn<bool>("inString");
    QTest::newRow("given to open()") << false;
    QTest::newRow("in the connection string") << true;
}

// A password that reads as driver attributes must not make the driver open (and create)
// another database file.
void TestOdbcConnection::credentialsNeverReachTheDriverInAConnectionString()
{
    QFETCH(bool, inString);
    QTemporaryDir folder;
    const QString injected = folder.filePath(QStringLiteral("injected.db"));
    const QString password = QStringLiteral("sql;Database=%1;NoCreat=0;X=").arg(injected);

    OdbcConnection connection(SqliteTestDataSource::noDialect());
    if (inString) {
        connection.setConnectionString(
            connectionString(m_source->dataSource(), QStringLiteral("mt"), password));
        connection.open();
    } else {
        connection.setConnectionString(QStringLiteral("DSN=") + m_source->dataSource());
        connection.open(QStringLiteral("mt"), password);
    }
    QVERIFY2(connection.state() == 1,
             connection.lastError() ? qPrintable(connection.lastError()->description()) : "");
    QVERIFY(!QFile::exists(injected));
    QCOMPARE(firstValue(connection, QStringLiteral("select file from pragma_database_list")),
             QFileInfo(m_source->databaseFile()).absoluteFilePath());
}

void TestOdbcConnection::anEmptyDataSourceIsRefusedBeforeTheDriverIsAsked()
{
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    for (const QString& text : {QStringLiteral("DSN=;UID=mt;PWD=Sesame-42"),
                                QStringLiteral("PROVIDER=MSDASQL.1;dsn= ")}) {
        OdbcConnection connection(SqliteTestDataSource::noDialect());
        connection.setConnectionString(text);
        connection.open(QStringLiteral("mt"), QStringLiteral("Sesame-42"));
        QCOMPARE(connection.state(), 0);
        QVERIFY(connection.lastError());
        QCOMPARE(connection.lastError()->sqlstate(), QStringLiteral("IM002"));
    }
    QDir::setCurrent(previous);
    // The driver, given an empty data source, would have made a file of the text it was given.
    QVERIFY2(QDir(folder.path()).isEmpty(),
             qPrintable(QDir(folder.path()).entryList(QDir::Files).join(QLatin1Char(','))));
}

void TestOdbcConnection::engineErrorsCarryNumberDescriptionAndState()
{
    std::unique_ptr<OdbcConnection> connection = m_source->open();
    connection->execute(QStringLiteral("create table unique_keys(k integer primary key)"));
    connection->execute(QStringLiteral("insert into unique_keys values(1)"));

    std::optional<DbError> error =
        thrownBy([&] { connection->execute(QStringLiteral("insert into unique_keys values(1)")); });
    QVERIFY(error);
    QCOMPARE(error->number(), 19L); // SQLite's constraint code
    QCOMPARE(error->sqlstate(), QStringLiteral("HY000"));
    QVERIFY2(
        error->description().contains(QLatin1String("UNIQUE constraint failed: unique_keys.k")),
        qPrintable(error->description()));
    QCOMPARE(QString::fromUtf8(error->what()), error->description());

    error =
        thrownBy([&] { connection->openRecordset(QStringLiteral("select * from no_such_table")); });
    QVERIFY(error);
    QCOMPARE(error->number(), 1L);
    QVERIFY(error->description().contains(QLatin1String("no such table: no_such_table")));
    QVERIFY(!error->description().contains(QLatin1String("not connected")));

    // An update that touches no row is no failure.
    connection->execute(QStringLiteral("update unique_keys set k = 5 where k = 99"));
}

void TestOdbcConnection::aClosedConnectionSaysNotConnected()
{
    OdbcConnection neverOpened(SqliteTestDataSource::noDialect());
    std::unique_ptr<OdbcConnection> closed = m_source->open();
    closed->close();
    Command unbound;
    unbound.setCommandText(QStringLiteral("select 1"));
    Command boundToClosed;
    boundToClosed.setActiveConnection(closed.get());
    boundToClosed.setCommandText(QStringLiteral("select 1"));

    const QList<std::function<void()>> actions = {
        [&] { neverOpened.execute(QStringLiteral("select 1")); },
        [&] { neverOpened.openRecordset(QStringLiteral("select 1")); },
        [&] { closed->execute(QStringLiteral("select 1")); },
        [&] { closed->openRecordset(QStringLiteral("select 1"), CursorType::Static); },
        [&] { unbound.execute(); },
        [&] { unbound.open(); },
        [&] { boundToClosed.execute(); },
        [&] { boundToClosed.open(CursorType::Static); },
    };
    for (const auto& action : actions) {
        const std::optional<DbError> error = thrownBy(action);
        QVERIFY(error);
        QVERIFY(error->description().contains(QLatin1String("not connected")));
        QCOMPARE(error->sqlstate(), QStringLiteral("08003"));
    }
}

void TestOdbcConnection::connectionDiagnosticsSayNotConnected()
{
    // The driver manager itself refuses a call on a connection handle that never connected,
    // with a diagnostic of class 08 whose text does not say "not connected".
    const SQLHENV env = OdbcEnvironment::handle();
    SQLHDBC dbc = SQL_NULL_HDBC;
    QVERIFY(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)));
    SQLCHAR name[64];
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, &length);
    QVERIFY(!SQL_SUCCEEDED(rc));
    const DbError error = OdbcDiagnostics::read(SQL_HANDLE_DBC, dbc, "SQLGetInfo");
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);

    QCOMPARE(error.sqlstate().left(2), QStringLiteral("08"));
    QVERIFY2(error.description().contains(QLatin1String("Connection not open")),
             qPrintable(error.description()));
    QVERIFY(error.description().contains(QLatin1String("not connected")));
}

void TestOdbcConnection::aSessionFreesItsStatementsBeforeDisconnecting()
{
    std::shared_ptr<OdbcSession> session =
        OdbcSession::connect(QStringLiteral("DSN=") + m_source->dataSource());
    std::unique_ptr<OdbcStatement> reading = session->newStatement();
    reading->execute(QStringLiteral("select 1 union all select 2"));
    QVERIFY(reading->fetch());
    QCOMPARE(reading->columnNames(), QStringList{QStringLiteral("1")});
    std::unique_ptr<OdbcStatement> idle = session->newStatement();

    session->disconnect();
    QVERIFY(!session->isConnected());
    QVERIFY(!reading->isLive());
    QVERIFY(!idle->isLive());
    const std::optional<DbError> error = thrownBy([&] { reading->fetch(); });
    QVERIFY(error);
    QCOMPARE(error->sqlstate(), QStringLiteral("08003"));
    QVERIFY(thrownBy([&] { idle->execute(QStringLiteral("select 1")); }));
    QVERIFY(thrownBy([&] { session->newStatement(); }));

    // The statements keep their session object alive, never its handles.
    session.reset();
    reading.reset();
    idle.reset();
}

void TestOdbcConnection::closingTheConnectionClosesItsResultSets()
{
    std::unique_ptr<OdbcConnection> connection = m_source->open();
    const QString query = QStringLiteral("select 1 union all select 2 union all select 3");
    std::unique_ptr<Recordset> streaming = connection->openRecordset(query); // rows left unread
    std::unique_ptr<Recordset> held = connection->openRecordset(query, CursorType::Static);
    QVERIFY(streaming->isOpen() && held->isOpen());

    connection->close();

    for (Recordset* recordset : {streaming.get(), held.get()}) {
        QVERIFY(!recordset->isOpen());
        const QList<std::function<void()>> uses = {
            [&] { recordset->moveNext(); },    [&] { recordset->value(0); },
            [&] { recordset->eof(); },         [&] { recordset->bof(); },
            [&] { recordset->requery(); },     [&] { recordset->fieldCount(); },
            [&] { recordset->recordCount(); }, [&] { recordset->absolutePosition(); },
        };
        for (const auto& use : uses) {
            const std::optional<DbError> error = thrownBy(use);
            QVERIFY(error);
            QVERIFY(error->description().contains(QLatin1String("not connected")));
        }
        recordset->close(); // still never throws
    }

    // A new session on the same object does not revive the old result sets.
    connection->open();
    QCOMPARE(connection->state(), 1);
    QVERIFY(!streaming->isOpen());
    QVERIFY(thrownBy([&] { streaming->moveNext(); }));
}

void TestOdbcConnection::resultSetsMayOutliveTheirConnection()
{
    std::unique_ptr<Recordset> streaming;
    std::unique_ptr<Recordset> held;
    {
        std::unique_ptr<OdbcConnection> connection = m_source->open();
        streaming = connection->openRecordset(QStringLiteral("select 1 union all select 2"));
        held = connection->openRecordset(QStringLiteral("select 1"), CursorType::Static);
    } // the connection object is gone; its statement handles must be gone before it
    QVERIFY(!streaming->isOpen());
    QVERIFY(thrownBy([&] { streaming->moveNext(); }));
    QVERIFY(thrownBy([&] { held->value(0); }));
    streaming.reset();
    held.reset();
}

void TestOdbcConnection::statementsAreAppliedAtOnce()
{
    std::unique_ptr<OdbcConnection> writer = m_source->open();
    std::unique_ptr<OdbcConnection> reader = m_source->open();
    writer->execute(QStringLiteral("create table applied(n integer)"));
    writer->execute(QStringLiteral("insert into applied values(7)"));
    QCOMPARE(firstValue(*reader, QStringLiteral("select sum(n) from applied")),
             QStringLiteral("7"));
    writer->close(); // nothing pending is lost on close
    QCOMPARE(firstValue(*reader, QStringLiteral("select count(*) from applied")),
             QStringLiteral("1"));
}

void TestOdbcConnection::aCommandKeepsItsTextAfterAFailure()
{
    std::unique_ptr<OdbcConnection> connection = m_source->open();
    Command command;
    command.setActiveConnection(connection.get());
    QCOMPARE(command.activeConnection(), connection.get());

    command.setCommandText(QStringLiteral("create table commanded(n integer)"));
    command.execute();
    command.setCommandText(QStringLiteral("insert into commanded values(3)"));
    command.execute();
    command.setCommandText(QStringLiteral("select n from commanded"));
    std::unique_ptr<Recordset> recordset = command.open(CursorType::Static);
    QCOMPARE(recordset->recordCount(), 1L);
    QCOMPARE(recordset->value(0), DbValue(QStringLiteral("3")));

    const QString failing = QStringLiteral("insert into commanded values(");
    command.setCommandText(failing);
    QVERIFY(thrownBy([&] { command.execute(); }));
    QCOMPARE(command.commandText(), failing);
}

VARROW_TEST_GUILESS_MAIN(TestOdbcConnection)
#include "tst_odbcconnection.moc"
