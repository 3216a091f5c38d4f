#include "db/DbError.h"
#include "sqlite/SqlTokenizer.h"
#include "sqlite/SqliteTranslator.h"
#include "tests/support/TestMain.h"

#include <QtTest>

// Every case sends a command text exactly as the program writes it and names the SQLite
// statements that must reach the driver.
class TestSqliteTranslator : public QObject
{
    Q_OBJECT

private slots:
    void translates_data();
    void translates();
    void binaryLiterals_data();
    void binaryLiterals();
    void readsRealsWhole_data();
    void readsRealsWhole();
    void refusesWhatItCannotCarryOut_data();
    void refusesWhatItCannotCarryOut();
    void tokensGiveBackTheText_data();
    void tokensGiveBackTheText();

private:
    static SqliteTranslator translator();
};

SqliteTranslator TestSqliteTranslator::translator()
{
    SessionFacts facts;
    facts.alias = QStringLiteral("O'Hare");
    facts.file = QStringLiteral("/data/remote.db");
    facts.logName = QStringLiteral("/data/remote.db-wal");
    facts.pageSize = 4096;
    facts.engineName = QStringLiteral("field_engine");
    facts.productVersion = QStringLiteral("3.40.1");
    facts.platform = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
    facts.machineName = QStringLiteral("FIELD-1");
    SqliteTranslator translator;
    translator.setSessionFacts(facts);
    return translator;
}

