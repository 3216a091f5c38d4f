#include "db/ConnectionString.h"
#include "db/OdbcConnection.h"
#include "db/OdbcConnectionFactory.h"
#include "tests/support/SqliteTestDataSource.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QTest>

using testsupport::thrownBy;

namespace {

// What the test dialect saw, kept outside it because the connection owns the dialect.
struct DialectRecord
{
    QStringList dbmsNames;
    int attached = 0;
    std::optional<DialectContext> context;
    std::optional<QString> databaseName;
    std::optional<QString> missingKey;
    QList<RawRow> rawRows;
};

// A small dialect of its own: splits texts at ';', turns "PING" into a query, makes "commit"
// a no-op, refuses the user "intruder" and proves the raw session works while attaching.
class TestDialect : public Dialect
{
public:
    explicit TestDialect(std::shared_ptr<DialectRecord> record) : m_record(std::move(record)) {}

    void attach(RawSession& session, const DialectContext& context) override
    {
        ++m_record->attached;
        m_record->context = context;
        m_record->databaseName = context.dataSourceValue(QStringLiteral("databasename"));
        m_record->missingKey = context.dataSourceValue(QStringLiteral("NoSuchKey"));
        if (context.user == QLatin1String("intruder"))
            throw DbError(-103, QStringLiteral("Invalid user ID or password"),
                          QStringLiteral("28000"));
        // A careless engine that quotes the password, once on its own and once by chance
        // inside a longer word.
        if (context.user == QLatin1String("quoted"))
            throw DbError(-103,
                          QStringLiteral("password '%1' refused by %1lite").arg(context.password),
                          QStringLiteral("28000"));
        // Untouched by translate(): a ';' here would otherwise be split.
        session.executeRaw(QStringLiteral("create table if not exists attach_log(note text)"));
        session.executeRaw(QStringLiteral("insert into attach_log values('a;b')"));
        m_record->rawRows =
            session.queryRaw(QStringLiteral("select note, null, '' from attach_log limit 1"));
    }

    QStringList translate(const QString& commandText) override
    {
        if (commandText.trimmed().compare(QLatin1String("commit"), Qt::CaseInsensitive) == 0)
            return {};
        if (commandText == QLatin1String("PING"))
            return {QStringLiteral("select 'pong' as answer")};
        QStringList statements;
        for (const QString& part : commandText.split(QLatin1Char(';'))) {
            if (!part.trimmed().isEmpty() &&
                part.trimmed().compare(QLatin1String("commit"), Qt::CaseInsensitive) != 0)
                statements.append(part.trimmed());
        }
        return statements;
    }

private:
    std::shared_ptr<DialectRecord> m_record;
};

} // namespace

class TestDialectHook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void theDialectAttachesWithTheConnectionsContext();
    void aRefusedLoginLeavesTheConnectionClosed();
    void aQuotedPasswordIsMasked();
    void severalStatementsStopAtTheFirstError();
    void aQueryMayNeedStatementsBeforeIt();
    void anEmptyTranslationRunsNothing_data();
    void anEmptyTranslationRunsNothing();
    void requeryTranslatesAgain();
    void withoutADialectTextsAreUntouched();
    void theFactoryHandsOnItsDialectFactory();

private:
    DialectFactory dialects()
    {
        return [record = m_record](const QString& dbmsName) -> std::unique_ptr<Dialect> {
            record->dbmsNames.append(dbmsName);
            return std::make_unique<TestDialect>(record);
        };
    }

    std::unique_ptr<SqliteTestDataSource> m_source;
    std::shared_ptr<DialectRecord> m_record;
};

void TestDialectHook::initTestCase()
{
    m_source = std::make_unique<SqliteTestDataSource>(
        QStringLiteral("VarrowHook"),
        OdbcTestConfig::Keys{{QStringLiteral("DatabaseName"), QStringLiteral("HookDb")}});
    QVERIFY2(m_source->isValid(), qPrintable(m_source->error()));
}

