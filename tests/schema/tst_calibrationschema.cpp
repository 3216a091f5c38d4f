// The calibration schema as created in a SQLite file: the keys and columns the transfers rely
// on, text compared without regard to case, the engine's domains, and the rules that keep
// records made apart from colliding.
#include "schema/CalibrationSchema.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sqlite3.h>

class TestCalibrationSchema : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void keyTable_data();
    void keyTable();
    void columnsTheTransfersName_data();
    void columnsTheTransfersName();
    void textColumnsIgnoreCase();
    void declaredTypesAreEngineDomains();
    void keysOfRecordsMadeApart_data();
    void keysOfRecordsMadeApart();
    void confirmFunctionsFindTheSchemasRecords_data();
    void confirmFunctionsFindTheSchemasRecords();
    void scratchTemplate();
    void unpreparedSchemaHasNoChangeMachinery();
    void changeLogLookupsUseTheirIndexes_data();
    void changeLogLookupsUseTheirIndexes();

private:
    QStringList columns(const QString& table, const QString& what = QStringLiteral("name"),
                        const QString& where = QString());

    QTemporaryDir m_folder;
    std::unique_ptr<SqliteDatabase> m_db;
};

void TestCalibrationSchema::initTestCase()
{
    try {
        m_db = std::make_unique<SqliteDatabase>(m_folder.filePath(QStringLiteral("schema.db")),
                                                SqliteDatabase::Mode::Create);
        m_db->loadExtension(
            QDir(testsupport::binaryDir()).filePath(QStringLiteral("varrow_sqlext.so")));
        m_db->exec(QStringLiteral("PRAGMA journal_mode = MEMORY; PRAGMA synchronous = OFF"));
        CalibrationSchema::create(*m_db, true);
    } catch (const SchemaError& e) {
        QFAIL(qPrintable(e.message()));
    }
}

void TestCalibrationSchema::cleanupTestCase()
{
    m_db.reset();
}

QStringList TestCalibrationSchema::columns(const QString& table, const QString& what,
                                           const QString& where)
{
    QStringList names;
    const QString sql =
        QStringLiteral("SELECT %1 FROM pragma_table_info('%2')%3 ORDER BY %4")
            .arg(what, table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where,
                 where.contains(QLatin1String("pk")) ? QStringLiteral("pk")
                                                     : QStringLiteral("cid"));
    for (const QVariantList& row : m_db->rows(sql))
        names.append(row.first().toString());
    return names;
}

void TestCalibrationSchema::keyTable_data()
{
    QTest::addColumn<QString>("affectedTable");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("xtag");
    QTest::addColumn<QString>("xtagAdditional");

    QTest::newRow("INVENTORY") << "INVENTORY"
                               << "inventory"
                               << "mtag"
                               << "";
    QTest::newRow("CALIBRATION") << "CALIBRATION"
                                 << "calibration"
                                 << "ctag"
                                 << "";
    QTest::newRow("STANDARDS") << "STANDARDS"
                               << "standards"
                               << "ctag"
                               << "c2430";
    QTest::newRow("CALRESULTS") << "CALRESULTS"
                                << "calresults"
                                << "ctag"
                                << "c2502";
    QTest::newRow("RESULTS") << "RESULTS"
                             << "results"
                             << "ctag"
                             << "row_num";
    QTest::newRow("RESULTS_RAW") << "RESULTS_RAW"
                                 << "results_raw"
                                 << "ctag"
                                 << "row_num";
    QTest::newRow("LOCATION") << "LOCATION"
                              << "location"
                              << "ltag"
                              << "";
    QTest::newRow("REPAIR") << "REPAIR"
                            << "repair"
                            << "rtag"
                            << "";
    QTest::newRow("CUSTOMERS") << "CUSTOMERS"
                               << "customers"
                               << "ktag"
                               << "";
    QTest::newRow("VALFIELD") << "VALFIELD"
                              << "valfield"
                              << "fldnum"
                              << "val";
    QTest::newRow("VALLINKDATA") << "VALLINKDATA"
                                 << "vallinkdata"
                                 << "root"
                                 << "rootdata";
}