void TestSqliteTranslator::translates_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("expected");

    // Several statements, commits and quoting.
    QTest::newRow("statements run one by one, commits vanish")
        << "delete from mt.inuse;delete from mt.qel_vr_log;delete from "
           "mt.qel_vr_transfer_log;commit;"
        << QStringList{"delete from inuse", "delete from qel_vr_log",
                       "delete from qel_vr_transfer_log"};
    QTest::newRow("a lone commit sends nothing") << "commit" << QStringList{};
    QTest::newRow("rollback work sends nothing") << " ROLLBACK WORK ;" << QStringList{};
    QTest::newRow("a statement that begins with commit is kept")
        << "select commit_date from history" << QStringList{"select commit_date from history"};
    QTest::newRow("semicolons and quotes inside strings")
        << "insert into mt.customers (ktag,k4601) values ('K;1','O''Brien; Ltd');commit"
        << QStringList{"insert into customers (ktag,k4601) values ('K;1','O''Brien; Ltd')"};
    QTest::newRow("semicolons inside names and comments")
        << "select \"a;b\" from t /* ; */;select 2 -- x;y"
        << QStringList{"select \"a;b\" from t /* ; */", "select 2 -- x;y"};
    QTest::newRow("empty statements vanish") << " ; ;select 1;; " << QStringList{"select 1"};
    QTest::newRow("a trigger body stays whole")
        << "create trigger tr after insert on mt.inventory begin insert into mt.qel_vr_log(xtag) "
           "values (new.mtag); update x set a = case when 1 then 2 end; end;select 1"
        << QStringList{"create trigger tr after insert on inventory begin insert into "
                       "qel_vr_log(xtag) values (new.mtag); update x set a = case when 1 then 2 "
                       "end; end",
                       "select 1"};

    // The catalogue queries as the program sends them.
    QTest::newRow("column catalogue")
        << "select column_name,cast(\"default\" as char),nulls,(select domain_name from "
           "sys.sysdomain where sys.sysdomain.domain_id = sys.syscolumn.domain_id),width,scale "
           "from sys.syscolumn where table_id = (select table_id from sys.systable where "
           "table_name = 'inventory' and table_type = 'base') order by column_id asc"
        << QStringList{"select column_name,cast(\"default\" as char),nulls,(select domain_name "
                       "from sysdomain where sysdomain.domain_id = syscolumn.domain_id),width,"
                       "scale from syscolumn where table_id = (select table_id from systable "
                       "where table_name = 'inventory' and table_type = 'base') order by "
                       "column_id asc"};
    QTest::newRow("one column of the catalogue")
        << "select column_name,cast(\"default\" as char),nulls,(select domain_name from "
           "sys.sysdomain where sys.sysdomain.domain_id = sys.syscolumn.domain_id),width,scale "
           "from sys.syscolumn where table_id=(select table_id from sys.systable where "
           "table_name = 'inventory' and table_type = 'base') and column_name='notes'"
        << QStringList{"select column_name,cast(\"default\" as char),nulls,(select domain_name "
                       "from sysdomain where sysdomain.domain_id = syscolumn.domain_id),width,"
                       "scale from syscolumn where table_id=(select table_id from systable where "
                       "table_name = 'inventory' and table_type = 'base') and "
                       "column_name='notes'"};
    QTest::newRow("field type")
        << "select domain_name from sys.sysdomain where domain_id=(select max(domain_id) from "
           "sys.syscolumn where column_name='mtag' and table_id in (select table_id from "
           "sys.systable where table_name='inventory'))"
        << QStringList{"select domain_name from sysdomain where domain_id=(select max(domain_id) "
                       "from syscolumn where column_name='mtag' and table_id in (select "
                       "table_id from systable where table_name='inventory'))"};
    QTest::newRow("table exists")
        << "SELECT table_name FROM sys.systable WHERE table_name = 'qel_vr_scratch'"
        << QStringList{"SELECT table_name FROM systable WHERE table_name = 'qel_vr_scratch'"};

    // Temporary tables and their indexes.
    QTest::newRow("temporary table declaration")
        << "declare local temporary table temp_calibration (mtag CHAR(20) DEFAULT 'x' NOT "
           "NULL,c2301 DATE) on commit preserve rows"
        << QStringList{"create temp table temp_calibration (mtag CHAR(20) COLLATE NOCASE "
                       "DEFAULT 'x' NOT NULL,c2301 DATE)"};
    QTest::newRow("temporary table of every domain")
        << "declare local temporary table temp_inventory (mtag CHAR(20) NOT NULL,qty INT,"
           "price NUMERIC(10,2) DEFAULT 0,ratio DOUBLE,due DATE,stamp TIMESTAMP,notes LONG "
           "VARCHAR,at TIME,code VARCHAR(5) COLLATE BINARY,small SMALLINT,flag BIT,pic LONG "
           "BINARY,raw BINARY(8)) on commit preserve rows"
        << QStringList{"create temp table temp_inventory (mtag CHAR(20) COLLATE NOCASE NOT NULL,"
                       "qty INT,price NUMERIC(10,2) DEFAULT 0,ratio DOUBLE,due DATE,stamp "
                       "TIMESTAMP,notes LONG VARCHAR COLLATE NOCASE,at TIME,code VARCHAR(5) "
                       "COLLATE BINARY,small SMALLINT,flag INTEGER,pic BLOB,raw BLOB)"};
    QTest::newRow("temporary table with a key")
        << "DECLARE LOCAL TEMPORARY TABLE t (a char(3), b int, primary key (a, b)) NOT "
           "TRANSACTIONAL"
        << QStringList{"create temp table t (a char(3) COLLATE NOCASE, b int, primary key (a, b))"};
    QTest::newRow("indexes on temporary tables, two blanks kept")
        << "create index it4201 on temp_inventory(i4201);commit;create index itmtag  on "
           "temp_inventory(mtag);commit;create index scmtag on temp_qel_vr_scratch(mtag);commit;"
           "create index sasset on temp_qel_vr_scratch(asset);commit"
        << QStringList{"create index it4201 on temp_inventory(i4201)",
                       "create index itmtag  on temp_inventory(mtag)",
                       "create index scmtag on temp_qel_vr_scratch(mtag)",
                       "create index sasset on temp_qel_vr_scratch(asset)"};
    QTest::newRow("index on an owned table")
        << "create unique index ix on mt.inventory(i4201)"
        << QStringList{"create unique index ix on inventory(i4201)"};

    // Updates.
    QTest::newRow("update from a master table")
        << "update temp_customers,mt.customers set temp_customers.ktag=mt.customers.ktag where "
           "temp_customers.k4601=mt.customers.k4601;commit "
        << QStringList{"update temp_customers set ktag=customers.ktag from customers where "
                       "temp_customers.k4601=customers.k4601"};
    QTest::newRow("update through a like pattern")
        << "update temp_inventory,temp_customers set temp_inventory.ktag=temp_customers.ktag "
           "where temp_customers.ktag like left(temp_inventory.ktag,locate(temp_inventory.ktag,"
           "':'))+'%';commit"
        << QStringList{"update temp_inventory set ktag=temp_customers.ktag from temp_customers "
                       "where temp_customers.ktag like varrow_left(temp_inventory.ktag,"
                       "locate(temp_inventory.ktag,':'))||'%'"};
    QTest::newRow("update with an unqualified target and a segregate owner")
        << "update temp_qel_vr_scratch,LAB1.inventory set xtag = LAB1.inventory.mtag where "
           "asset = i4201;commit;"
        << QStringList{"update temp_qel_vr_scratch set xtag = inventory.mtag from inventory "
                       "where asset = i4201"};
    QTest::newRow("update of the second table of the list")
        << "update temp_qel_vr_scratch,temp_inventory set temp_inventory.mtag = xtag where "
           "i4201 = asset;commit;"
        << QStringList{"update temp_inventory set mtag = xtag from temp_qel_vr_scratch where "
                       "i4201 = asset"};
    QTest::newRow("update through aliases")
        << "update inventory i, calibration c set c.mtag = i.mtag, c.c2301 = '2011-06-14' "
           "where c.ctag = 'C1'"
        << QStringList{"update calibration c set mtag = i.mtag, c2301 = '2011-06-14' from "
                       "inventory i where c.ctag = 'C1'"};
    QTest::newRow("update of one table with qualified targets")
        << "update temp_x set temp_x.c = 1, d = 2 where temp_x.e = 3"
        << QStringList{"update temp_x set c = 1, d = 2 where temp_x.e = 3"};
    QTest::newRow("update with a correlated sub-select is left alone")
        << "update temp_calibration set mtag=(select max(xtag) from temp_qel_vr_scratch where "
           "temp_qel_vr_scratch.mtag=temp_calibration.mtag);commit"
        << QStringList{"update temp_calibration set mtag=(select max(xtag) from "
                       "temp_qel_vr_scratch where temp_qel_vr_scratch.mtag="
                       "temp_calibration.mtag)"};
    QTest::newRow("markers and trims")
        << "update temp_inventory set i4201 = trim(i4201),mtag = trim(mtag);commit"
        << QStringList{"update temp_inventory set i4201 = trim(i4201),mtag = trim(mtag)"};

    // Functions and operators.
    QTest::newRow("now(*) stamps")
        << "update mt.qel_vr_log set sync_date=now(*) where xtag='M1' and action='INS';commit"
        << QStringList{"update qel_vr_log set sync_date=varrow_now() where xtag='M1' and "
                       "action='INS'"};
    QTest::newRow("the first rows from a given row")
        << "select top 1 start at 5000 event_date from mt.qel_vr_log where sync_date is null "
           "order by event_date;commit"
        << QStringList{"select event_date from qel_vr_log where sync_date is null order by "
                       "event_date limit 1 offset 4999"};
    QTest::newRow("the first rows of a sub-select, after distinct")
        << "select x from t where k=(select distinct TOP 3 k from u order by k) and 1=1"
        << QStringList{"select x from t where k=(select distinct k from u order by k limit 3) "
                       "and 1=1"};
    QTest::newRow("a count that is not a number is the engine's to refuse")
        << "select top n a from t" << QStringList{"select top n a from t"};
    QTest::newRow("now() without a star") << "select NOW ( )" << QStringList{"select varrow_now()"};
    QTest::newRow("a long text cast passes")
        << "select cast(notes AS char(32767)) from LAB1.inventory where mtag='M1'"
        << QStringList{"select cast(notes AS char(32767)) from inventory where mtag='M1'"};
    QTest::newRow("joins keep LEFT and RIGHT")
        << "select a.x from a left join b on a.k = b.k right outer join c on c.k = a.k"
        << QStringList{
               "select a.x from a left join b on a.k = b.k right outer join c on c.k = a.k"};
    QTest::newRow("right() and locate()")
        << "select right(ktag, 2), locate(ktag, ':', 2) from mt.inventory"
        << QStringList{"select varrow_right(ktag, 2), locate(ktag, ':', 2) from inventory"};
    QTest::newRow("texts joined with +") << "select 'a' + 'b'" << QStringList{"select 'a' || 'b'"};
    QTest::newRow("numbers added with +")
        << "select 1 + 2, price + 1, 'x' + 1, a - 'b' from t"
        << QStringList{"select 1 + 2, price + 1, 'x' + 1, a - 'b' from t"};
    QTest::newRow("a chain of texts")
        << "select trim(a) + ':' + b from t" << QStringList{"select trim(a) || ':' || b from t"};
    QTest::newRow("precedence kept with parentheses")
        << "select a * 2 + 'x', 'y' + b / 3 from t"
        << QStringList{"select (a * 2) || 'x', 'y' || (b / 3) from t"};
    QTest::newRow("a parenthesised text is a text")
        << "select ('a' + b) + c from t" << QStringList{"select ('a' || b) || c from t"};
    QTest::newRow("a cast to a character type is a text")
        << "select x from t where x like cast(y as char(10)) + '%' or x = cast(y as int) + 1"
        << QStringList{"select x from t where x like cast(y as char(10)) || '%' or x = cast(y as "
                       "int) + 1"};
    QTest::newRow("an alias ends the operand")
        << "select left(k,2)+'%' pattern, 'a'+'b' AS ab from t"
        << QStringList{"select varrow_left(k,2)||'%' pattern, 'a'||'b' AS ab from t"};

    // Owners.
    QTest::newRow("owners of tables in a join")
        << "select * from MT.customers c join mt.inventory i on c.ktag = i.ktag"
        << QStringList{"select * from customers c join inventory i on c.ktag = i.ktag"};
    QTest::newRow("owners in sub-selects, no blank before and")
        << "delete from temp_results where ctag in (select ctag from LAB1.results)and row_num "
           "in (select row_num from LAB1.results);commit;"
        << QStringList{"delete from temp_results where ctag in (select ctag from results)and "
                       "row_num in (select row_num from results)"};
    QTest::newRow("a list of owned tables")
        << "select count(*) from mt.inventory, mt.calibration where inventory.mtag = "
           "calibration.mtag"
        << QStringList{"select count(*) from inventory, calibration where inventory.mtag = "
                       "calibration.mtag"};
    QTest::newRow("an insert straight after the table name")
        << "insert into mt.qel_vr_transfer_log(host_name,user_name)values('H','mt');commit"
        << QStringList{"insert into qel_vr_transfer_log(host_name,user_name)values('H','mt')"};
    QTest::newRow("three-part column references and t.*")
        << "select mt.inventory.mtag, inventory.i4201, mt.inventory.* from mt.inventory"
        << QStringList{"select inventory.mtag, inventory.i4201, inventory.* from inventory"};
    QTest::newRow("an owned function call")
        << "delete from temp_calibration where mt.qel_vr_cal_record_confirm(temp_calibration.c2301,"
           "temp_calibration.c2333,temp_calibration.mtag)=1;commit"
        << QStringList{"delete from temp_calibration where qel_vr_cal_record_confirm("
                       "temp_calibration.c2301,temp_calibration.c2333,temp_calibration.mtag)=1"};
    QTest::newRow("the scratch table's creation")
        << "CREATE TABLE mt.qel_vr_scratch (asset CHAR(80),mtag CHAR(80),xtag CHAR(80));"
        << QStringList{"CREATE TABLE qel_vr_scratch (asset CHAR(80),mtag CHAR(80),xtag CHAR(80))"};
    QTest::newRow("SQLite's own schemas stay")
        << "select main.inventory.mtag from main.inventory, temp.t"
        << QStringList{"select main.inventory.mtag from main.inventory, temp.t"};
    QTest::newRow("owners inside strings stay")
        << "select 'mt.inventory' from x where y = \"mt.a\""
        << QStringList{"select 'mt.inventory' from x where y = \"mt.a\""};

    // System procedures.
    QTest::newRow("database information")
        << "call sa_db_info()"
        << QStringList{"select 0 as Number, 'O''Hare' as Alias, '/data/remote.db' as File, 4096 "
                       "as PageSize, '/data/remote.db-wal' as LogName, null as LogMirrorName, "
                       "'Off' as ReadOnly"};
    QTest::newRow("database information of another number has no row")
        << "CALL sys.sa_db_info( 1 );commit"
        << QStringList{"select 0 as Number, 'O''Hare' as Alias, '/data/remote.db' as File, 4096 "
                       "as PageSize, '/data/remote.db-wal' as LogName, null as LogMirrorName, "
                       "'Off' as ReadOnly where 0"};
    QTest::newRow("engine properties")
        << "call sa_eng_properties()"
        << QStringList{"select column1 as PropNum, column2 as PropName, column3 as "
                       "PropDescription, column4 as Value from (values (1, 'Name', 'Name of the "
                       "database server', 'field_engine'), (2, 'ProductName', 'Name of the "
                       "database product', 'SQLite (Varrow SQL Anywhere stand-in)'), (3, "
                       "'ProductVersion', 'Version of the database product', '3.40.1'), (4, "
                       "'Platform', 'Operating system the server runs on', 'Debian GNU/Linux 12 "
                       "(bookworm)'), (5, 'MachineName', 'Name of the computer the server runs "
                       "on', 'FIELD-1')) order by 1"};
    QTest::newRow("other calls pass") << "call my_proc()" << QStringList{"call my_proc()"};

    // Plain SQLite passes untouched.
    QTest::newRow("pragma") << "pragma journal_mode" << QStringList{"pragma journal_mode"};

    // The wait for a lock: half for each of the driver's two tries; 0 waits without end.
    QTest::newRow("blocking timeout") << "set temporary option blocking_timeout = 30000"
                                      << QStringList{"pragma busy_timeout = 15000"};
    QTest::newRow("blocking timeout of the public, as text")
        << "SET OPTION public.Blocking_Timeout='1001';commit"
        << QStringList{"pragma busy_timeout = 501"};
    QTest::newRow("blocking timeout without end")
        << "set temporary option blocking_timeout = 0"
        << QStringList{"pragma busy_timeout = 2147483647"};
    QTest::newRow("an update of a column named option")
        << "update mt.t set option = 1" << QStringList{"update t set option = 1"};
    QTest::newRow("SQLite DDL")
        << "create table t (a text, b integer primary key autoincrement)"
        << QStringList{"create table t (a text, b integer primary key autoincrement)"};
    QTest::newRow("SQLite upsert")
        << "insert into t(a) values ('x') on conflict(a) do update set a = excluded.a"
        << QStringList{"insert into t(a) values ('x') on conflict(a) do update set a = excluded.a"};
}

