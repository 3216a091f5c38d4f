// The demo workspace: its ODBC files and data sources, the master and the remote copy with its
// logged field work, the generator's options, and vrwdemo's command line.
#include "db/ConnectionString.h"
#include "db/OdbcConnection.h"
#include "schema/CalibrationSchema.h"
#include "schema/DemoCatalogue.h"
#include "schema/DemoNames.h"
#include "schema/SchemaError.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"
#include "tests/support/TestWorkspace.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QtTest>
#include <memory>

namespace {

// Every table of a database as text, for comparing two databases; the logins (salted) and
// the change log's time stamps differ from run to run by design and are left out.
QString dump(SqliteDatabase& db)
{
    QString text;
    for (const TableDefinition& table : CalibrationSchema::tables()) {
        if (db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name = ?"),
                      {table.name})
                .toInt() == 0)
            continue;
        QStringList columns = table.columnNames();
        columns.removeAll(QStringLiteral("event_date"));
        text += table.name + QLatin1Char('\n');
        for (const QVariantList& row :
             db.rows(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                         .arg(columns.join(QLatin1Char(',')), table.name))) {
            QStringList fields;
            for (const QVariant& v : row)
                fields.append(v.isNull() ? QStringLiteral("~")
                              : v.typeId() == QMetaType::QByteArray
                                  ? QString::fromLatin1(v.toByteArray().toHex())
                                  : v.toString());
            text += fields.join(QLatin1Char('|')) + QLatin1Char('\n');
        }
    }
    return text;
}

QStringList pendingActions(SqliteDatabase& remote)
{
    QStringList actions;
    for (const QVariantList& row :
         remote.rows(QStringLiteral("SELECT DISTINCT action FROM qel_vr_log ORDER BY action")))
        actions.append(row.first().toString());
    return actions;
}

int count(SqliteDatabase& db, const QString& sql, const QVariantList& values = {})
{
    return db.scalar(sql, values).toInt();
}

} // namespace

class TestDemoWorkspace : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void odbcFilesNameBothDatabases();
    void bothDataSourcesOpenThroughTheDriverManager();
    void bothDataSourcesOpenInIsql();
    void remoteIsAPreparedCopy();
    void loginsAndUsers();
    void remoteLogHoldsEveryFamily();
    void fieldWorkMeetsTheTransfersEdgeCases();
    void sameSeedSameDatabases();
    void remoteStates_data();
    void remoteStates();
    void schemaVersionOption();
    void existingWorkspaceIsKeptUnlessReplaced();
    void failureLeavesNothingBehind();
    void commandLine_data();
    void commandLine();

private:
    std::unique_ptr<TestWorkspace> m_workspace;
    std::unique_ptr<SqliteDatabase> m_master;
    std::unique_ptr<SqliteDatabase> m_remote;
};

void TestDemoWorkspace::initTestCase()
{
    m_workspace = std::make_unique<TestWorkspace>();
    QVERIFY2(m_workspace->isValid(), qPrintable(m_workspace->error()));
    m_master = m_workspace->openMaster();
    m_remote = m_workspace->openRemote();
}

