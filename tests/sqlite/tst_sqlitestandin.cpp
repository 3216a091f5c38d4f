#include "SqliteTestDatabase.h"
#include "db/ConnectionString.h"
#include "db/OdbcConnection.h"
#include "tests/support/OdbcTestConfig.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

using testsupport::thrownBy;

namespace {

const QString password = QStringLiteral("Pw-4711");
const QString driverName = QStringLiteral("Varrow SQL Anywhere stand-in");

// Every value of every row, values joined by "|", NULL as "(NULL)".
QStringList rows(Connection& connection, const QString& query)
{
    QStringList result;
    std::unique_ptr<Recordset> records = connection.openRecordset(query);
    while (!records->eof()) {
        QStringList values;
        for (int i = 0; i < records->fieldCount(); ++i)
            values.append(records->value(i).value_or(QStringLiteral("(NULL)")));
        result.append(values.join(QLatin1Char('|')));
        records->moveNext();
    }
    return result;
}

} // namespace

// Whole connections through unixODBC, the SQLite ODBC driver, the extension and the dialect,
// sending the program's own statement texts to real database files.
class TestSqliteStandIn : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void catalogueDescribesTheRemoteTables();
    void declaredTemporaryTablesBelongToTheirConnection();
    void customersAndItemsAreMatchedByUpdates();
    void scratchTableTakesTheMastersKeys();
    void stampsAreLocalTimes();
    void databaseInformation_data();
    void databaseInformation();
    void engineProperties_data();
    void engineProperties();
    void commandTextsRunStatementByStatement();
    void aFailingStatementStopsTheRest();
    void loginsAreRefused_data();
    void loginsAreRefused();
    void userNamesIgnoreCaseAndTriggersSeeTheUser();
    void textComparesIgnoreCase_data();
    void textComparesIgnoreCase();
    void confirmFunctionsDropHeldRecords();
    void longTextsSurviveTheCast();
    void aDataSourceWithoutTheExtensionIsRefused();

private:
    std::unique_ptr<OdbcConnection> connect(const QString& dataSource,
                                            const QString& user = QStringLiteral("mt"),
                                            const QString& secret = password);
    QString file(const QString& name) const { return m_dir.filePath(name + QStringLiteral(".db")); }
    void execute(Connection& connection, const QString& command);

    QTemporaryDir m_dir;
};

void TestSqliteStandIn::initTestCase()
{
    const QString driver = OdbcTestConfig::sqliteDriverPath();
    if (driver.isEmpty())
        QSKIP("the SQLite ODBC driver (libsqliteodbc) is not installed");
    QVERIFY(m_dir.isValid());
    const QString schema =
        QStringLiteral(
            "pragma journal_mode = wal;"
            "create table inventory (mtag CHAR(20) COLLATE NOCASE NOT NULL PRIMARY KEY, i4201 "
            "CHAR(30) COLLATE NOCASE, ktag CHAR(40) COLLATE NOCASE, idsrc CHAR(3) COLLATE NOCASE, "
            "price NUMERIC(10,2) DEFAULT 0 NOT NULL, notes LONG VARCHAR COLLATE NOCASE, due DATE);"
            "create table calibration (ctag CHAR(20) COLLATE NOCASE PRIMARY KEY, mtag CHAR(20) "
            "COLLATE NOCASE, c2301 DATE, c2333 TIME, c2339 SMALLINT);"
            "create table customers (ktag CHAR(40) COLLATE NOCASE PRIMARY KEY, k4601 CHAR(20) "
            "COLLATE NOCASE, kdsrc CHAR(3));"
            "create table qel_vr_log (xtag CHAR(40) COLLATE NOCASE, xtag_additional CHAR(40) "
            "COLLATE "
            "NOCASE, affected_table CHAR(20) COLLATE NOCASE, action CHAR(3) COLLATE NOCASE, mtuser "
            "CHAR(20) COLLATE NOCASE, event_date TIMESTAMP, sync_date TIMESTAMP);"
            "create table qel_vr_transfer_log (host_name CHAR(40) COLLATE NOCASE);"
            "create table inuse (who CHAR(20));"
            "create trigger inventory_logged after insert on inventory begin insert into "
            "qel_vr_log "
            "(xtag, affected_table, action, mtuser, event_date) values (new.mtag, 'INVENTORY', "
            "'INS', varrow_user(), varrow_now()); end;"
            "insert into inventory values ('M1', 'A-100', 'ACME:', null, 12.5, 'first item', "
            "'2011-06-14');"
            "insert into inventory values ('M2', 'A-200', 'BOLT:', null, 3, null, null);"
            "insert into calibration values ('C1', 'M1', '2011-06-14', '10:30', 1);"
            "insert into customers values ('ACME:01', 'K1', null);"
            "insert into qel_vr_transfer_log values ('FIELD-1');"
            "insert into inuse values ('someone');"
            "select varrow_set_login('mt', '%1');"
            "select varrow_set_login('lab1', 'other');")
            .arg(password);
    for (const QString& name : {QStringLiteral("master"), QStringLiteral("remote")}) {
        SqliteTestDatabase db(file(name));
        QCOMPARE(db.exec(schema), QString());
    }

    OdbcTestConfig config;
    config.addDriver(driverName, driver, QStringLiteral("Varrow SQL Anywhere stand-in (SQLite)"));
    const OdbcTestConfig::Keys common{
        {"NoCreat", "1"}, {"JournalMode", "WAL"}, {"SyncPragma", "NORMAL"}};
    const OdbcTestConfig::Keys extension{{"LoadExt", SqliteTestDatabase::extensionPath()}};
    config.addDataSource(QStringLiteral("VarrowMaster"), driverName,
                         OdbcTestConfig::Keys{{"Database", file(QStringLiteral("master"))}} +
                             common + extension +
                             OdbcTestConfig::Keys{{"DatabaseName", "masterdb"},
                                                  {"EngineName", "master_engine"},
                                                  {"MachineName", "HQ"}});
    config.addDataSource(QStringLiteral("VarrowRemote"), driverName,
                         OdbcTestConfig::Keys{{"Database", file(QStringLiteral("remote"))}} +
                             common + extension);
    config.addDataSource(QStringLiteral("NoExtension"), driverName,
                         OdbcTestConfig::Keys{{"Database", file(QStringLiteral("remote"))}} +
                             common);
    QString error;
    QVERIFY2(config.write(&error), qPrintable(error));
}