void TestSqliteTranslator::translates()
{
    QFETCH(QString, command);
    QFETCH(QStringList, expected);
    QCOMPARE(translator().translate(command), expected);
}

void TestSqliteTranslator::binaryLiterals_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("expected");
    QTest::newRow("the transfer's write")
        << "update MT.inventory set i4219=0x00FF10DB98D61E0F where mtag='M1';commit"
        << "update inventory set i4219=X'00FF10DB98D61E0F' where mtag='M1'";
    QTest::newRow("the row copy's values")
        << "insert into temp_results_raw (ctag,w2704,w2705) values ('C1',0x0102,0x);commit"
        << "insert into temp_results_raw (ctag,w2704,w2705) values ('C1',X'0102',X'')";
    QTest::newRow("odd digits, any case") << "select 0XaB1"
                                          << "select X'0aB1'";
    QTest::newRow("inside a text") << "insert into t (s,b) values ('0x41 and ''0x42''',0x41)"
                                   << "insert into t (s,b) values ('0x41 and ''0x42''',X'41')";
    QTest::newRow("inside names and comments") << "select \"0x41\", [0x42] from t -- 0x43"
                                               << "select \"0x41\", [0x42] from t -- 0x43";
    QTest::newRow("no binary literals") << "select 0x1G, 10x1, a0x1, 0.5, 0 from t"
                                        << "select 0x1G, 10x1, a0x1, 0.5, 0 from t";
}