void TestDemoWorkspace::odbcFilesNameBothDatabases()
{
    const DemoWorkspace::Report& report = m_workspace->report();
    QCOMPARE(report.masterFile,
             QDir(m_workspace->path()).filePath(QStringLiteral("master/caldata.db")));
    QCOMPARE(report.remoteFile,
             QDir(m_workspace->path()).filePath(QStringLiteral("remote/caldata.db")));
    QVERIFY(QFileInfo(report.masterFile).isFile());
    QVERIFY(QFileInfo(report.remoteFile).isFile());
    QCOMPARE(
        QDir(m_workspace->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        (QStringList{"master", "odbc.ini", "odbcinst.ini", "remote"}));

    QSettings drivers(report.odbcinstIni, QSettings::IniFormat);
    const QString driver = DemoNames::driver;
    QVERIFY(drivers.childGroups().contains(driver));
    QVERIFY(drivers.value(driver + QStringLiteral("/Description"))
                .toString()
                .contains(QLatin1String("Anywhere")));
    QVERIFY(QFileInfo(drivers.value(driver + QStringLiteral("/Driver")).toString()).isFile());

    QSettings sources(report.odbcIni, QSettings::IniFormat);
    QStringList distinct[3];
    for (const auto& [dsn, file] : {std::pair{DemoNames::master.dsn, report.masterFile},
                                    std::pair{DemoNames::remote.dsn, report.remoteFile}}) {
        sources.beginGroup(dsn);
        QCOMPARE(sources.value(QStringLiteral("Driver")).toString(), driver);
        QCOMPARE(sources.value(QStringLiteral("Database")).toString(), file);
        QCOMPARE(sources.value(QStringLiteral("NoCreat")).toString(), QStringLiteral("1"));
        QCOMPARE(sources.value(QStringLiteral("JournalMode")).toString(), QStringLiteral("WAL"));
        QCOMPARE(sources.value(QStringLiteral("SyncPragma")).toString(), QStringLiteral("NORMAL"));
        QCOMPARE(sources.value(QStringLiteral("Timeout")).toString(), QStringLiteral("1"));
        const QString extension = sources.value(QStringLiteral("LoadExt")).toString();
        QVERIFY(QFileInfo(extension).isAbsolute() && QFileInfo(extension).isFile());
        distinct[0].append(sources.value(QStringLiteral("DatabaseName")).toString());
        distinct[1].append(sources.value(QStringLiteral("EngineName")).toString());
        distinct[2].append(sources.value(QStringLiteral("MachineName")).toString());
        // The engine's start command names a program in the folder of the stand-in's
        // utilities: the folder before "dbsrv" or "dbeng" is the extension's.
        const QString start = sources.value(QStringLiteral("Start")).toString();
        qsizetype engine = start.indexOf(QLatin1String("dbsrv"));
        if (engine < 0)
            engine = start.indexOf(QLatin1String("dbeng"));
        QVERIFY2(engine > 0, qPrintable(start));
        QCOMPARE(start.left(engine), QFileInfo(extension).absolutePath() + QLatin1Char('/'));
        sources.endGroup();
    }
    for (const QStringList& pair : distinct) {
        QVERIFY(!pair.at(0).isEmpty());
        QVERIFY(pair.at(0) != pair.at(1));
    }

    // No credential in either file.
    QList<DemoCatalogue::User> logins = DemoCatalogue::users();
    logins.append(DemoCatalogue::administrator());
    for (const QString& file : {report.odbcIni, report.odbcinstIni}) {
        QSettings ini(file, QSettings::IniFormat);
        for (const QString& key : ini.allKeys()) {
            const QString name = key.section(QLatin1Char('/'), -1).toUpper();
            QVERIFY2(name != QLatin1String("PWD") && name != QLatin1String("PASSWORD") &&
                         name != QLatin1String("UID"),
                     qPrintable(key));
            for (const DemoCatalogue::User& user : logins)
                QVERIFY2(ini.value(key).toString() != user.password, qPrintable(key));
        }
    }
}

void TestDemoWorkspace::bothDataSourcesOpenThroughTheDriverManager()
{
    for (const QString dsn : {DemoNames::master.dsn, DemoNames::remote.dsn}) {
        OdbcConnection connection;
        connection.setConnectionString(
            connectionString(dsn, QStringLiteral("mt"), QStringLiteral("sql")));
        connection.open();
        QVERIFY2(connection.state() == 1,
                 qPrintable(connection.lastError() ? connection.lastError()->description() : dsn));
        QCOMPARE(connection.dbmsName(), QStringLiteral("SQLite"));
        try {
            auto items = connection.openRecordset(QStringLiteral("select count(*) from inventory"));
            SqliteDatabase& file = dsn == DemoNames::master.dsn ? *m_master : *m_remote;
            QCOMPARE(items->value(0).value_or(QString()).toInt(),
                     count(file, QStringLiteral("SELECT count(*) FROM inventory")));
            items->close();
            // The triggers need the extension on every connection that writes: the data source
            // loads it.
            connection.execute(QStringLiteral("update dbconfig set dbsite = dbsite"));
        } catch (const DbError& e) {
            QFAIL(qPrintable(dsn + QStringLiteral(": ") + e.description()));
        }
        connection.close();
    }
}

void TestDemoWorkspace::bothDataSourcesOpenInIsql()
{
    for (const QString dsn : {DemoNames::master.dsn, DemoNames::remote.dsn}) {
        const TestWorkspace::IsqlResult result =
            m_workspace->isql(dsn, QStringLiteral("mt"), QStringLiteral("sql"),
                              QStringLiteral("SELECT 'rows:' || count(*) FROM calibration\n"));
        QVERIFY2(result.exitCode == 0, qPrintable(result.output));
        SqliteDatabase& file = dsn == DemoNames::master.dsn ? *m_master : *m_remote;
        QVERIFY2(result.output.contains(QStringLiteral("rows:%1").arg(
                     count(file, QStringLiteral("SELECT count(*) FROM calibration")))),
                 qPrintable(result.output));
    }
}

void TestDemoWorkspace::remoteIsAPreparedCopy()
{
    QCOMPARE(count(*m_master, QStringLiteral("SELECT dbremote FROM dbconfig")), 0);
    QCOMPARE(count(*m_remote, QStringLiteral("SELECT dbremote FROM dbconfig")), 1);
    QCOMPARE(count(*m_remote, QStringLiteral("SELECT count(*) FROM inuse")), 0);
    QCOMPARE(count(*m_remote, QStringLiteral("SELECT count(*) FROM qel_vr_transfer_log")), 0);
    QCOMPARE(count(*m_master, QStringLiteral("SELECT count(*) FROM qel_vr_log")), 0);
    // The master's history knows the remote by the machine name its data source reports.
    QCOMPARE(count(*m_master,
                   QStringLiteral("SELECT count(*) FROM qel_vr_transfer_log WHERE host_name = ? "
                                  "AND transfer_type = 'Replicate'"),
                   {DemoNames::remote.machine}),
             2);
    // Everything the master held at the copy is still on the remote unless the field work
    // deleted it; the field work only adds keys of its own.
    QCOMPARE(count(*m_remote,
                   QStringLiteral("SELECT count(*) FROM inventory WHERE mtag NOT LIKE 'F7%'")),
             count(*m_master, QStringLiteral("SELECT count(*) FROM inventory")) -
                 1); // the master's later item
    QVERIFY(count(*m_remote, QStringLiteral("SELECT count(*) FROM qel_vr_scratch")) == 0);
}

void TestDemoWorkspace::loginsAndUsers()
{
    QList<DemoCatalogue::User> logins = DemoCatalogue::users();
    logins.append(DemoCatalogue::administrator());
    for (SqliteDatabase* db : {m_master.get(), m_remote.get()}) {
        for (const DemoCatalogue::User& user : logins) {
            QCOMPARE(count(*db, QStringLiteral("SELECT varrow_check_login(?, ?)"),
                           {user.login, user.password}),
                     1);
            QCOMPARE(count(*db, QStringLiteral("SELECT varrow_check_login(?, ?)"),
                           {user.login, user.password + QLatin1Char('x')}),
                     0);
        }
        QCOMPARE(count(*db, QStringLiteral("SELECT varrow_check_login('mt', 'sql')")), 1);
        QCOMPARE(db->rows(QStringLiteral("SELECT i4240, mtlevel FROM userlist WHERE mtuser = 'MT'"))
                     .value(0),
                 (QVariantList{QStringLiteral("MT"), qint64(5)}));
        // Somebody who may synchronise, somebody whose level is too low, somebody outside MT.
        QVERIFY(count(*db, QStringLiteral("SELECT count(*) FROM userlist WHERE i4240 = 'MT' AND "
                                          "mtlevel >= 4 AND mtuser <> 'mt'")) > 0);
        QVERIFY(count(*db,
                      QStringLiteral(
                          "SELECT count(*) FROM userlist WHERE i4240 = 'MT' AND mtlevel = 3")) > 0);
        QVERIFY(count(*db, QStringLiteral("SELECT count(*) FROM userlist WHERE i4240 <> 'MT'")) >
                0);
        QCOMPARE(count(*db, QStringLiteral("SELECT count(*) FROM userlist WHERE mtuser = ?"),
                       {DemoCatalogue::administrator().login}),
                 0);
    }
}

void TestDemoWorkspace::remoteLogHoldsEveryFamily()
{
    for (const QString& table : CalibrationSchema::loggedTables())
        for (const QString& action :
             {QStringLiteral("INS"), QStringLiteral("DEL"), QStringLiteral("UPD")})
            QVERIFY2(count(*m_remote,
                           QStringLiteral("SELECT count(*) FROM qel_vr_log WHERE sync_date IS NULL "
                                          "AND affected_table = ? AND action = ?"),
                           {table, action}) > 0,
                     qPrintable(table + QLatin1Char(' ') + action));
    QCOMPARE(
        count(*m_remote,
              QStringLiteral(
                  "SELECT count(*) FROM qel_vr_log WHERE sync_date IS NOT NULL OR mtuser IS NULL")),
        0);
    QCOMPARE(pendingActions(*m_remote), (QStringList{"DEL", "INS", "UPD"}));
    // The logged users are demo users: the field technician, and mt for validation data.
    for (const QVariantList& row :
         m_remote->rows(QStringLiteral("SELECT DISTINCT mtuser FROM qel_vr_log")))
        QVERIFY(count(*m_remote, QStringLiteral("SELECT count(*) FROM userlist WHERE mtuser = ?"),
                      {row.first()}) == 1);
    // Every item family's entry names the item's asset number.
    QCOMPARE(count(*m_remote,
                   QStringLiteral(
                       "SELECT count(*) FROM qel_vr_log WHERE i4201 IS NULL AND affected_table IN "
                       "('INVENTORY','CALIBRATION','LOCATION','REPAIR','RESULTS','RESULTS_RAW','"
                       "CALRESULTS','STANDARDS')")),
             0);
}

void TestDemoWorkspace::fieldWorkMeetsTheTransfersEdgeCases()
{
    SqliteDatabase& remote = *m_remote;
    auto logged = [&remote](const QString& condition) {
        return count(remote, QStringLiteral("SELECT count(*) FROM qel_vr_log WHERE ") + condition);
    };
    m_master->exec(
        QStringLiteral("ATTACH DATABASE '%1' AS r").arg(m_workspace->report().remoteFile));

    // Apostrophes, letters beyond ASCII and NULLs in new records.
    QCOMPARE(logged(QStringLiteral("action = 'INS' AND xtag = 'O''NEIL:F7'")), 1);
    QCOMPARE(logged(QStringLiteral(
                 "action = 'INS' AND affected_table = 'INVENTORY' AND i4201 = 'O''NEIL-01'")),
             1);
    QVERIFY(count(remote,
                  QStringLiteral(
                      "SELECT count(*) FROM customers WHERE ktag LIKE '%:F7' AND k4608 IS NULL")) >
            0);
    QVERIFY(count(remote,
                  QStringLiteral(
                      "SELECT count(*) FROM valfield WHERE val = 'Field van 7 – Nørre Å'")) == 1);
    QVERIFY(count(remote,
                  QStringLiteral("SELECT count(*) FROM inventory WHERE i4202 LIKE '%''%'")) > 0);

    // Calibrations whose item must travel with them, and some whose item need not.
    for (int flag : {0, 1})
        QVERIFY(count(remote,
                      QStringLiteral(
                          "SELECT count(*) FROM calibration c JOIN qel_vr_log l ON l.xtag = c.ctag "
                          "WHERE l.action = 'INS' AND c.mtag NOT LIKE 'F7%' AND c.c2339 = ?"),
                      {flag}) > 0);
    QVERIFY(count(remote,
                  QStringLiteral(
                      "SELECT count(*) FROM location WHERE ltag LIKE 'F7%' AND l2815 = 1")) > 0);
    QVERIFY(count(remote, QStringLiteral(
                              "SELECT count(*) FROM repair WHERE rtag LIKE 'F7%' AND r3246 = 1")) >
            0);
    QVERIFY(
        count(remote, QStringLiteral(
                          "SELECT count(*) FROM standards s JOIN inventory i ON i.mtag = s.c2430 "
                          "WHERE s.ctag LIKE 'F7%' AND i.mtag LIKE 'F7%'")) > 0);

    // A new item whose asset the master registered meanwhile, in other letter case, and a
    // customer the master registered meanwhile under its own key.
    QCOMPARE(count(*m_master,
                   QStringLiteral(
                       "SELECT count(*) FROM r.inventory f JOIN inventory m ON m.i4201 = f.i4201 "
                       "WHERE f.mtag LIKE 'F7%' AND m.i4201 <> f.i4201 COLLATE BINARY")),
             1);
    QCOMPARE(count(*m_master,
                   QStringLiteral(
                       "SELECT count(*) FROM r.customers f JOIN customers m ON m.k4601 = f.k4601 "
                       "WHERE f.ktag LIKE '%:F7' AND m.ktag <> f.ktag")),
             1);
    // The master holds exactly one of the field's new calibrations, moves and repairs already.
    QCOMPARE(count(*m_master, QStringLiteral("SELECT sum(qel_vr_cal_record_confirm(c2301, c2333, "
                                             "mtag)) FROM r.calibration WHERE ctag LIKE 'F7%'")),
             1);
    QCOMPARE(count(*m_master, QStringLiteral("SELECT sum(qel_vr_loc_record_confirm(l2809, l2810, "
                                             "mtag)) FROM r.location WHERE ltag LIKE 'F7%'")),
             1);
    QCOMPARE(count(*m_master, QStringLiteral("SELECT sum(qel_vr_rep_record_confirm(r3230, r3241, "
                                             "mtag)) FROM r.repair WHERE rtag LIKE 'F7%'")),
             1);
    // A calibration dated before 1970, which a merge never carries.
    QCOMPARE(count(*m_master,
                   QStringLiteral("SELECT count(*) FROM calibration WHERE c2301 < '1970-01-01'")),
             1);
    m_master->exec(QStringLiteral("DETACH DATABASE r"));

    // An entry whose row is gone again, and a row updated and then deleted.
    QVERIFY(logged(QStringLiteral("action = 'INS' AND affected_table = 'INVENTORY' AND xtag NOT IN "
                                  "(SELECT mtag FROM inventory)")) > 0);
    QVERIFY(count(remote, QStringLiteral("SELECT count(*) FROM qel_vr_log u JOIN qel_vr_log d ON "
                                         "d.xtag = u.xtag AND d.affected_table = u.affected_table "
                                         "WHERE u.action = 'UPD' AND d.action = 'DEL' AND d.rowid "
                                         "> u.rowid AND u.affected_table = 'CALIBRATION'")) > 0);
    // Two columns of one record changed at once.
    QVERIFY(count(remote, QStringLiteral("SELECT count(*) FROM (SELECT xtag FROM qel_vr_log WHERE "
                                         "action = 'UPD' AND affected_table = 'INVENTORY' "
                                         "GROUP BY xtag HAVING count(*) >= 2)")) > 0);
}

void TestDemoWorkspace::sameSeedSameDatabases()
{
    DemoOptions options = TestWorkspace::small();
    TestWorkspace first(options, TestWorkspace::Detached);
    TestWorkspace second(options, TestWorkspace::Detached);
    options.seed += 1;
    TestWorkspace other(options, TestWorkspace::Detached);
    QVERIFY2(first.isValid() && second.isValid() && other.isValid(),
             qPrintable(first.error() + second.error() + other.error()));

    const QString master = dump(*first.openMaster());
    QCOMPARE(dump(*second.openMaster()), master);
    QCOMPARE(dump(*second.openRemote()), dump(*first.openRemote()));
    QVERIFY(dump(*other.openMaster()) != master);
}

void TestDemoWorkspace::remoteStates_data()
{
    QTest::addColumn<int>("remote");
    QTest::addColumn<QStringList>("actions");
    QTest::newRow("updates") << int(DemoOptions::Remote::UpdatesOnly) << QStringList{"UPD"};
    QTest::newRow("inserts") << int(DemoOptions::Remote::InsertsOnly) << QStringList{"INS"};
    QTest::newRow("none") << int(DemoOptions::Remote::Untouched) << QStringList{};
}

void TestDemoWorkspace::remoteStates()
{
    QFETCH(int, remote);
    QFETCH(QStringList, actions);
    const TestWorkspace workspace(TestWorkspace::small(DemoOptions::Remote(remote)),
                                  TestWorkspace::Detached);
    QVERIFY2(workspace.isValid(), qPrintable(workspace.error()));
    auto db = workspace.openRemote();
    QCOMPARE(pendingActions(*db), actions);
    for (const QString& action : actions)
        for (const QString& table : CalibrationSchema::loggedTables())
            QVERIFY2(
                count(
                    *db,
                    QStringLiteral(
                        "SELECT count(*) FROM qel_vr_log WHERE affected_table = ? AND action = ?"),
                    {table, action}) > 0,
                qPrintable(table));
    QCOMPARE(count(*db, QStringLiteral("SELECT dbremote FROM dbconfig")), 1);
    QVERIFY(workspace
                .isql(DemoNames::remote.dsn, QStringLiteral("mt"), QStringLiteral("sql"),
                      QStringLiteral("SELECT 1\n"))
                .exitCode == 0);
}

void TestDemoWorkspace::schemaVersionOption()
{
    DemoOptions options = TestWorkspace::small(DemoOptions::Remote::Unprepared);
    options.schemaVersion = QStringLiteral("6.5.1");
    const TestWorkspace workspace(options, TestWorkspace::Detached);
    QVERIFY2(workspace.isValid(), qPrintable(workspace.error()));
    QVERIFY(!workspace.report().remotePrepared);
    auto master = workspace.openMaster();
    auto remote = workspace.openRemote();
    for (SqliteDatabase* db : {master.get(), remote.get()})
        QCOMPARE(db->scalar(QStringLiteral("SELECT version FROM dbconfig")).toString(),
                 QStringLiteral("6.5.1"));

    // Unprepared: the first-time path finds no change log; without triggers writes still work.
    QCOMPARE(count(*remote, QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name LIKE "
                                           "'qel_vr%' OR type = 'trigger'")),
             0);
    QCOMPARE(count(*remote, QStringLiteral("SELECT dbremote FROM dbconfig")), 0);
    remote->exec(QStringLiteral("UPDATE inventory SET i4202 = 'x'"));
    QVERIFY(workspace
                .isql(DemoNames::remote.dsn, QStringLiteral("mt"), QStringLiteral("sql"),
                      QStringLiteral("SELECT 1\n"))
                .exitCode == 0);
    QCOMPARE(count(*master,
                   QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name = 'qel_vr_log'")),
             1);
}

void TestDemoWorkspace::existingWorkspaceIsKeptUnlessReplaced()
{
    QTemporaryDir folder;
    DemoOptions options = TestWorkspace::small(DemoOptions::Remote::Untouched);
    options.extensionPath = m_workspace->report().extension;
    DemoWorkspace::create(folder.path(), options);
    const QString master = QDir(folder.path()).filePath(QStringLiteral("master/caldata.db"));
    const QByteArray before = [&] {
        QFile f(master);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    options.seed = 99;
    QVERIFY_THROWS_EXCEPTION(SchemaError, DemoWorkspace::create(folder.path(), options));
    QFile unchanged(master);
    QVERIFY(unchanged.open(QIODevice::ReadOnly));
    QCOMPARE(unchanged.readAll(), before);
    unchanged.close();

    options.overwrite = true;
    DemoWorkspace::create(folder.path(), options);
    SqliteDatabase replaced(master, SqliteDatabase::Mode::OpenExisting);
    QVERIFY(replaced.scalar(QStringLiteral("SELECT count(*) FROM inventory")).toInt() > 0);
    QFile now(master);
    QVERIFY(now.open(QIODevice::ReadOnly));
    QVERIFY(now.readAll() != before);
    QCOMPARE(QDir(folder.path())
                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                 .size(),
             4);
}

void TestDemoWorkspace::failureLeavesNothingBehind()
{
    QTemporaryDir folder;
    QFile other(QDir(folder.path()).filePath(QStringLiteral("notes.txt")));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    DemoOptions options = TestWorkspace::small();
    options.extensionPath = QDir(folder.path()).filePath(QStringLiteral("missing.so"));
    QVERIFY_THROWS_EXCEPTION(SchemaError, DemoWorkspace::create(folder.path(), options));
    // A file that is no extension fails once the build is under way.
    options.extensionPath = other.fileName();
    QVERIFY_THROWS_EXCEPTION(SchemaError, DemoWorkspace::create(folder.path(), options));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"notes.txt"});
}