void TestCalibrationSchema::keyTable()
{
    QFETCH(QString, affectedTable);
    QFETCH(QString, table);
    QFETCH(QString, xtag);
    QFETCH(QString, xtagAdditional);

    QVERIFY(CalibrationSchema::loggedTables().contains(affectedTable));
    const TableDefinition& definition = CalibrationSchema::table(table);
    QCOMPARE(definition.xtagColumn, xtag);
    QCOMPARE(definition.xtagAdditionalColumn, xtagAdditional);
    // The key the log names is the key the database enforces.
    QStringList key = {xtag};
    if (!xtagAdditional.isEmpty())
        key.append(xtagAdditional);
    QCOMPARE(columns(table, QStringLiteral("name"), QStringLiteral("pk > 0")), key);
    auto triggers = [this, &table](const QString& pattern) {
        return m_db
            ->scalar(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE type = 'trigger' "
                                    "AND tbl_name = ? AND name LIKE ?"),
                     {table, pattern})
            .toInt();
    };
    QCOMPARE(triggers(QStringLiteral("%_ins")), 1);
    QCOMPARE(triggers(QStringLiteral("%_del")), 1);
    // A keyed table logs each column's update by a trigger of its own; a validation table,
    // whose key may change, by one trigger for the row.
    if (definition.logForm == ChangeLogForm::Keyed)
        QCOMPARE(triggers(QStringLiteral("%_upd_%")), int(definition.columns.size()));
    else
        QCOMPARE(triggers(QStringLiteral("%_upd")), 1);
}

void TestCalibrationSchema::columnsTheTransfersName_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("named");

    QTest::newRow("inventory") << "inventory" << QStringList{"mtag", "i4201", "ktag", "idsrc"};
    QTest::newRow("calibration") << "calibration" << QStringList{"ctag",  "mtag",  "c2301", "c2333",
                                                                 "c2334", "c2339", "cdsrc"};
    QTest::newRow("standards") << "standards" << QStringList{"ctag", "c2430", "mtag"};
    QTest::newRow("calresults") << "calresults" << QStringList{"ctag", "c2502", "mtag"};
    QTest::newRow("results") << "results" << QStringList{"ctag", "row_num", "mtag"};
    QTest::newRow("results_raw") << "results_raw" << QStringList{"ctag", "row_num", "mtag"};
    QTest::newRow("location") << "location"
                              << QStringList{"ltag", "mtag", "l2809", "l2810", "l2815", "ldsrc"};
    QTest::newRow("repair") << "repair"
                            << QStringList{"rtag", "mtag", "r3230", "r3241", "r3246", "rdsrc"};
    QTest::newRow("customers") << "customers" << QStringList{"ktag", "k4601", "kdsrc"};
    QTest::newRow("valfield") << "valfield" << QStringList{"fldnum", "val"};
    QTest::newRow("vallinkdata") << "vallinkdata" << QStringList{"root", "rootdata"};
    QTest::newRow("userlist") << "userlist" << QStringList{"mtuser", "i4240", "mtlevel"};
    QTest::newRow("dbconfig") << "dbconfig" << QStringList{"version", "dbremote"};
    QTest::newRow("inuse") << "inuse" << QStringList{"mtuser"};
    QTest::newRow("qel_vr_log") << "qel_vr_log" << QStringList{"xtag",           "xtag_additional",
                                                               "affected_table", "affected_column",
                                                               "action",         "mtuser",
                                                               "event_date",     "sync_date",
                                                               "i4201"};
    QTest::newRow("qel_vr_transfer_log")
        << "qel_vr_transfer_log"
        << QStringList{"host_name", "user_name",    "start_time", "transfer_type", "num_records",
                       "num_mods",  "stop_time",    "inv_new",    "cal_new",       "resc_new",
                       "resf_new",  "resr_new",     "std_new",    "loc_new",       "rep_new",
                       "cus_new",   "inv_mod",      "cal_mod",    "loc_mod",       "rep_mod",
                       "cus_mod",   "user_account", "comments"};
}

void TestCalibrationSchema::columnsTheTransfersName()
{
    QFETCH(QString, table);
    QFETCH(QStringList, named);
    const QStringList present = columns(table);
    for (const QString& column : named)
        QVERIFY2(present.contains(column), qPrintable(table + QLatin1Char('.') + column));
    if (table.startsWith(QLatin1String("qel_vr_")))
        QCOMPARE(present, named); // written and read back in this order
}

void TestCalibrationSchema::textColumnsIgnoreCase()
{
    int textColumns = 0;
    for (const TableDefinition& table : CalibrationSchema::tables()) {
        for (const QString& column : columns(table.name)) {
            const char* type = nullptr;
            const char* collation = nullptr;
            QCOMPARE(sqlite3_table_column_metadata(
                         m_db->handle(), "main", table.name.toUtf8().constData(),
                         column.toUtf8().constData(), &type, &collation, nullptr, nullptr, nullptr),
                     SQLITE_OK);
            const QString declared = QString::fromUtf8(type);
            const bool text = declared.contains(QLatin1String("CHAR"));
            QCOMPARE(QString::fromUtf8(collation),
                     text ? QStringLiteral("NOCASE") : QStringLiteral("BINARY"));
            textColumns += text;
        }
    }
    QVERIFY(textColumns >= 50);
}