void TestSqliteTranslator::binaryLiterals()
{
    QFETCH(QString, command);
    QFETCH(QString, expected);
    QCOMPARE(translator().translate(command), QStringList{expected});
}

void TestSqliteTranslator::readsRealsWhole_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("expected"); // "=": the statement stays as it is

    QTest::newRow("the transfer's read")
        << "select i4213 from MT.inventory where mtag='M1'"
        << "select varrow_exact(i4213) AS \"i4213\" from inventory where mtag='M1'";
    QTest::newRow("a select list, qualified and in any case")
        << "select mtag,inventory.I4213, c2505 ,cast(i4218 AS char(32767)) from mt.inventory"
        << "select mtag,varrow_exact(inventory.I4213) AS \"I4213\", varrow_exact(c2505) AS "
           "\"c2505\" ,cast(i4218 AS char(32767)) from inventory";
    QTest::newRow("owner, table and column")
        << "select MT.calresults.c2505 from MT.calresults"
        << "select varrow_exact(calresults.c2505) AS \"c2505\" from calresults";
    QTest::newRow("an alias stays the name")
        << "select i4213 as accuracy, c2505 \"as found\" from t"
        << "select varrow_exact(i4213) AS \"accuracy\", varrow_exact(c2505) AS \"as found\" from t";
    QTest::newRow("a quoted column") << "select \"i4213\" from t"
                                     << "select varrow_exact(\"i4213\") AS \"i4213\" from t";
    QTest::newRow("ALL is no DISTINCT") << "select all i4213 from t"
                                        << "select all varrow_exact(i4213) AS \"i4213\" from t";
    QTest::newRow("ordered by another column")
        << "select i4213 from t where mtag = 'i4213' order by mtag desc limit 5"
        << "select varrow_exact(i4213) AS \"i4213\" from t where mtag = 'i4213' order by mtag "
           "desc limit 5";
    QTest::newRow("subqueries keep theirs")
        << "select (select i4213 from u) as a, c2505 from t where k in (select i4213 from v)"
        << "select (select i4213 from u) as a, varrow_exact(c2505) AS \"c2505\" from t where k in "
           "(select i4213 from v)";

    // Where the new name or value could change what the query means.
    QTest::newRow("ordered by the column") << "select i4213 from t order by i4213"
                                           << "=";
    QTest::newRow("ordered by the alias") << "select c2505 as v from t order by v"
                                          << "=";
    QTest::newRow("grouped by position") << "select c2505, count(*) from t group by 1"
                                         << "=";
    QTest::newRow("ordered by position") << "select c2505, i4213 from t order by mtag, 2 limit 3"
                                         << "=";
    QTest::newRow("named in the condition") << "select i4213 from t where i4213 > 0"
                                            << "=";
    QTest::newRow("distinct") << "select distinct c2505 from t"
                              << "=";
    QTest::newRow("compound") << "select c2505 from t union all select c2505 from u"
                              << "=";
    QTest::newRow("no table") << "select 1.5 as i4213"
                              << "=";

    // Nothing else.
    QTest::newRow("other columns") << "select mtag, i4201 from t"
                                   << "=";
    QTest::newRow("expressions") << "select max(i4213), i4213 + 1, -c2505 from t"
                                 << "=";
    QTest::newRow("every column") << "select * from t"
                                  << "=";
    QTest::newRow("columns of a table") << "select t.* from t"
                                        << "=";
    QTest::newRow("insert of a query") << "insert into u (i4213) select i4213 from t"
                                       << "=";
    QTest::newRow("a table made from a query") << "create table u as select i4213 from t"
                                               << "=";
}