std::unique_ptr<OdbcConnection>
TestSqliteStandIn::connect(const QString& dataSource, const QString& user, const QString& secret)
{
    auto connection = std::make_unique<OdbcConnection>();
    connection->setConnectionString(connectionString(dataSource, user, secret));
    connection->open();
    return connection;
}

void TestSqliteStandIn::execute(Connection& connection, const QString& command)
{
    const std::optional<DbError> error = thrownBy([&] { connection.execute(command); });
    if (error)
        QFAIL(qPrintable(command + QStringLiteral(": ") + error->description()));
}

void TestSqliteStandIn::catalogueDescribesTheRemoteTables()
{
    auto remote = connect(QStringLiteral("VarrowRemote"));
    QCOMPARE(remote->state(), 1);
    const QString query = QStringLiteral(
        "select column_name,cast(\"default\" as char),nulls,(select domain_name from "
        "sys.sysdomain where sys.sysdomain.domain_id = sys.syscolumn.domain_id),width,scale "
        "from sys.syscolumn where table_id = (select table_id from sys.systable where "
        "table_name = '%1' and table_type = 'base') order by column_id asc");
    QCOMPARE(
        rows(*remote, query.arg(QLatin1String("Inventory"))),
        (QStringList{"mtag|(NULL)|N|char|20|0", "i4201|(NULL)|Y|char|30|0",
                     "ktag|(NULL)|Y|char|40|0", "idsrc|(NULL)|Y|char|3|0", "price|0|N|numeric|10|2",
                     "notes|(NULL)|Y|long varchar|32767|0", "due|(NULL)|Y|date|4|0"}));
    QCOMPARE(rows(*remote, QStringLiteral("SELECT table_name FROM sys.systable WHERE table_name "
                                          "= 'qel_vr_scratch'")),
             QStringList{});
    QCOMPARE(rows(*remote, QStringLiteral("SELECT table_name FROM sys.systable WHERE table_name "
                                          "= 'qel_vr_log'")),
             QStringList{"qel_vr_log"});
    // The scratch table as the program creates it, then found by the same query.
    execute(*remote, QStringLiteral("CREATE TABLE mt.qel_vr_scratch (asset CHAR(80),mtag "
                                    "CHAR(80),xtag CHAR(80));"));
    QCOMPARE(rows(*remote, QStringLiteral("SELECT table_name FROM sys.systable WHERE table_name "
                                          "= 'qel_vr_scratch'")),
             QStringList{"qel_vr_scratch"});
    QCOMPARE(rows(*remote, query.arg(QLatin1String("qel_vr_scratch"))),
             (QStringList{"asset|(NULL)|Y|char|80|0", "mtag|(NULL)|Y|char|80|0",
                          "xtag|(NULL)|Y|char|80|0"}));
    execute(*remote, QStringLiteral("drop table mt.qel_vr_scratch"));
}

