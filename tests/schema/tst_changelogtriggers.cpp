// The change-log triggers: what each insert, delete and update of a remote copy leaves in
// qel_vr_log, and that a database not marked as remote logs nothing. The same cases run on a
// SQLite file and, in the PostgreSQL run, on a database with the PL/pgSQL triggers made from
// the same table definitions.
#include "schema/CalibrationSchema.h"
#include "schema/PostgresDatabase.h"
#include "schema/PostgresSchema.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"
#include "tests/support/MasterDatabase.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class TestChangeLogTriggers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void insertAndDeleteLogKeys_data();
    void insertAndDeleteLogKeys();
    void updateLogsEachChangedColumn_data();
    void updateLogsEachChangedColumn();
    void nothingLoggedUnlessRemote_data();
    void nothingLoggedUnlessRemote();
    void logRowsCarryUserAndLocalTime();
    void validationFieldUpdateForm();
    void validationLinkUpdateForm();
    void validationKeyChangeIsDeleteAndInsert_data();
    void validationKeyChangeIsDeleteAndInsert();
    void keyWithApostrophe();

private:
    // action|table|column|xtag|xtag_additional|i4201, NULL as "~", oldest first.
    QStringList log();
    // The user the triggers record from here on.
    void setUser(const QString& login);
    std::unique_ptr<MasterDatabase> openDatabase(const QString& name);

    QTemporaryDir m_folder;
    std::unique_ptr<MasterDatabase> m_db;
};

namespace {

// A binary literal of the engine the run uses.
QString blob(const char* hex)
{
    return testsupport::postgresMaster() ? QStringLiteral("'\\x%1'::bytea").arg(QLatin1String(hex))
                                         : QStringLiteral("x'%1'").arg(QLatin1String(hex));
}

} // namespace

std::unique_ptr<MasterDatabase> TestChangeLogTriggers::openDatabase(const QString& name)
{
    if (!testsupport::postgresMaster()) {
        const QString file = m_folder.filePath(name + QStringLiteral(".db"));
        QFile::remove(file);
        auto db = std::make_unique<SqliteDatabase>(file, SqliteDatabase::Mode::Create);
        db->loadExtension(
            QDir(testsupport::binaryDir()).filePath(QStringLiteral("varrow_sqlext.so")));
        db->exec(QStringLiteral("PRAGMA journal_mode = MEMORY; PRAGMA synchronous = OFF"));
        CalibrationSchema::create(*db, true);
        return MasterDatabase::sqlite(std::move(db));
    }
    const QString host = testsupport::postgresSocketFolderOrSkip();
    const QString database = name.toLower();
    {
        PostgresDatabase server({host, {}, QStringLiteral("postgres"), {}, {}});
        server.exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(database));
        server.exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0").arg(database));
    }
    auto db =
        std::make_unique<PostgresDatabase>(PostgresDatabase::Address{host, {}, database, {}, {}});
    PostgresSchema::create(*db, true);
    PostgresSchema::grantLogins(*db,
                                {{QStringLiteral("anna"), QStringLiteral("anna4")},
                                 {QStringLiteral("ben"), QStringLiteral("ben3")},
                                 {QStringLiteral("mt"), QStringLiteral("sql")}},
                                QStringLiteral("mt"), QStringLiteral("mt"));
    return MasterDatabase::postgres(std::move(db));
}

void TestChangeLogTriggers::setUser(const QString& login)
{
    m_db->exec(testsupport::postgresMaster()
                   ? QStringLiteral("SET SESSION AUTHORIZATION %1").arg(login)
                   : QStringLiteral("SELECT varrow_set_user('%1')").arg(login));
}