void TestCalibrationSchema::declaredTypesAreEngineDomains()
{
    // The stand-in's catalogue reads domains from declared types; every domain of the engine
    // appears in the inventory, so a copy of one table meets all of them.
    QStringList domains;
    for (const QString& type : columns(QStringLiteral("inventory"), QStringLiteral("type"))) {
        const QString domain =
            m_db->scalar(QStringLiteral("SELECT varrow_domain_name(varrow_domain_id(?))"), {type})
                .toString();
        if (!domains.contains(domain))
            domains.append(domain);
    }
    domains.sort();
    QCOMPARE(domains, (QStringList{"binary", "char", "date", "decimal", "double", "float",
                                   "integer", "long binary", "long varchar", "numeric", "smallint",
                                   "time", "timestamp", "tinyint", "varchar"}));

    const QStringList known = domains;
    for (const TableDefinition& table : CalibrationSchema::tables())
        for (const ColumnDefinition& column : table.columns)
            QVERIFY2(
                known.contains(
                    m_db->scalar(QStringLiteral("SELECT varrow_domain_name(varrow_domain_id(?))"),
                                 {column.type})
                        .toString()),
                qPrintable(table.name + QLatin1Char('.') + column.name + QLatin1Char(' ') +
                           column.type));
}

void TestCalibrationSchema::keysOfRecordsMadeApart_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("accepted");

    // One asset number, one customer number per database, whatever the letter case: the
    // transfers identify items and customers across databases by them.
    QTest::newRow("asset number twice")
        << "INSERT INTO inventory (mtag, i4201) VALUES ('M1', 'QA-1'), ('M2', 'qa-1')" << false;
    QTest::newRow("customer number twice") << "INSERT INTO customers (ktag, k4601, k4602) VALUES "
                                              "('K1:HQ', 'K1', 'a'), ('k1:F7', 'k1', 'b')"
                                           << false;
    QTest::newRow("item key in other case")
        << "INSERT INTO inventory (mtag, i4201) VALUES ('M1', 'QA-1'), ('m1', 'QA-2')" << false;
    QTest::newRow("item without asset number")
        << "INSERT INTO inventory (mtag) VALUES ('M1')" << false;
    // Re-keying a dependant whose item did not travel leaves its mtag empty.
    QTest::newRow("calibration without item")
        << "INSERT INTO calibration (ctag, c2301) VALUES ('C1', '2024-01-01')" << true;
    QTest::newRow("standard without calibrated item")
        << "INSERT INTO standards (ctag, c2430) VALUES ('C1', 'M1')" << true;
    QTest::newRow("calibration without date")
        << "INSERT INTO calibration (ctag, mtag) VALUES ('C1', 'M1')" << false;
    QTest::newRow("defaults fill required flags")
        << "INSERT INTO location (ltag, l2809) VALUES ('L1', '2024-01-01')" << true;
    QTest::newRow("change log row without key")
        << "INSERT INTO qel_vr_log (affected_table, action, event_date) VALUES ('X', 'INS', "
           "'2024-01-01 00:00:00.000')"
        << false;
}

void TestCalibrationSchema::keysOfRecordsMadeApart()
{
    QFETCH(QString, statement);
    QFETCH(bool, accepted);
    m_db->exec(QStringLiteral("SAVEPOINT probe"));
    bool ok = true;
    try {
        m_db->exec(statement);
    } catch (const SchemaError&) {
        ok = false;
    }
    m_db->exec(QStringLiteral("ROLLBACK TO probe; RELEASE probe"));
    QCOMPARE(ok, accepted);
}

void TestCalibrationSchema::confirmFunctionsFindTheSchemasRecords_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("probe");
    QTest::addColumn<int>("expected");

    const QString calibration = QStringLiteral("INSERT INTO calibration (ctag, mtag, c2301, c2333) "
                                               "VALUES ('C1', 'M1', '2024-06-05', '10:15:00')");
    QTest::newRow("calibration held")
        << calibration << "qel_vr_cal_record_confirm('2024-06-05', '10:15:00', 'm1')" << 1;
    QTest::newRow("calibration other time")
        << calibration << "qel_vr_cal_record_confirm('2024-06-05', '10:20:00', 'M1')" << 0;
    const QString location =
        QStringLiteral("INSERT INTO location (ltag, mtag, l2809, l2810) VALUES ('L1', 'M1', "
                       "'2024-06-06', 'Lab 2 – Pressure')");
    QTest::newRow("location held")
        << location << "qel_vr_loc_record_confirm('2024-06-06', 'LAB 2 – PRESSURE', 'M1')" << 1;
    QTest::newRow("location other item")
        << location << "qel_vr_loc_record_confirm('2024-06-06', 'Lab 2 – Pressure', 'M2')" << 0;
    const QString repair = QStringLiteral("INSERT INTO repair (rtag, mtag, r3230, r3241) VALUES "
                                          "('R1', 'M1', '2024-06-07', 'RO-2024-0901')");
    QTest::newRow("repair held") << repair
                                 << "qel_vr_rep_record_confirm('2024-06-07', 'RO-2024-0901', 'M1')"
                                 << 1;
    QTest::newRow("repair other order")
        << repair << "qel_vr_rep_record_confirm('2024-06-07', 'RO-2024-0902', 'M1')" << 0;
}