void TestDemoWorkspace::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed");

    QTest::newRow("made") << QStringList{"--items", "20", "--remote", "updates", "--quiet"} << 0
                          << "Remote change log: ";
    QTest::newRow("unprepared") << QStringList{"--items",    "20",     "--remote",
                                               "unprepared", "--seed", "3"}
                                << 0 << "no change log";
    QTest::newRow("too few items") << QStringList{"--items", "3"} << 2 << "--items";
    QTest::newRow("unknown remote state") << QStringList{"--remote", "half"} << 2 << "--remote";
    QTest::newRow("help lists the logins") << QStringList{"--help"} << 0 << "mt / sql, MT, 5";
}

void TestDemoWorkspace::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    QTemporaryDir folder;
    const QString program = QDir(testsupport::binaryDir()).filePath(QStringLiteral("vrwdemo"));
    auto run = [&](const QStringList& extra) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, QStringList{folder.path()} + extra);
        process.waitForFinished(-1);
        return std::pair{process.exitCode(), QString::fromUtf8(process.readAll())};
    };
    const auto [code, output] = run(arguments);
    QVERIFY2(output.contains(printed), qPrintable(output));
    QCOMPARE(code, exitCode);
    if (exitCode == 0 && !arguments.contains(QLatin1String("--help"))) {
        // No password in what it prints.
        QList<DemoCatalogue::User> logins = DemoCatalogue::users();
        logins.append(DemoCatalogue::administrator());
        for (const DemoCatalogue::User& user : logins)
            QVERIFY2(!output.contains(
                         QRegularExpression(QStringLiteral("(^|\\W)%1(\\W|$)")
                                                .arg(QRegularExpression::escape(user.password)))),
                     qPrintable(user.login));
        const auto [again, refusal] = run(arguments);
        QCOMPARE(again, 1);
        QVERIFY2(refusal.contains(QLatin1String("already holds a demo workspace")),
                 qPrintable(refusal));
        QCOMPARE(run(arguments + QStringList{"--force"}).first, 0);
    }
}

VARROW_TEST_GUILESS_MAIN(TestDemoWorkspace)
#include "tst_demoworkspace.moc"