void TestSqliteStandIn::declaredTemporaryTablesBelongToTheirConnection()
{
    auto master = connect(QStringLiteral("VarrowMaster"));
    auto other = connect(QStringLiteral("VarrowMaster"));
    execute(*master, QStringLiteral("declare local temporary table temp_calibration (mtag "
                                    "CHAR(20) DEFAULT 'x' NOT NULL,c2301 DATE) on commit "
                                    "preserve rows"));
    execute(*master, QStringLiteral("insert into temp_calibration (mtag,c2301) values "
                                    "('ABC','2011-06-14');commit"));
    execute(*master, QStringLiteral("insert into temp_calibration (c2301) values (NULL);commit"));
    execute(*master, QStringLiteral("create index ctmtag on temp_calibration(mtag);commit"));
    QCOMPARE(rows(*master, QStringLiteral("select mtag, c2301 from temp_calibration where mtag "
                                          "= 'abc'")),
             QStringList{"ABC|2011-06-14"});
    QCOMPARE(rows(*master, QStringLiteral("select mtag from temp_calibration where c2301 is "
                                          "null")),
             QStringList{"x"});
    // Rows stay after the commits; the table is the connection's own and no catalogue table.
    QCOMPARE(
        testsupport::firstValue(*master, QStringLiteral("select count(*) from temp_calibration")),
        QStringLiteral("2"));
    QVERIFY(thrownBy([&] { other->execute(QStringLiteral("select * from temp_calibration")); }));
    QCOMPARE(rows(*master, QStringLiteral("SELECT table_name FROM sys.systable WHERE table_name "
                                          "= 'temp_calibration'")),
             QStringList{});
    execute(*master, QStringLiteral("drop table temp_calibration"));
}

void TestSqliteStandIn::customersAndItemsAreMatchedByUpdates()
{
    auto master = connect(QStringLiteral("VarrowMaster"));
    execute(*master, QStringLiteral("declare local temporary table temp_customers (ktag "
                                    "CHAR(40),k4601 CHAR(20),kdsrc CHAR(3)) on commit preserve "
                                    "rows"));
    execute(*master, QStringLiteral("declare local temporary table temp_inventory (mtag "
                                    "CHAR(20) NOT NULL,i4201 CHAR(30),ktag CHAR(40)) on commit "
                                    "preserve rows"));
    execute(*master, QStringLiteral("insert into temp_customers (ktag,k4601,kdsrc) values "
                                    "('ACME:77','k1',NULL);insert into temp_customers "
                                    "(ktag,k4601,kdsrc) values ('ZED:01','K9',NULL);commit"));
    execute(*master, QStringLiteral("insert into temp_inventory (mtag,i4201,ktag) values "
                                    "('R1','B-1','acme:');insert into temp_inventory "
                                    "(mtag,i4201,ktag) values ('R2','B-2','ZED:');insert into "
                                    "temp_inventory (mtag,i4201,ktag) values "
                                    "('R3','B-3','NONE:');commit"));
    // A customer the master knows by k4601 takes the master's ktag.
    execute(*master, QStringLiteral("update temp_customers,mt.customers set "
                                    "temp_customers.ktag=mt.customers.ktag where "
                                    "temp_customers.k4601=mt.customers.k4601;commit "));
    QCOMPARE(rows(*master, QStringLiteral("select ktag, k4601 from temp_customers order by "
                                          "k4601")),
             (QStringList{"ACME:01|k1", "ZED:01|K9"}));
    // Items point at the customer whose ktag starts with their own up to the first ":".
    execute(*master, QStringLiteral("update temp_inventory,temp_customers set "
                                    "temp_inventory.ktag=temp_customers.ktag where "
                                    "temp_customers.ktag like left(temp_inventory.ktag,"
                                    "locate(temp_inventory.ktag,':'))+'%';commit"));
    QCOMPARE(rows(*master, QStringLiteral("select mtag, ktag from temp_inventory order by mtag")),
             (QStringList{"R1|ACME:01", "R2|ZED:01", "R3|NONE:"}));
    execute(*master, QStringLiteral("delete from temp_customers where k4601 in (select k4601 "
                                    "from MT.customers);update temp_customers set "
                                    "kdsrc='VRW';commit;"));
    QCOMPARE(rows(*master, QStringLiteral("select ktag, kdsrc from temp_customers")),
             QStringList{"ZED:01|VRW"});
    execute(*master, QStringLiteral("drop table temp_customers;drop table temp_inventory"));
}