void TestChangeLogTriggers::init()
{
    try {
        m_db = openDatabase(QString::fromLatin1(QTest::currentTestFunction()));
        setUser(QStringLiteral("anna"));
        m_db->exec(QStringLiteral(
            "INSERT INTO dbconfig (version, dbremote) VALUES ('8.2.0', 0);"
            "INSERT INTO customers (ktag, k4601, k4602) VALUES ('K1:HQ', 'K1', 'Acme');"
            "INSERT INTO inventory (mtag, i4201, i4202, ktag) VALUES ('M1', 'A-1', 'Multimeter', "
            "'K1:HQ');"
            "INSERT INTO inventory (mtag, i4201, i4207) VALUES ('S1', 'S-1', 1);"
            "INSERT INTO calibration (ctag, mtag, c2301, c2333) VALUES ('C1', 'M1', '2024-05-02', "
            "'09:30:00');"
            "INSERT INTO standards (ctag, c2430, mtag) VALUES ('C1', 'S1', 'M1');"
            "INSERT INTO calresults (ctag, c2502, mtag, c2506) VALUES ('C1', 1, 'M1', 9.99);"
            "INSERT INTO results (ctag, row_num, mtag) VALUES ('C1', 1, 'M1');"
            "INSERT INTO results_raw (ctag, row_num, mtag) VALUES ('C1', 1, 'M1');"
            "INSERT INTO location (ltag, mtag, l2809, l2810) VALUES ('L1', 'M1', '2024-05-01', "
            "'Store');"
            "INSERT INTO repair (rtag, mtag, r3230) VALUES ('R1', 'M1', '2024-04-01');"
            "INSERT INTO valfield (fldnum, val, valdesc) VALUES (4206, 'A', 'Active');"
            "INSERT INTO vallinkdata (root, rootdata, linkdesc) VALUES ('Fluke', '87V', "
            "'Multimeter');"
            "UPDATE dbconfig SET dbremote = 1"));
    } catch (const SchemaError& e) {
        QFAIL(qPrintable(e.message()));
    }
}

void TestChangeLogTriggers::cleanup()
{
    m_db.reset();
}

QStringList TestChangeLogTriggers::log()
{
    QStringList lines;
    for (const QVariantList& row :
         m_db->rows(QStringLiteral("SELECT action, affected_table, affected_column, xtag, "
                                   "xtag_additional, i4201 FROM qel_vr_log ORDER BY %1")
                        .arg(testsupport::postgresMaster() ? QLatin1String("ctid")
                                                           : QLatin1String("rowid")))) {
        QStringList fields;
        for (const QVariant& v : row)
            fields.append(v.isNull() ? QStringLiteral("~") : v.toString());
        lines.append(fields.join(QLatin1Char('|')));
    }
    return lines;
}