void TestCalibrationSchema::confirmFunctionsFindTheSchemasRecords()
{
    QFETCH(QString, row);
    QFETCH(QString, probe);
    QFETCH(int, expected);
    m_db->exec(QStringLiteral("SAVEPOINT probe"));
    m_db->exec(row);
    const int answer = m_db->scalar(QStringLiteral("SELECT ") + probe).toInt();
    m_db->exec(QStringLiteral("ROLLBACK TO probe; RELEASE probe"));
    QCOMPARE(answer, expected);
}

void TestCalibrationSchema::scratchTemplate()
{
    QCOMPARE(columns(QStringLiteral("qel_vr_scratch")), (QStringList{"asset", "mtag", "xtag"}));
    QCOMPARE(columns(QStringLiteral("qel_vr_scratch"), QStringLiteral("type")),
             (QStringList{"CHAR(80)", "CHAR(80)", "CHAR(80)"}));
    QCOMPARE(
        columns(QStringLiteral("qel_vr_scratch"), QStringLiteral("name"), QStringLiteral("pk > 0")),
        QStringList{});
}

void TestCalibrationSchema::unpreparedSchemaHasNoChangeMachinery()
{
    const QString all = CalibrationSchema::createStatements(true).join(QLatin1Char('\n'));
    const QString product = CalibrationSchema::createStatements(false).join(QLatin1Char('\n'));
    QVERIFY(!product.contains(QLatin1String("qel_vr")));
    QVERIFY(!product.contains(QLatin1String("TRIGGER")));
    // Insert and delete triggers per logged table, and update triggers per column or per row.
    int triggers = 0;
    for (const QString& table : CalibrationSchema::loggedTables()) {
        const TableDefinition& definition = CalibrationSchema::table(table.toLower());
        triggers +=
            2 + (definition.logForm == ChangeLogForm::Keyed ? int(definition.columns.size()) : 1);
    }
    QCOMPARE(all.count(QLatin1String("CREATE TRIGGER")), triggers);
    for (const QString& table : CalibrationSchema::loggedTables())
        QVERIFY(product.contains(QStringLiteral("CREATE TABLE %1 (").arg(table.toLower())));
}

// The transfers' look-ups of the change log stay index searches whatever the log holds: one
// change's rows by its key, a table's pending rows in the order they were logged.
void TestCalibrationSchema::changeLogLookupsUseTheirIndexes_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("plan");
    const QString byKey = QStringLiteral("SEARCH qel_vr_log USING INDEX "
                                         "qel_vr_log_xtag_affected_table_action_affected_column "
                                         "(xtag=? AND affected_table=? AND action=?");
    QTest::newRow("a change marked")
        << "UPDATE qel_vr_log SET sync_date = '2026-01-02' WHERE sync_date IS NULL AND "
           "action = 'UPD' AND affected_table = 'INVENTORY' AND xtag = 'M1' AND "
           "affected_column = 'i4202' AND event_date <= '2026-01-01 10:00:00.000'"
        << byKey + QStringLiteral(" AND affected_column=?)");
    QTest::newRow("a new record stamped")
        << "UPDATE qel_vr_log SET sync_date = '2026-01-02' WHERE xtag = 'C1' AND "
           "xtag_additional = '3' AND affected_table = 'CALRESULTS' AND action = 'INS'"
        << byKey + QLatin1Char(')');
    QTest::newRow("where a stretch of pending rows ends")
        << "SELECT event_date FROM qel_vr_log WHERE sync_date IS NULL AND affected_table = "
           "'INVENTORY' AND action = 'UPD' AND event_date > '2026' AND event_date <= '2027' "
           "ORDER BY event_date LIMIT 1 OFFSET 4095"
        << "SEARCH qel_vr_log USING COVERING INDEX "
           "qel_vr_log_affected_table_action_sync_date_event_date (affected_table=? AND "
           "action=? AND sync_date=? AND event_date>? AND event_date<?)";
}

void TestCalibrationSchema::changeLogLookupsUseTheirIndexes()
{
    QFETCH(QString, query);
    QFETCH(QString, plan);
    const QList<QVariantList> rows = m_db->rows(QStringLiteral("EXPLAIN QUERY PLAN ") + query);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().last().toString(), plan);
}

VARROW_TEST_GUILESS_MAIN(TestCalibrationSchema)
#include "tst_calibrationschema.moc"