void TestSqliteStandIn::scratchTableTakesTheMastersKeys()
{
    auto master = connect(QStringLiteral("VarrowMaster"));
    execute(*master, QStringLiteral("declare local temporary table temp_inventory (mtag "
                                    "CHAR(20) NOT NULL,i4201 CHAR(30)) on commit preserve rows"));
    execute(*master, QStringLiteral("declare local temporary table temp_qel_vr_scratch (asset "
                                    "CHAR(80),mtag CHAR(80),xtag CHAR(80)) on commit preserve "
                                    "rows"));
    execute(*master, QStringLiteral("insert into temp_inventory (mtag,i4201) values "
                                    "('R1','a-100');insert into temp_inventory (mtag,i4201) "
                                    "values ('R9','Z-900');commit"));
    execute(*master, QStringLiteral("insert into temp_qel_vr_scratch select i4201,mtag,mtag from "
                                    "temp_inventory;commit"));
    execute(*master, QStringLiteral("create index it4201 on temp_inventory(i4201);commit;create "
                                    "index itmtag  on temp_inventory(mtag);commit;create index "
                                    "scmtag on temp_qel_vr_scratch(mtag);commit;create index "
                                    "sasset on temp_qel_vr_scratch(asset);commit"));
    // The segregate owner of a user other than mt names the same tables.
    execute(*master, QStringLiteral("update temp_qel_vr_scratch,LAB1.inventory set xtag = "
                                    "LAB1.inventory.mtag where asset = i4201;commit;"));
    execute(*master, QStringLiteral("update temp_inventory,temp_qel_vr_scratch set "
                                    "temp_inventory.mtag = xtag where i4201 = asset;commit;"));
    QCOMPARE(rows(*master, QStringLiteral("select mtag, i4201 from temp_inventory order by "
                                          "i4201")),
             (QStringList{"M1|a-100", "R9|Z-900"}));
    execute(*master, QStringLiteral("drop table temp_inventory;drop table temp_qel_vr_scratch"));
}

void TestSqliteStandIn::stampsAreLocalTimes()
{
    auto remote = connect(QStringLiteral("VarrowRemote"));
    execute(*remote, QStringLiteral("insert into mt.qel_vr_log (xtag, action) values "
                                    "('S1','INS');insert into mt.qel_vr_log (xtag, action) "
                                    "values ('S2','INS');commit"));
    execute(*remote, QStringLiteral("update mt.qel_vr_log set sync_date=now(*) where xtag='s1' "
                                    "and action='INS';commit"));
    const QStringList stamps = rows(
        *remote, QStringLiteral("select xtag, sync_date from mt.qel_vr_log where xtag like 'S_' "
                                "order by xtag"));
    QCOMPARE(stamps.size(), 2);
    QCOMPARE(stamps[1], QStringLiteral("S2|(NULL)"));
    const QString stamp = stamps[0].section(QLatin1Char('|'), 1);
    QVERIFY2(
        QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"))
            .match(stamp)
            .hasMatch(),
        qPrintable(stamp));
    execute(*remote, QStringLiteral("delete from mt.qel_vr_log where xtag like 'S_'"));
}

void TestSqliteStandIn::databaseInformation_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("alias");
    QTest::addColumn<QString>("database");
    QTest::newRow("alias from DatabaseName") << "VarrowMaster"
                                             << "masterdb"
                                             << "master";
    QTest::newRow("alias from the file name") << "VarrowRemote"
                                              << "remote"
                                              << "remote";
}

void TestSqliteStandIn::databaseInformation()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, alias);
    QFETCH(QString, database);
    auto connection = connect(dataSource);
    std::unique_ptr<Recordset> info =
        connection->openRecordset(QStringLiteral("call sa_db_info()"));
    QVERIFY(!info->eof());
    QCOMPARE(info->value(QStringLiteral("number")), DbValue(QStringLiteral("0")));
    QCOMPARE(info->value(QStringLiteral("alias")), DbValue(alias));
    QCOMPARE(info->value(QStringLiteral("file")), DbValue(file(database)));
    QCOMPARE(info->value(QStringLiteral("logname")),
             DbValue(file(database) + QStringLiteral("-wal")));
    info->moveNext();
    QVERIFY(info->eof());
}