void TestChangeLogTriggers::insertAndDeleteLogKeys_data()
{
    QTest::addColumn<QString>("insert");
    QTest::addColumn<QString>("remove");
    QTest::addColumn<QString>("logged"); // table|column|xtag|xtag_additional|i4201

    QTest::newRow("inventory") << "INSERT INTO inventory (mtag, i4201) VALUES ('M2', 'A-2')"
                               << "DELETE FROM inventory WHERE mtag = 'M2'"
                               << "INVENTORY|~|M2|~|A-2";
    QTest::newRow("customers")
        << "INSERT INTO customers (ktag, k4601, k4602) VALUES ('K9:F7', 'K9', 'Nine')"
        << "DELETE FROM customers WHERE ktag = 'K9:F7'"
        << "CUSTOMERS|~|K9:F7|~|~";
    QTest::newRow("calibration")
        << "INSERT INTO calibration (ctag, mtag, c2301) VALUES ('C2', 'M1', '2024-06-01')"
        << "DELETE FROM calibration WHERE ctag = 'C2'"
        << "CALIBRATION|~|C2|~|A-1";
    QTest::newRow("calibration without item")
        << "INSERT INTO calibration (ctag, c2301) VALUES ('C3', '2024-06-01')"
        << "DELETE FROM calibration WHERE ctag = 'C3'"
        << "CALIBRATION|~|C3|~|~";
    QTest::newRow("standards")
        << "INSERT INTO standards (ctag, c2430, mtag) VALUES ('C1', 'M1', 'M1')"
        << "DELETE FROM standards WHERE ctag = 'C1' AND c2430 = 'M1'"
        << "STANDARDS|~|C1|M1|A-1";
    // A result without an item of its own finds the asset through its calibration.
    QTest::newRow("calresults through calibration")
        << "INSERT INTO calresults (ctag, c2502) VALUES ('C1', 5)"
        << "DELETE FROM calresults WHERE ctag = 'C1' AND c2502 = 5"
        << "CALRESULTS|~|C1|5|A-1";
    QTest::newRow("results") << "INSERT INTO results (ctag, row_num, mtag) VALUES ('C1', 7, 'M1')"
                             << "DELETE FROM results WHERE ctag = 'C1' AND row_num = 7"
                             << "RESULTS|~|C1|7|A-1";
    QTest::newRow("results_raw") << "INSERT INTO results_raw (ctag, row_num) VALUES ('C1', 3)"
                                 << "DELETE FROM results_raw WHERE ctag = 'C1' AND row_num = 3"
                                 << "RESULTS_RAW|~|C1|3|A-1";
    QTest::newRow("location")
        << "INSERT INTO location (ltag, mtag, l2809) VALUES ('L2', 'M1', '2024-06-01')"
        << "DELETE FROM location WHERE ltag = 'L2'"
        << "LOCATION|~|L2|~|A-1";
    QTest::newRow("repair")
        << "INSERT INTO repair (rtag, mtag, r3230) VALUES ('R2', 'S1', '2024-06-01')"
        << "DELETE FROM repair WHERE rtag = 'R2'"
        << "REPAIR|~|R2|~|S-1";
    QTest::newRow("valfield") << "INSERT INTO valfield (fldnum, val) VALUES (2810, 'Van 7')"
                              << "DELETE FROM valfield WHERE fldnum = 2810"
                              << "VALFIELD|~|2810|Van 7|~";
    QTest::newRow("vallinkdata")
        << "INSERT INTO vallinkdata (root, rootdata) VALUES ('Fluke', '289')"
        << "DELETE FROM vallinkdata WHERE rootdata = '289'"
        << "VALLINKDATA|~|Fluke|289|~";
}

void TestChangeLogTriggers::insertAndDeleteLogKeys()
{
    QFETCH(QString, insert);
    QFETCH(QString, remove);
    QFETCH(QString, logged);
    m_db->exec(insert);
    QCOMPARE(log(), QStringList{QStringLiteral("INS|") + logged});
    m_db->exec(remove);
    QCOMPARE(log(),
             (QStringList{QStringLiteral("INS|") + logged, QStringLiteral("DEL|") + logged}));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM qel_vr_log WHERE sync_date IS NULL"))
                 .toInt(),
             2);
}

