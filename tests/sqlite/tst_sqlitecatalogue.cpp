#include "SqliteTestDatabase.h"
#include "sqlite/SqliteCatalogue.h"
#include "sqlite/SqliteTranslator.h"
#include "tests/support/TestMain.h"

#include <QTemporaryDir>
#include <QtTest>

// The catalogue views answer the program's catalogue queries, sent as the program writes
// them and translated, as the engine's catalogue tables would.
class TestSqliteCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void columnsOfATable();
    void oneColumn_data();
    void oneColumn();
    void fieldTypes_data();
    void fieldTypes();
    void tablesListedAreTheSchemasOwn_data();
    void tablesListedAreTheSchemasOwn();
    void domainsIncludeEveryOneTheProgramKnows();

private:
    QStringList ask(const QString& command);

    QTemporaryDir m_dir;
    std::unique_ptr<SqliteTestDatabase> m_db;
};

void TestSqliteCatalogue::initTestCase()
{
    m_db = std::make_unique<SqliteTestDatabase>(m_dir.filePath(QStringLiteral("catalogue.db")));
    QCOMPARE(m_db->exec(QStringLiteral(
                 "create table inventory (mtag CHAR(20) COLLATE NOCASE NOT NULL PRIMARY KEY, "
                 "i4201 VARCHAR(30) COLLATE NOCASE, qty INTEGER DEFAULT 0, price NUMERIC(10,2) "
                 "NOT NULL DEFAULT 0, ratio DOUBLE, due DATE, at TIME, stamp TIMESTAMP, notes "
                 "LONG VARCHAR COLLATE NOCASE DEFAULT 'none', small SMALLINT, tiny TINYINT, "
                 "amount DECIMAL(8,3), single FLOAT, wide FLOAT(53), pic LONG BINARY, raw "
                 "BINARY(16), plain NUMERIC, fixed char, untyped);"
                 "create view items as select mtag, i4201 from inventory;"
                 "create table counters (id integer primary key autoincrement);"
                 "insert into counters default values;"
                 "create table calibration (ctag char(20) primary key, mtag char(20));"
                 "create temp table temp_inventory (mtag char(20));")),
             QString());
    QCOMPARE(m_db->value(QStringLiteral("select varrow_set_login('mt', 'sql')")),
             QStringLiteral("1"));
    for (const QString& view : SqliteCatalogue::viewDefinitions())
        QCOMPARE(m_db->exec(view), QString());
}

QStringList TestSqliteCatalogue::ask(const QString& command)
{
    const QStringList statements = SqliteTranslator().translate(command);
    return statements.size() == 1 ? m_db->query(statements.first())
                                  : QStringList{QStringLiteral("several statements")};
}

void TestSqliteCatalogue::columnsOfATable()
{
    const QString query = QStringLiteral(
        "select column_name,cast(\"default\" as char),nulls,(select domain_name from "
        "sys.sysdomain where sys.sysdomain.domain_id = sys.syscolumn.domain_id),width,scale "
        "from sys.syscolumn where table_id = (select table_id from sys.systable where "
        "table_name = '%1' and table_type = 'base') order by column_id asc");
    const QStringList expected{"mtag|(NULL)|N|char|20|0",
                               "i4201|(NULL)|Y|varchar|30|0",
                               "qty|0|Y|integer|4|0",
                               "price|0|N|numeric|10|2",
                               "ratio|(NULL)|Y|double|8|0",
                               "due|(NULL)|Y|date|4|0",
                               "at|(NULL)|Y|time|8|0",
                               "stamp|(NULL)|Y|timestamp|8|0",
                               "notes|'none'|Y|long varchar|32767|0",
                               "small|(NULL)|Y|smallint|2|0",
                               "tiny|(NULL)|Y|tinyint|1|0",
                               "amount|(NULL)|Y|decimal|8|3",
                               "single|(NULL)|Y|float|4|0",
                               "wide|(NULL)|Y|double|8|0",
                               "pic|(NULL)|Y|long binary|32767|0",
                               "raw|(NULL)|Y|binary|16|0",
                               "plain|(NULL)|Y|numeric|30|6",
                               "fixed|(NULL)|Y|char|1|0",
                               "untyped|(NULL)|Y|long varchar|32767|0"};
    QCOMPARE(ask(query.arg(QLatin1String("inventory"))), expected);
    // Table names compare without regard to case, as CreateSelectList("Inventory") relies on.
    QCOMPARE(ask(query.arg(QLatin1String("Inventory"))), expected);
    QCOMPARE(ask(query.arg(QLatin1String("temp_inventory"))), QStringList{});
}