void TestSqliteStandIn::engineProperties_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("machine");
    QTest::newRow("named in the data source") << "VarrowMaster"
                                              << "master_engine"
                                              << "HQ";
    QTest::newRow("defaults") << "VarrowRemote"
                              << "remote" << QSysInfo::machineHostName();
}

void TestSqliteStandIn::engineProperties()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, name);
    QFETCH(QString, machine);
    auto connection = connect(dataSource);
    // Walked as the program walks it: PropName and value by name, every row.
    QMap<QString, QString> properties;
    std::unique_ptr<Recordset> records =
        connection->openRecordset(QStringLiteral("call sa_eng_properties()"));
    for (; !records->eof(); records->moveNext())
        properties.insert(
            records->value(QStringLiteral("PropName")).value_or(QString()),
            records->value(QStringLiteral("value")).value_or(QStringLiteral("(NULL)")));
    QCOMPARE(properties.value(QStringLiteral("Name")), name);
    QCOMPARE(properties.value(QStringLiteral("MachineName")), machine);
    QCOMPARE(properties.value(QStringLiteral("ProductVersion")),
             QString::fromLatin1(sqlite3_libversion()));
    QVERIFY(!properties.value(QStringLiteral("Platform")).isEmpty());
}

void TestSqliteStandIn::commandTextsRunStatementByStatement()
{
    auto remote = connect(QStringLiteral("VarrowRemote"));
    execute(*remote, QStringLiteral("insert into mt.inuse values ('a;b');insert into "
                                    "mt.qel_vr_log (xtag) values ('X;1');commit"));
    execute(*remote, QStringLiteral("commit"));
    execute(*remote, QStringLiteral("delete from mt.inuse;delete from mt.qel_vr_log;delete from "
                                    "mt.qel_vr_transfer_log;commit;"));
    for (const char* table : {"inuse", "qel_vr_log", "qel_vr_transfer_log"})
        QCOMPARE(testsupport::firstValue(*remote, QStringLiteral("select count(*) from mt.") +
                                                      QLatin1String(table)),
                 QStringLiteral("0"));
    // A second connection sees the work: nothing waits for a commit.
    auto again = connect(QStringLiteral("VarrowRemote"));
    QCOMPARE(testsupport::firstValue(*again, QStringLiteral("select count(*) from mt.inuse")),
             QStringLiteral("0"));
}

void TestSqliteStandIn::aFailingStatementStopsTheRest()
{
    auto remote = connect(QStringLiteral("VarrowRemote"));
    const std::optional<DbError> error = thrownBy([&] {
        remote->execute(
            QStringLiteral("insert into mt.inuse values ('first');insert into "
                           "mt.no_such_table values ('second');insert into mt.inuse values "
                           "('third');commit"));
    });
    QVERIFY(error);
    QVERIFY2(error->description().contains(QLatin1String("no such table")),
             qPrintable(error->description()));
    QCOMPARE(rows(*remote, QStringLiteral("select who from mt.inuse")), QStringList{"first"});
    execute(*remote, QStringLiteral("delete from mt.inuse"));
}

void TestSqliteStandIn::loginsAreRefused_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("secret");
    QTest::newRow("wrong password") << "mt"
                                    << "Pw-4712";
    QTest::newRow("password in other case") << "mt"
                                            << "PW-4711";
    QTest::newRow("unknown user") << "nobody" << password;
    QTest::newRow("another user's password") << "lab1" << password;
}

void TestSqliteStandIn::loginsAreRefused()
{
    QFETCH(QString, user);
    QFETCH(QString, secret);
    auto connection = connect(QStringLiteral("VarrowRemote"), user, secret);
    QCOMPARE(connection->state(), 0);
    QVERIFY(connection->lastError());
    QCOMPARE(connection->lastError()->description(), QStringLiteral("Invalid user ID or password"));
    QCOMPARE(connection->lastError()->sqlstate(), QStringLiteral("28000"));
}