void TestChangeLogTriggers::updateLogsEachChangedColumn_data()
{
    QTest::addColumn<QString>("update");
    QTest::addColumn<QStringList>("logged");

    QTest::newRow("two columns")
        << "UPDATE inventory SET i4202 = 'DMM', i4210 = '2025-05-02' WHERE mtag = 'M1'"
        << QStringList{"UPD|INVENTORY|i4202|M1|~|A-1", "UPD|INVENTORY|i4210|M1|~|A-1"};
    QTest::newRow("same value")
        << "UPDATE inventory SET i4202 = 'Multimeter', i4203 = NULL WHERE mtag = 'M1'"
        << QStringList{};
    // Columns compare without regard to case, but a corrected letter case must still travel.
    QTest::newRow("letter case only")
        << "UPDATE inventory SET i4202 = 'MULTIMETER' WHERE mtag = 'M1'"
        << QStringList{"UPD|INVENTORY|i4202|M1|~|A-1"};
    QTest::newRow("to and from null")
        << "UPDATE inventory SET i4202 = NULL, i4205 = 'SN1' WHERE mtag = 'M1'"
        << QStringList{"UPD|INVENTORY|i4202|M1|~|A-1", "UPD|INVENTORY|i4205|M1|~|A-1"};
    QTest::newRow("asset number itself") << "UPDATE inventory SET i4201 = 'A-1B' WHERE mtag = 'M1'"
                                         << QStringList{"UPD|INVENTORY|i4201|M1|~|A-1B"};
    QTest::newRow("calibration")
        << "UPDATE calibration SET c2333 = '10:00:00', c2339 = 1 WHERE ctag = 'C1'"
        << QStringList{"UPD|CALIBRATION|c2333|C1|~|A-1", "UPD|CALIBRATION|c2339|C1|~|A-1"};
    QTest::newRow("standards") << "UPDATE standards SET c2433 = 'Cert 1' WHERE ctag = 'C1'"
                               << QStringList{"UPD|STANDARDS|c2433|C1|S1|A-1"};
    QTest::newRow("calresults number") << "UPDATE calresults SET c2506 = 10.01 WHERE ctag = 'C1'"
                                       << QStringList{"UPD|CALRESULTS|c2506|C1|1|A-1"};
    QTest::newRow("results") << "UPDATE results SET f2605 = 'note' WHERE ctag = 'C1'"
                             << QStringList{"UPD|RESULTS|f2605|C1|1|A-1"};
    QTest::newRow("results_raw blob")
        << QStringLiteral("UPDATE results_raw SET w2704 = %1 WHERE ctag = 'C1'").arg(blob("00ff"))
        << QStringList{"UPD|RESULTS_RAW|w2704|C1|1|A-1"};
    QTest::newRow("location") << "UPDATE location SET l2810 = 'Lab 1' WHERE ltag = 'L1'"
                              << QStringList{"UPD|LOCATION|l2810|L1|~|A-1"};
    QTest::newRow("repair") << "UPDATE repair SET r3241 = 'RO-1' WHERE rtag = 'R1'"
                            << QStringList{"UPD|REPAIR|r3241|R1|~|A-1"};
    QTest::newRow("customers") << "UPDATE customers SET k4607 = '+44 1' WHERE ktag = 'K1:HQ'"
                               << QStringList{"UPD|CUSTOMERS|k4607|K1:HQ|~|~"};
}

void TestChangeLogTriggers::updateLogsEachChangedColumn()
{
    QFETCH(QString, update);
    QFETCH(QStringList, logged);
    m_db->exec(update);
    QCOMPARE(log(), logged);
}

void TestChangeLogTriggers::nothingLoggedUnlessRemote_data()
{
    QTest::addColumn<QString>("configuration");
    QTest::newRow("dbremote 0") << "UPDATE dbconfig SET dbremote = 0";
    QTest::newRow("no configuration row") << "DELETE FROM dbconfig";
}

void TestChangeLogTriggers::nothingLoggedUnlessRemote()
{
    QFETCH(QString, configuration);
    m_db->exec(configuration);
    m_db->exec(
        QStringLiteral("INSERT INTO inventory (mtag, i4201) VALUES ('M2', 'A-2');"
                       "UPDATE inventory SET i4202 = 'x', i4210 = '2025-01-01' WHERE mtag = 'M1';"
                       "UPDATE valfield SET valdesc = 'x';"
                       "UPDATE vallinkdata SET rootdata = '88V';"
                       "DELETE FROM calresults;"
                       "DELETE FROM inventory WHERE mtag = 'M2'"));
    QCOMPARE(log(), QStringList{});

    m_db->exec(QStringLiteral("DELETE FROM dbconfig; INSERT INTO dbconfig (cfgid, version, "
                              "dbremote) VALUES (1, '8.2.0', 1)"));
    m_db->exec(QStringLiteral("DELETE FROM results"));
    QCOMPARE(log(), QStringList{"DEL|RESULTS|~|C1|1|A-1"});
}