void TestSqliteTranslator::readsRealsWhole()
{
    QFETCH(QString, command);
    QFETCH(QString, expected);
    SqliteTranslator realsKnown = translator();
    SessionFacts facts = realsKnown.sessionFacts();
    facts.realColumns = {QStringLiteral("i4213"), QStringLiteral("c2505")};
    realsKnown.setSessionFacts(facts);
    QCOMPARE(realsKnown.translate(command),
             QStringList{expected == QLatin1String("=") ? command : expected});
}

void TestSqliteTranslator::refusesWhatItCannotCarryOut_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("description");
    QTest::newRow("rows lost at each commit")
        << "declare local temporary table t (a int) on commit delete rows"
        << "Temporary tables that lose their rows at each commit are not supported: declare "
           "them \"on commit preserve rows\"";
    QTest::newRow("an option the stand-in does not carry")
        << "set temporary option isolation_level = 3"
        << "The option isolation_level is not supported";
    QTest::newRow("a wait that is no number")
        << "set temporary option blocking_timeout = 'long'"
        << "The option blocking_timeout takes a number of milliseconds";
    QTest::newRow("two tables changed by one update")
        << "update a, b set a.x = 1, b.y = 2 where a.k = b.k"
        << "An update can change the columns of one table only";
}

void TestSqliteTranslator::refusesWhatItCannotCarryOut()
{
    QFETCH(QString, command);
    QFETCH(QString, description);
    try {
        translator().translate(command);
        QFAIL("translated");
    } catch (const DbError& error) {
        QCOMPARE(error.description(), description);
    }
}

void TestSqliteTranslator::tokensGiveBackTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("unclosed string") << "select 'abc";
    QTest::newRow("unclosed comment") << "select 1 /* and";
    QTest::newRow("letters beyond ASCII") << "select 'Grüße', \"Größe\" from Maß";
    QTest::newRow("numbers") << "select .5, 1.5e-3, 0x1F, 12abc, t.5";
    QTest::newRow("brackets and backquotes") << "select [a]]b], `c``d` from x";
}

void TestSqliteTranslator::tokensGiveBackTheText()
{
    QFETCH(QString, text);
    QString joined;
    for (const SqlToken& token : SqlTokenizer::tokenize(text))
        joined += token.text;
    QCOMPARE(joined, text);
}

VARROW_TEST_GUILESS_MAIN(TestSqliteTranslator)
#include "tst_sqlitetranslator.moc"