void TestSqliteCatalogue::oneColumn_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("a long text") << "notes" << QStringList{"notes|'none'|Y|long varchar|32767|0"};
    QTest::newRow("name in other case") << "MTAG" << QStringList{"mtag|(NULL)|N|char|20|0"};
    QTest::newRow("missing") << "nothing" << QStringList{};
}

void TestSqliteCatalogue::oneColumn()
{
    QFETCH(QString, column);
    QFETCH(QStringList, expected);
    QCOMPARE(ask(QStringLiteral(
                     "select column_name,cast(\"default\" as char),nulls,(select domain_name "
                     "from sys.sysdomain where sys.sysdomain.domain_id = sys.syscolumn.domain_id),"
                     "width,scale from sys.syscolumn where table_id=(select table_id from "
                     "sys.systable where table_name = 'inventory' and table_type = 'base') and "
                     "column_name='%1'")
                     .arg(column)),
             expected);
}

void TestSqliteCatalogue::fieldTypes_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("text") << "MTag"
                          << "Inventory" << QStringList{"char"};
    QTest::newRow("timestamp") << "stamp"
                               << "inventory" << QStringList{"timestamp"};
    QTest::newRow("owner given: no table") << "mtag"
                                           << "mt.inventory" << QStringList{};
    QTest::newRow("same name in two tables") << "mtag"
                                             << "calibration" << QStringList{"char"};
}

void TestSqliteCatalogue::fieldTypes()
{
    QFETCH(QString, column);
    QFETCH(QString, table);
    QFETCH(QStringList, expected);
    QCOMPARE(ask(QStringLiteral("select domain_name from sys.sysdomain where domain_id=(select "
                                "max(domain_id) from sys.syscolumn where column_name='%1' and "
                                "table_id in (select table_id from sys.systable where "
                                "table_name='%2'))")
                     .arg(column, table)),
             expected);
}

void TestSqliteCatalogue::tablesListedAreTheSchemasOwn_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("a table") << "INVENTORY" << QStringList{"inventory|BASE"};
    QTest::newRow("a view") << "items" << QStringList{"items|VIEW"};
    QTest::newRow("the login table") << "varrow_login" << QStringList{};
    QTest::newRow("SQLite's names") << "sqlite_sequence" << QStringList{};
    QTest::newRow("a temporary table") << "temp_inventory" << QStringList{};
    QTest::newRow("the catalogue itself") << "systable" << QStringList{};
}

void TestSqliteCatalogue::tablesListedAreTheSchemasOwn()
{
    QFETCH(QString, table);
    QFETCH(QStringList, expected);
    QCOMPARE(ask(QStringLiteral("SELECT table_name, table_type FROM sys.systable WHERE "
                                "table_name = '%1'")
                     .arg(table)),
             expected);
}

void TestSqliteCatalogue::domainsIncludeEveryOneTheProgramKnows()
{
    const QStringList names = ask(QStringLiteral("select domain_name from sys.sysdomain"));
    for (const char* name :
         {"char", "varchar", "integer", "smallint", "tinyint", "numeric", "decimal", "double",
          "float", "date", "time", "timestamp", "long varchar", "binary", "long binary"})
        QVERIFY2(names.contains(QLatin1String(name)), name);
    QCOMPARE(ask(QStringLiteral("select count(*) from sys.sysdomain where domain_name = 'LONG "
                                "VARCHAR'")),
             QStringList{"1"});
}

VARROW_TEST_GUILESS_MAIN(TestSqliteCatalogue)
#include "tst_sqlitecatalogue.moc"