void TestDialectHook::init()
{
    m_record = std::make_shared<DialectRecord>();
}

void TestDialectHook::theDialectAttachesWithTheConnectionsContext()
{
    OdbcConnection connection(dialects());
    connection.setConnectionString(
        connectionString(m_source->dataSource(), QStringLiteral("mt"), QStringLiteral("p;w}")));
    connection.open();
    QCOMPARE(connection.state(), 1);

    QCOMPARE(m_record->dbmsNames, QStringList{QStringLiteral("SQLite")});
    QCOMPARE(m_record->attached, 1);
    QVERIFY(m_record->context);
    QCOMPARE(m_record->context->dataSource, QStringLiteral("VarrowHook"));
    QCOMPARE(m_record->context->user, QStringLiteral("mt"));
    QCOMPARE(m_record->context->password, QStringLiteral("p;w}"));
    QCOMPARE(m_record->databaseName, std::optional<QString>(QStringLiteral("HookDb")));
    QCOMPARE(m_record->missingKey, std::optional<QString>());
    const QList<RawRow> expected = {{QStringLiteral("a;b"), std::nullopt, QString()}};
    QCOMPARE(m_record->rawRows, expected);

    // Credentials given to open() replace those of the connection string.
    OdbcConnection other(dialects());
    other.setConnectionString(QStringLiteral("PROVIDER=MSDASQL.1;dsn=VarrowHook;UID=old;PWD=old"));
    other.open(QStringLiteral("LAB1"), QStringLiteral("secret"));
    QCOMPARE(other.state(), 1);
    QCOMPARE(m_record->context->user, QStringLiteral("LAB1"));
    QCOMPARE(m_record->context->password, QStringLiteral("secret"));
}

void TestDialectHook::aRefusedLoginLeavesTheConnectionClosed()
{
    OdbcConnection connection(dialects());
    connection.setConnectionString(QStringLiteral("DSN=VarrowHook"));
    connection.open(QStringLiteral("intruder"), QStringLiteral("Guess-Number-7"));
    QCOMPARE(m_record->attached, 1);
    QCOMPARE(connection.state(), 0);
    QVERIFY(connection.lastError());
    QCOMPARE(connection.lastError()->number(), -103L);
    QCOMPARE(connection.lastError()->sqlstate(), QStringLiteral("28000"));
    QVERIFY(connection.lastError()->description().contains(
        QLatin1String("Invalid user ID or password")));
    QVERIFY(!connection.lastError()->description().contains(QLatin1String("Guess-Number-7")));
    QCOMPARE(connection.dbmsName(), QString());
    QVERIFY(thrownBy([&] { connection.execute(QStringLiteral("select 1")); }));

    // The next login is judged afresh.
    connection.open(QStringLiteral("mt"), QStringLiteral("sql"));
    QCOMPARE(connection.state(), 1);
    QVERIFY(!connection.lastError());
}

void TestDialectHook::aQuotedPasswordIsMasked()
{
    OdbcConnection connection(dialects());
    connection.setConnectionString(QStringLiteral("DSN=VarrowHook"));
    connection.open(QStringLiteral("quoted"), QStringLiteral("sql"));
    QVERIFY(connection.lastError());
    QCOMPARE(connection.lastError()->description(),
             QStringLiteral("password '********' refused by sqllite"));
}

void TestDialectHook::severalStatementsStopAtTheFirstError()
{
    OdbcConnection connection(dialects());
    connection.setConnectionString(QStringLiteral("DSN=VarrowHook"));
    connection.open();
    connection.execute(QStringLiteral("create table steps(n integer);commit"));

    const std::optional<DbError> error = thrownBy([&] {
        connection.execute(QStringLiteral("insert into steps values(1);insert into no_such_table "
                                          "values(2);insert into steps values(3);commit"));
    });
    QVERIFY(error);
    QVERIFY(error->description().contains(QLatin1String("no such table: no_such_table")));

    std::unique_ptr<Recordset> rows =
        connection.openRecordset(QStringLiteral("select n from steps"), CursorType::Static);
    QCOMPARE(rows->recordCount(), 1L);
    QCOMPARE(rows->value(0), DbValue(QStringLiteral("1")));
}

