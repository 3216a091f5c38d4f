#include "db/DbError.h"
#include "postgres/PostgresTranslator.h"
#include "tests/support/TestMain.h"

#include <QtTest>

// Every case sends a command text exactly as the program writes it and names the PostgreSQL
// statements that must reach the driver.
class TestPostgresTranslator : public QObject
{
    Q_OBJECT

private slots:
    void translates_data();
    void translates();
    void refusesWhatItCannotCarryOut_data();
    void refusesWhatItCannotCarryOut();
};

void TestPostgresTranslator::translates_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("expected");

    // Splitting, and the commits the driver's transactions make needless.
    QTest::newRow("statements one by one, commits vanish")
        << "delete from mt.inuse;delete from mt.qel_vr_log;commit;"
        << QStringList{"delete from inuse", "delete from qel_vr_log"};
    QTest::newRow("a commit inside a text is the text's own")
        << "insert into mt.notes values ('commit;rollback');commit"
        << QStringList{"insert into notes values ('commit;rollback')"};
    QTest::newRow("rollback work sends nothing") << " ROLLBACK WORK ;" << QStringList{};
    QTest::newRow("a column named commit_date stays")
        << "select commit_date from history" << QStringList{"select commit_date from history"};

    // Owners: the search path starts with mt, then sys.
    QTest::newRow("owners of tables and three-part columns go")
        << "select mt.inventory.mtag from MT.inventory, LAB1.customers where "
           "mt.inventory.ktag = LAB1.customers.ktag"
        << QStringList{"select inventory.mtag from inventory, customers where inventory.ktag = "
                       "customers.ktag"};
    QTest::newRow("the catalogue's owner goes too")
        << "select domain_name from sys.sysdomain where sys.sysdomain.domain_id = "
           "sys.syscolumn.domain_id"
        << QStringList{
               "select domain_name from sysdomain where sysdomain.domain_id = syscolumn.domain_id"};

    // Functions.
    QTest::newRow("now(*) and now()")
        << "update mt.qel_vr_log set sync_date=now(*) where xtag='A1' and action='INS';commit"
        << QStringList{"update qel_vr_log set sync_date=varrow_now() where xtag='A1' and "
                       "action='INS'"};
    QTest::newRow("the first rows from a given row")
        << "select top 1 start at 4096 event_date from mt.qel_vr_log order by event_date"
        << QStringList{"select event_date from qel_vr_log order by event_date limit 1 offset "
                       "4095"};
    QTest::newRow("left, right and locate keep their names, + joins texts")
        << "update temp_inventory set ktag=temp_customers.ktag from temp_customers where "
           "locate(temp_inventory.ktag,':')>0 and temp_customers.ktag like "
           "left(temp_inventory.ktag,locate(temp_inventory.ktag,':'))+'%';commit"
        << QStringList{"update temp_inventory set ktag=temp_customers.ktag from temp_customers "
                       "where locate(temp_inventory.ktag,':')>0 and temp_customers.ktag like "
                       "left(temp_inventory.ktag,locate(temp_inventory.ktag,':'))||'%'"};
    QTest::newRow("right(...) + text")
        << "select right(i4201, 3) + 'x' from mt.inventory"
        << QStringList{"select right(i4201, 3) || 'x' from inventory"};
    QTest::newRow("+ between numbers stays")
        << "select num_records + 1 from mt.qel_vr_transfer_log"
        << QStringList{"select num_records + 1 from qel_vr_transfer_log"};

    // Updates of one table from others.
    QTest::newRow("multi-table update")
        << "update mt.inventory,temp_inventory set mt.inventory.i4203=temp_inventory.i4203 where "
           "mt.inventory.mtag=temp_inventory.mtag;commit"
        << QStringList{"update inventory set i4203=temp_inventory.i4203 from temp_inventory "
                       "where inventory.mtag=temp_inventory.mtag"};
    QTest::newRow("qualified target of a one-table update")
        << "update temp_inventory set temp_inventory.mtag = xtag where i4201 = asset"
        << QStringList{"update temp_inventory set mtag = xtag where i4201 = asset"};

    // Temporary tables.
    QTest::newRow("temporary table with every kind of column")
        << "declare local temporary table temp_inventory (mtag CHAR(20) NOT NULL,i4201 "
           "VARCHAR(30),notes LONG VARCHAR,flag BIT,tiny TINYINT,qty INT,price NUMERIC(10,2),"
           "ratio DOUBLE,weight FLOAT,seen DATE,at TIME,stamp TIMESTAMP,raw BINARY(8),blob "
           "LONG BINARY,kind VARCHAR(5) DEFAULT 'A') on commit preserve rows"
        << QStringList{
               "create temp table temp_inventory (mtag citext NOT NULL,i4201 citext,"
               "notes citext,flag smallint,tiny smallint,qty INT,price NUMERIC(10,2),"
               "ratio double precision,weight double precision,seen DATE,at TIME,stamp TIMESTAMP,"
               "raw bytea,blob bytea,kind citext DEFAULT 'A')"};
    QTest::newRow("temporary table without local")
        << "declare temporary table t (a VARCHAR(3)) on commit preserve rows"
        << QStringList{"create temp table t (a citext)"};

    // Binary literals.
    QTest::newRow("0x literals become bytea, not inside texts")
        << "insert into mt.inventory (i4290, i4201) values (0x0A1b, '0x12');insert into t "
           "values (0x, 0xABC)"
        << QStringList{"insert into inventory (i4290, i4201) values ('\\x0A1b'::bytea, '0x12')",
                       "insert into t values ('\\x'::bytea, '\\x0ABC'::bytea)"};

    // System procedures and options.
    QTest::newRow("sa_db_info") << "call sa_db_info()"
                                << QStringList{"select * from sa_db_info(0)"};
    QTest::newRow("sa_db_info of another database")
        << "call sa_db_info(1)" << QStringList{"select * from sa_db_info(1)"};
    QTest::newRow("sa_eng_properties")
        << "call sa_eng_properties()" << QStringList{"select * from sa_eng_properties()"};
    QTest::newRow("blocking timeout") << "set temporary option blocking_timeout = 5000;"
                                      << QStringList{"set lock_timeout = 5000"};
    QTest::newRow("blocking timeout without end")
        << "set option public.blocking_timeout = '0'" << QStringList{"set lock_timeout = 0"};
}

