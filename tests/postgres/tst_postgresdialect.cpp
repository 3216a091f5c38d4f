#include "db/DbError.h"
#include "postgres/PostgresDialect.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

using testsupport::thrownBy;

namespace {

// The driver connection as the dialect sees it: every statement recorded, the schema's
// version answered as given.
class FakeSession : public RawSession
{
public:
    QStringList sent;
    std::optional<QString> version = QString::fromLatin1(PostgresDialect::SchemaVersion);
    bool schemaMissing = false;

    void executeRaw(const QString& sql) override { sent.append(sql); }
    QList<RawRow> queryRaw(const QString& sql) override
    {
        sent.append(sql);
        if (sql.contains(QLatin1String("varrow_version"))) {
            if (schemaMissing)
                throw DbError(1, QStringLiteral("ERROR: schema \"sys\" does not exist"),
                              QStringLiteral("3F000"));
            return {{version}};
        }
        return {{QString()}};
    }
};

DialectContext context(const QHash<QString, QString>& keys)
{
    DialectContext c;
    c.dataSource = QStringLiteral("LabMaster");
    c.user = QStringLiteral("mt");
    c.password = QStringLiteral("secret");
    c.dataSourceValue = [keys](const QString& key) -> std::optional<QString> {
        if (!keys.contains(key))
            return std::nullopt;
        return keys.value(key);
    };
    return c;
}

} // namespace

// What the dialect checks and sets when a connection is made, and how it names a lock.
class TestPostgresDialect : public QObject
{
    Q_OBJECT

private slots:
    // The facts the system functions report, the search path and quiet notices, in one
    // statement; the machine falls back to the server's name, never to a socket folder.
    void attachSetsTheSessionUp_data()
    {
        QTest::addColumn<QStringList>("keys"); // key=value pairs
        QTest::addColumn<QString>("expected");
        QTest::newRow("every key") << QStringList{"DatabaseName=caldata", "EngineName=LabServer",
                                                  "MachineName=LAB-01", "Servername=db1"}
                                   << "select set_config('varrow.alias', 'caldata', false), "
                                      "set_config('varrow.engine', 'LabServer', false), "
                                      "set_config('varrow.machine', 'LAB-01', false), "
                                      "set_config('search_path', 'mt, sys, public', false), "
                                      "set_config('client_min_messages', 'warning', false)";
        QTest::newRow("machine from the server")
            << QStringList{"Servername=db.lab.example", "Protocol=7.4-2"}
            << "select set_config('varrow.alias', '', false), "
               "set_config('varrow.engine', '', false), "
               "set_config('varrow.machine', 'db.lab.example', false), "
               "set_config('search_path', 'mt, sys, public', false), "
               "set_config('client_min_messages', 'warning', false)";
    }
    void attachSetsTheSessionUp()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, expected);
        QHash<QString, QString> values;
        for (const QString& pair : keys)
            values.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        FakeSession session;
        PostgresDialect dialect;
        dialect.attach(session, context(values));
        QCOMPARE(session.sent, (QStringList{"select sys.varrow_version()", expected}));
    }

    // Connections the dialect refuses, with what it says.
    void attachRefuses_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<bool>("schemaMissing");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("description");
        QTest::newRow("whole transaction undone")
            << "7.4-1" << false << "1"
            << "The data source \"LabMaster\" asks the PostgreSQL driver to undo more than a "
               "failed statement (Protocol=7.4-1): set Protocol=7.4-2, or leave the key out";
        QTest::newRow("nothing undone")
            << "7.4-0" << false << "1"
            << "The data source \"LabMaster\" asks the PostgreSQL driver to undo more than a "
               "failed statement (Protocol=7.4-0): set Protocol=7.4-2, or leave the key out";
        QTest::newRow("no schema sys")
            << "" << true << "1"
            << "The database of data source \"LabMaster\" is not set up for Varrow: it lacks the "
               "schema \"sys\" of the engine stand-in, version 1 (ERROR: schema \"sys\" does not "
               "exist)";
        QTest::newRow("another version")
            << "" << false << "0"
            << "The database of data source \"LabMaster\" is not set up for Varrow: it lacks the "
               "schema \"sys\" of the engine stand-in, version 1 (it has version \"0\")";
    }
    void attachRefuses()
    {
        QFETCH(QString, protocol);
        QFETCH(bool, schemaMissing);
        QFETCH(QString, version);
        QFETCH(QString, description);
        FakeSession session;
        session.schemaMissing = schemaMissing;
        session.version = version;
        QHash<QString, QString> keys;
        if (!protocol.isEmpty())
            keys.insert(QStringLiteral("Protocol"), protocol);
        PostgresDialect dialect;
        const std::optional<DbError> error =
            thrownBy([&] { dialect.attach(session, context(keys)); });
        QVERIFY(error);
        QCOMPARE(error->description(), description);
        QVERIFY(!error->description().contains(QLatin1String("secret")));
    }

    // A lock timeout, a deadlock and a serialisation failure are another program's lock;
    // every other failure stays as the driver said it.
    void describeNamesLocks_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("locked");
        QTest::newRow("lock timeout") << "55P03" << true;
        QTest::newRow("deadlock") << "40P01" << true;
        QTest::newRow("serialisation") << "40001" << true;
        QTest::newRow("unique key") << "23505" << false;
    }
    void describeNamesLocks()
    {
        QFETCH(QString, state);
        QFETCH(bool, locked);
        FakeSession session;
        PostgresDialect dialect;
        dialect.attach(session, context({}));
        const DbError driver(7, QStringLiteral("ERROR: something"), state);
        const DbError described = dialect.describe(driver);
        QCOMPARE(described.description().contains(
                     QLatin1String("the database of data source \"LabMaster\" is locked by "
                                   "another program")),
                 locked);
        if (!locked)
            QCOMPARE(described.description(), driver.description());
    }
};

VARROW_TEST_GUILESS_MAIN(TestPostgresDialect)
#include "tst_postgresdialect.moc"