void TestSqliteStandIn::userNamesIgnoreCaseAndTriggersSeeTheUser()
{
    auto remote = connect(QStringLiteral("VarrowRemote"), QStringLiteral("MT"));
    QCOMPARE(remote->state(), 1);
    auto lab =
        connect(QStringLiteral("VarrowRemote"), QStringLiteral("LAB1"), QStringLiteral("other"));
    QCOMPARE(lab->state(), 1);
    execute(*remote, QStringLiteral("insert into mt.inventory (mtag,i4201) values "
                                    "('U1','U-1');commit"));
    execute(*lab, QStringLiteral("insert into LAB1.inventory (mtag,i4201) values "
                                 "('U2','U-2');commit"));
    QCOMPARE(rows(*remote, QStringLiteral("select xtag, mtuser from mt.qel_vr_log where "
                                          "affected_table='INVENTORY' and xtag like 'U_' order "
                                          "by xtag")),
             (QStringList{"U1|mt", "U2|lab1"}));
    execute(*remote, QStringLiteral("delete from mt.inventory where mtag like 'U_';delete from "
                                    "mt.qel_vr_log where xtag like 'U_'"));
}

void TestSqliteStandIn::textComparesIgnoreCase_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");
    QTest::newRow("equal") << "select count(*) from mt.inventory where mtag = 'm1'"
                           << "1";
    QTest::newRow("in a sub-select")
        << "select count(*) from mt.calibration where mtag in (select mtag from MT.inventory "
           "where i4201 = 'a-100')"
        << "1";
    QTest::newRow("like") << "select count(*) from mt.customers where ktag like 'acme%'"
                          << "1";
    QTest::newRow("catalogue names")
        << "select count(*) from sys.syscolumn where column_name = 'I4201'"
        << "1";
}

void TestSqliteStandIn::textComparesIgnoreCase()
{
    QFETCH(QString, query);
    QFETCH(QString, expected);
    auto master = connect(QStringLiteral("VarrowMaster"));
    QCOMPARE(testsupport::firstValue(*master, query), expected);
}

void TestSqliteStandIn::confirmFunctionsDropHeldRecords()
{
    auto master = connect(QStringLiteral("VarrowMaster"));
    execute(*master, QStringLiteral("declare local temporary table temp_calibration (ctag "
                                    "CHAR(20),mtag CHAR(20),c2301 DATE,c2333 TIME) on commit "
                                    "preserve rows"));
    execute(*master, QStringLiteral("insert into temp_calibration (ctag,mtag,c2301,c2333) values "
                                    "('R1','m1','2011-06-14','10:30');insert into "
                                    "temp_calibration (ctag,mtag,c2301,c2333) values "
                                    "('R2','M1','2011-06-14','11:45');insert into "
                                    "temp_calibration (ctag,mtag,c2301,c2333) values "
                                    "('R3','M1',NULL,'10:30');commit"));
    execute(*master, QStringLiteral("delete from temp_calibration where "
                                    "qel_vr_cal_record_confirm(temp_calibration.c2301,"
                                    "temp_calibration.c2333,temp_calibration.mtag)=1;commit"));
    QCOMPARE(rows(*master, QStringLiteral("select ctag from temp_calibration order by ctag")),
             (QStringList{"R2", "R3"}));
    execute(*master, QStringLiteral("drop table temp_calibration"));
}

void TestSqliteStandIn::longTextsSurviveTheCast()
{
    auto remote = connect(QStringLiteral("VarrowRemote"));
    const QString text = QStringLiteral("Grüße, O'Brien; ").repeated(400);
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    execute(
        *remote,
        QStringLiteral("update mt.inventory set notes='%1' where mtag='M2';commit").arg(quoted));
    QCOMPARE(testsupport::firstValue(*remote, QStringLiteral("select cast(notes AS char(32767)) "
                                                             "from LAB1.inventory where "
                                                             "mtag='M2'")),
             text);
    execute(*remote, QStringLiteral("update mt.inventory set notes=NULL where mtag='M2'"));
}

void TestSqliteStandIn::aDataSourceWithoutTheExtensionIsRefused()
{
    auto connection = connect(QStringLiteral("NoExtension"));
    QCOMPARE(connection->state(), 0);
    QVERIFY(connection->lastError());
    const QString description = connection->lastError()->description();
    QVERIFY2(description.contains(QLatin1String("LoadExt")), qPrintable(description));
    QVERIFY2(description.contains(QLatin1String("\"NoExtension\"")), qPrintable(description));
}

VARROW_TEST_GUILESS_MAIN(TestSqliteStandIn)
#include "tst_sqlitestandin.moc"