void TestDialectHook::aQueryMayNeedStatementsBeforeIt()
{
    OdbcConnection connection(dialects());
    connection.setConnectionString(QStringLiteral("DSN=VarrowHook"));
    connection.open();
    std::unique_ptr<Recordset> rows = connection.openRecordset(QStringLiteral(
        "create temp table prepared(a);insert into prepared values(5);select a from prepared"));
    QCOMPARE(rows->fieldName(0), QStringLiteral("a"));
    QCOMPARE(rows->value(QStringLiteral("A")), DbValue(QStringLiteral("5")));

    // A failing statement before the query stops it there.
    QVERIFY(thrownBy([&] {
        connection.openRecordset(
            QStringLiteral("insert into nowhere values(1);select a from prepared"));
    }));
}

void TestDialectHook::anEmptyTranslationRunsNothing_data()
{
    testsupport::addCursorTypeRows();
}

void TestDialectHook::anEmptyTranslationRunsNothing()
{
    QFETCH(CursorType, type);
    OdbcConnection connection(dialects());
    connection.setConnectionString(QStringLiteral("DSN=VarrowHook"));
    connection.open();
    connection.execute(QStringLiteral("COMMIT"));
    std::unique_ptr<Recordset> nothing = connection.openRecordset(QStringLiteral("commit"), type);
    QVERIFY(nothing->isOpen());
    QCOMPARE(nothing->fieldCount(), 0);
    QVERIFY(nothing->bof());
    QVERIFY(nothing->eof());
    QCOMPARE(nothing->absolutePosition(), PositionUnknown);
    QCOMPARE(nothing->recordCount(), type == CursorType::Static ? 0L : -1L);
}

void TestDialectHook::requeryTranslatesAgain()
{
    OdbcConnection connection(dialects());
    connection.setConnectionString(QStringLiteral("DSN=VarrowHook"));
    connection.open();
    std::unique_ptr<Recordset> pong =
        connection.openRecordset(QStringLiteral("PING"), CursorType::Static);
    QCOMPARE(pong->value(QStringLiteral("answer")), DbValue(QStringLiteral("pong")));
    pong->moveNext();
    QVERIFY(pong->eof());
    pong->requery();
    QCOMPARE(pong->value(0), DbValue(QStringLiteral("pong")));
}

void TestDialectHook::withoutADialectTextsAreUntouched()
{
    std::unique_ptr<OdbcConnection> connection = m_source->open(); // no dialect
    const std::optional<DbError> error =
        thrownBy([&] { connection->openRecordset(QStringLiteral("PING")); });
    QVERIFY(error);
    QVERIFY2(error->description().contains(QLatin1String("syntax error")),
             qPrintable(error->description()));
}

void TestDialectHook::theFactoryHandsOnItsDialectFactory()
{
    OdbcConnectionFactory factory(dialects());
    std::unique_ptr<Connection> first = factory.create();
    std::unique_ptr<Connection> second = factory.create();
    for (Connection* connection : {first.get(), second.get()}) {
        connection->setConnectionString(QStringLiteral("DSN=VarrowHook"));
        connection->open();
        QCOMPARE(connection->state(), 1);
    }
    QCOMPARE(m_record->attached, 2);
    std::unique_ptr<Recordset> pong = first->openRecordset(QStringLiteral("PING"));
    QCOMPARE(pong->value(0), DbValue(QStringLiteral("pong")));
}

VARROW_TEST_GUILESS_MAIN(TestDialectHook)
#include "tst_dialecthook.moc"