void TestPostgresTranslator::translates()
{
    QFETCH(QString, command);
    QFETCH(QStringList, expected);
    QCOMPARE(PostgresTranslator::translate(command), expected);
}

void TestPostgresTranslator::refusesWhatItCannotCarryOut_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("description");
    QTest::newRow("rows lost at commit")
        << "declare local temporary table t (a int) on commit delete rows"
        << "Temporary tables that lose their rows at each commit are not supported: declare "
           "them \"on commit preserve rows\"";
    QTest::newRow("other options") << "set option wait_for_commit = 'On'"
                                   << "The option wait_for_commit is not supported";
    QTest::newRow("a timeout that is no number")
        << "set temporary option blocking_timeout = 'soon'"
        << "The option blocking_timeout takes a number of milliseconds";
    QTest::newRow("two tables changed by one update")
        << "update a, b set a.x = 1, b.y = 2 where a.k = b.k"
        << "An update can change the columns of one table only";
}

void TestPostgresTranslator::refusesWhatItCannotCarryOut()
{
    QFETCH(QString, command);
    QFETCH(QString, description);
    try {
        PostgresTranslator::translate(command);
        QFAIL("translated without complaint");
    } catch (const DbError& error) {
        QCOMPARE(error.description(), description);
        QCOMPARE(error.sqlstate(), QStringLiteral("0A000"));
    }
}

VARROW_TEST_GUILESS_MAIN(TestPostgresTranslator)
#include "tst_postgrestranslator.moc"