void TestChangeLogTriggers::logRowsCarryUserAndLocalTime()
{
    setUser(QStringLiteral("ben"));
    m_db->exec(QStringLiteral("UPDATE repair SET r3233 = 12.5, r3234 = 1.5"));
    const QList<QVariantList> rows =
        m_db->rows(QStringLiteral("SELECT mtuser, event_date, sync_date FROM qel_vr_log"));
    QCOMPARE(rows.size(), 2);
    // Milliseconds: PostgreSQL writes them without their trailing zeros (".27", or none).
    const QRegularExpression stamp(
        testsupport::postgresMaster()
            ? QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d(\\.\\d{1,3})?$")
            : QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"));
    for (const QVariantList& row : rows) {
        QCOMPARE(row.at(0).toString(), QStringLiteral("ben"));
        QVERIFY2(stamp.match(row.at(1).toString()).hasMatch(), qPrintable(row.at(1).toString()));
        QVERIFY(row.at(2).isNull());
    }
}

void TestChangeLogTriggers::validationFieldUpdateForm()
{
    // The column's name travels in xtag_additional: the transfer addresses the field by fldnum.
    m_db->exec(
        QStringLiteral("UPDATE valfield SET valdesc = 'In use', seq = 4 WHERE fldnum = 4206"));
    QCOMPARE(log(),
             (QStringList{"UPD|VALFIELD|valdesc|4206|valdesc|~", "UPD|VALFIELD|seq|4206|seq|~"}));
}

void TestChangeLogTriggers::validationLinkUpdateForm()
{
    // root in xtag, the new value in xtag_additional, rootdata in i4201.
    m_db->exec(QStringLiteral(
        "UPDATE vallinkdata SET linkdesc = 'True RMS multimeter' WHERE root = 'Fluke'"));
    m_db->exec(
        QStringLiteral("UPDATE vallinkdata SET linkdesc = NULL, seq = 3 WHERE root = 'Fluke'"));
    QCOMPARE(log(), (QStringList{"UPD|VALLINKDATA|linkdesc|Fluke|True RMS multimeter|87V",
                                 "UPD|VALLINKDATA|linkdesc|Fluke|~|87V",
                                 "UPD|VALLINKDATA|seq|Fluke|3|87V"}));
}

void TestChangeLogTriggers::validationKeyChangeIsDeleteAndInsert_data()
{
    QTest::addColumn<QString>("update");
    QTest::addColumn<QStringList>("logged");
    QTest::newRow("valfield value")
        << "UPDATE valfield SET val = 'Act', valdesc = 'Active (new)' WHERE fldnum = 4206"
        << QStringList{"DEL|VALFIELD|~|4206|A|~", "INS|VALFIELD|~|4206|Act|~"};
    QTest::newRow("valfield letter case")
        << "UPDATE valfield SET val = 'a'"
        << QStringList{"DEL|VALFIELD|~|4206|A|~", "INS|VALFIELD|~|4206|a|~"};
    QTest::newRow("vallinkdata rootdata")
        << "UPDATE vallinkdata SET rootdata = '87V MAX'"
        << QStringList{"DEL|VALLINKDATA|~|Fluke|87V|~", "INS|VALLINKDATA|~|Fluke|87V MAX|~"};
    QTest::newRow("vallinkdata root")
        << "UPDATE vallinkdata SET root = 'Fluke Corp.', seq = 2"
        << QStringList{"DEL|VALLINKDATA|~|Fluke|87V|~", "INS|VALLINKDATA|~|Fluke Corp.|87V|~"};
}

void TestChangeLogTriggers::validationKeyChangeIsDeleteAndInsert()
{
    QFETCH(QString, update);
    QFETCH(QStringList, logged);
    m_db->exec(update);
    QCOMPARE(log(), logged);
}

void TestChangeLogTriggers::keyWithApostrophe()
{
    m_db->exec(QStringLiteral(
        "INSERT INTO inventory (mtag, i4201, ktag) VALUES ('O''NEIL-01', 'O''NEIL-01', "
        "'O''NEIL:F7');"
        "INSERT INTO location (ltag, mtag, l2809) VALUES ('L''9', 'O''NEIL-01', '2024-06-04');"
        "UPDATE inventory SET i4202 = 'Druckmessumformer 0–10 bar' WHERE mtag = 'O''NEIL-01';"
        "DELETE FROM location WHERE ltag = 'L''9'"));
    QCOMPARE(log(),
             (QStringList{"INS|INVENTORY|~|O'NEIL-01|~|O'NEIL-01", "INS|LOCATION|~|L'9|~|O'NEIL-01",
                          "UPD|INVENTORY|i4202|O'NEIL-01|~|O'NEIL-01",
                          "DEL|LOCATION|~|L'9|~|O'NEIL-01"}));
}

VARROW_TEST_GUILESS_MAIN(TestChangeLogTriggers)
#include "tst_changelogtriggers.moc"
