#include "schema/CalibrationSchema.h"

#include "schema/ChangeLogTriggers.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"

namespace {

enum Nulls
{
    Nullable,
    Required
};

ColumnDefinition col(const char* name, const char* type, Nulls nulls = Nullable,
                     const char* defaultSql = "")
{
    return {QString::fromLatin1(name), QString::fromLatin1(type), nulls == Required,
            QString::fromLatin1(defaultSql)};
}

QStringList keys(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* n : names)
        list.append(QString::fromLatin1(n));
    return list;
}

// Builds a table definition in one expression.
struct Table
{
    Table(const char* name, QList<ColumnDefinition> columns)
    {
        definition.name = QString::fromLatin1(name);
        definition.columns = std::move(columns);
    }
    Table& key(std::initializer_list<const char*> names)
    {
        definition.primaryKey = keys(names);
        return *this;
    }
    Table& unique(std::initializer_list<const char*> names)
    {
        definition.uniqueKeys.append(keys(names));
        return *this;
    }
    Table& index(std::initializer_list<const char*> names)
    {
        definition.indexes.append(keys(names));
        return *this;
    }
    // A logged table's change-log key is its primary key: xtag, then xtag_additional.
    Table& logged(ChangeLogForm form, AssetSource asset)
    {
        definition.logForm = form;
        definition.xtagColumn = definition.primaryKey.value(0);
        definition.xtagAdditionalColumn = definition.primaryKey.value(1);
        definition.assetSource = asset;
        return *this;
    }
    operator TableDefinition() const { return definition; }

    TableDefinition definition;
};

// Keys are text codes, unique per database; the item key mtag and the calibration key ctag
// are what every dependant hangs on. The item's mtag in a dependant may be null: re-keying a
// dependant whose item did not travel leaves it without one, and a NOT NULL here would turn
// that into a failed statement instead of a row the transfer can judge.
QList<TableDefinition> buildTables()
{
    QList<TableDefinition> t;

    t.append(
        Table("customers",
              {
                  col("ktag", "CHAR(40)", Required),  // customer number ":" origin
                  col("k4601", "CHAR(20)", Required), // customer number, the same in every database
                  col("k4602", "VARCHAR(80)", Required),       // name
                  col("k4603", "VARCHAR(80)"),                 // street
                  col("k4604", "CHAR(40)"),                    // city
                  col("k4605", "CHAR(12)"),                    // postcode
                  col("k4606", "CHAR(40)"),                    // country
                  col("k4607", "CHAR(30)"),                    // phone
                  col("k4608", "VARCHAR(80)"),                 // e-mail
                  col("k4609", "NUMERIC(5,2)", Required, "0"), // discount in percent
                  col("k4610", "DATE"),                        // customer since
                  col("k4611", "LONG VARCHAR"),                // notes
                  col("kdsrc", "CHAR(3)"),                     // data source marker
              })
            .key({"ktag"})
            .unique({"k4601"})
            .logged(ChangeLogForm::Keyed, AssetSource::None));

    t.append(
        Table("inventory",
              {
                  col("mtag", "CHAR(20)", Required),
                  col("i4201", "CHAR(30)", Required), // asset number, the same in every database
                  col("i4202", "VARCHAR(80)"),        // description
                  col("i4203", "CHAR(30)"),           // manufacturer
                  col("i4204", "CHAR(30)"),           // model
                  col("i4205", "CHAR(30)"),           // serial number
                  col("ktag", "CHAR(40)"),            // owning customer
                  col("i4206", "CHAR(1)", Required,
                      "'A'"),                             // status: A active, I inactive, R retired
                  col("i4207", "TINYINT", Required, "0"), // 1 for a reference standard
                  col("i4208", "SMALLINT", Required, "12"), // calibration interval in months
                  col("i4209", "DATE"),                     // received
                  col("i4210", "DATE"),                     // next calibration due
                  col("i4211", "NUMERIC(10,2)"),            // purchase price
                  col("i4212", "DECIMAL(12,3)"),            // range maximum
                  col("i4213", "DOUBLE"),                   // relative accuracy
                  col("i4214", "FLOAT"),                    // weight in kg
                  col("i4215", "INTEGER", Required, "0"),   // calibrations so far
                  col("i4216", "TIME"),                     // warm-up time
                  col("i4217", "TIMESTAMP"),                // last changed
                  col("i4218", "LONG VARCHAR"),             // notes
                  col("i4219", "BINARY(8)"),                // RFID tag
                  col("i4220", "LONG BINARY"),              // label image
                  col("idsrc", "CHAR(3)"),                  // data source marker
              })
            .key({"mtag"})
            .unique({"i4201"})
            .index({"ktag"})
            .logged(ChangeLogForm::Keyed, AssetSource::Own));

    t.append(
        Table("calibration",
              {
                  col("ctag", "CHAR(20)", Required),
                  col("mtag", "CHAR(20)"),
                  col("c2301", "DATE", Required),           // calibration date
                  col("c2333", "TIME"),                     // started
                  col("c2334", "TIME"),                     // finished
                  col("c2302", "CHAR(20)"),                 // technician
                  col("c2303", "CHAR(1)", Required, "'P'"), // as found: P pass, F fail, L limited
                  col("c2304", "CHAR(1)", Required, "'P'"), // as left
                  col("c2305", "DATE"),                     // next due
                  col("c2306", "NUMERIC(5,1)"),             // temperature
                  col("c2307", "NUMERIC(5,1)"),             // relative humidity
                  col("c2308", "VARCHAR(80)"),              // procedure
                  col("c2309", "INTEGER"),                  // certificate number
                  col("c2310", "DECIMAL(10,2)"),            // price
                  col("c2311", "SMALLINT"),                 // interval applied, months
                  col("c2312", "LONG VARCHAR"),             // remarks
                  col("c2313", "TIMESTAMP"),                // entered
                  col("c2339", "TINYINT", Required, "0"),   // 1: the item travels with this record
                  col("cdsrc", "CHAR(3)"),                  // data source marker
              })
            .key({"ctag"})
            .index({"mtag", "c2301"})
            .logged(ChangeLogForm::Keyed, AssetSource::Item));

    t.append(Table("standards",
                   {
                       col("ctag", "CHAR(20)", Required),
                       col("c2430", "CHAR(20)", Required), // mtag of the item used as a standard
                       col("mtag", "CHAR(20)"),            // the calibrated item
                       col("c2431", "CHAR(30)"),           // the standard's asset number
                       col("c2432", "DATE"),               // the standard's due date at the time
                       col("c2433", "VARCHAR(80)"),        // certificate of the standard
                       col("c2434", "SMALLINT", Required, "1"), // order of use
                   })
                 .key({"ctag", "c2430"})
                 .index({"c2430"})
                 .index({"mtag"})
                 .logged(ChangeLogForm::Keyed, AssetSource::ItemOrCalibration));

    t.append(
        Table("calresults",
              {
                  col("ctag", "CHAR(20)", Required),
                  col("c2502", "SMALLINT", Required),                   // test point
                  col("mtag", "CHAR(20)"), col("c2503", "VARCHAR(80)"), // test point description
                  col("c2504", "CHAR(12)"),                             // unit
                  col("c2505", "DOUBLE"),                               // nominal
                  col("c2506", "DOUBLE"),                               // as found
                  col("c2507", "DOUBLE"),                               // as left
                  col("c2508", "DOUBLE"),                               // lower limit
                  col("c2509", "DOUBLE"),                               // upper limit
                  col("c2510", "NUMERIC(12,6)"),                        // expanded uncertainty
                  col("c2511", "CHAR(1)", Required, "'P'"),             // verdict
              })
            .key({"ctag", "c2502"})
            .index({"mtag"})
            .logged(ChangeLogForm::Keyed, AssetSource::ItemOrCalibration));

    t.append(Table("results",
                   {
                       col("ctag", "CHAR(20)", Required), col("row_num", "INTEGER", Required),
                       col("mtag", "CHAR(20)"), col("f2601", "VARCHAR(80)"), // step
                       col("f2602", "DOUBLE"),                               // reading
                       col("f2603", "CHAR(12)"),                             // unit
                       col("f2604", "TIMESTAMP"),                            // taken
                       col("f2605", "LONG VARCHAR"),                         // comment
                   })
                 .key({"ctag", "row_num"})
                 .index({"mtag"})
                 .logged(ChangeLogForm::Keyed, AssetSource::ItemOrCalibration));

    t.append(Table("results_raw",
                   {
                       col("ctag", "CHAR(20)", Required), col("row_num", "INTEGER", Required),
                       col("mtag", "CHAR(20)"), col("w2701", "TIMESTAMP"), // sampled
                       col("w2702", "DOUBLE"),                             // raw value
                       col("w2703", "SMALLINT", Required, "1"),            // channel
                       col("w2704", "BINARY(16)"),                         // instrument frame
                       col("w2705", "LONG BINARY"),                        // trace
                   })
                 .key({"ctag", "row_num"})
                 .index({"mtag"})
                 .logged(ChangeLogForm::Keyed, AssetSource::ItemOrCalibration));

    t.append(
        Table("location",
              {
                  col("ltag", "CHAR(20)", Required), col("mtag", "CHAR(20)"),
                  col("l2809", "DATE", Required),         // moved on
                  col("l2810", "CHAR(40)"),               // place
                  col("l2811", "VARCHAR(80)"),            // department
                  col("l2812", "CHAR(20)"),               // moved by
                  col("l2813", "TIME"),                   // moved at
                  col("l2814", "LONG VARCHAR"),           // note
                  col("l2815", "TINYINT", Required, "0"), // 1: the item travels with this record
                  col("ldsrc", "CHAR(3)"),                // data source marker
              })
            .key({"ltag"})
            .index({"mtag", "l2809"})
            .logged(ChangeLogForm::Keyed, AssetSource::Item));

    t.append(
        Table("repair",
              {
                  col("rtag", "CHAR(20)", Required), col("mtag", "CHAR(20)"),
                  col("r3230", "DATE", Required),         // repair date
                  col("r3241", "CHAR(30)"),               // repair order
                  col("r3231", "VARCHAR(80)"),            // fault
                  col("r3232", "LONG VARCHAR"),           // work done
                  col("r3233", "NUMERIC(10,2)"),          // cost
                  col("r3234", "DECIMAL(5,1)"),           // hours
                  col("r3235", "DATE"),                   // returned
                  col("r3236", "CHAR(40)"),               // repaired by
                  col("r3246", "TINYINT", Required, "0"), // 1: the item travels with this record
                  col("rdsrc", "CHAR(3)"),                // data source marker
              })
            .key({"rtag"})
            .index({"mtag", "r3230"})
            .logged(ChangeLogForm::Keyed, AssetSource::Item));

    t.append(Table("valfield",
                   {
                       col("fldnum", "INTEGER", Required), // the field the value is valid for
                       col("val", "CHAR(40)", Required),
                       col("valdesc", "VARCHAR(80)"),
                       col("seq", "SMALLINT", Required, "0"),
                       col("active", "TINYINT", Required, "1"),
                   })
                 .key({"fldnum", "val"})
                 .logged(ChangeLogForm::ValidationField, AssetSource::None));

    t.append(Table("vallinkdata",
                   {
                       col("root", "CHAR(40)", Required), // a value (a manufacturer, say)
                       col("rootdata", "CHAR(40)",
                           Required),             // a value valid with it (one of its models)
                       col("linkfld", "INTEGER"), // the field rootdata belongs to
                       col("linkdesc", "VARCHAR(80)"),
                       col("seq", "SMALLINT", Required, "0"),
                   })
                 .key({"root", "rootdata"})
                 .logged(ChangeLogForm::ValidationLink, AssetSource::None));

    t.append(Table("userlist",
                   {
                       col("mtuser", "CHAR(20)", Required),
                       col("i4240", "CHAR(20)", Required, "'MT'"), // segregate
                       col("mtlevel", "SMALLINT", Required, "1"),
                       col("i4241", "VARCHAR(80)"), // full name
                       col("i4242", "VARCHAR(80)"), // e-mail
                       col("i4243", "DATE"),        // since
                   })
                 .key({"mtuser"}));

    t.append(Table("dbconfig",
                   {
                       col("cfgid", "SMALLINT", Required, "1"),
                       col("version", "CHAR(20)", Required),
                       col("dbremote", "TINYINT", Required, "0"),
                       col("dbsite", "VARCHAR(80)"),
                       col("dbcreated", "TIMESTAMP"),
                   })
                 .key({"cfgid"}));

    t.append(Table("inuse",
                   {
                       col("mtuser", "CHAR(20)", Required),
                       col("machine", "CHAR(40)", Required),
                       col("since", "TIMESTAMP"),
                       col("connid", "INTEGER"),
                   })
                 .key({"mtuser", "machine"}));

    // Stamping goes row by row by xtag; counting by table and action.
    t.append(Table("qel_vr_log",
                   {
                       col("xtag", "CHAR(80)", Required),
                       col("xtag_additional", "CHAR(255)"),
                       col("affected_table", "CHAR(30)", Required),
                       col("affected_column", "CHAR(30)"),
                       col("action", "CHAR(3)", Required),
                       col("mtuser", "CHAR(20)"),
                       col("event_date", "TIMESTAMP", Required),
                       col("sync_date", "TIMESTAMP"),
                       col("i4201", "CHAR(30)"),
                   })
                 // A change's own rows (the transfers mark them one change at a time; a mark
                 // leaves this index alone) and the pending rows of a table in the order they
                 // were logged.
                 .index({"xtag", "affected_table", "action", "affected_column"})
                 .index({"affected_table", "action", "sync_date", "event_date"}));

    t.append(Table("qel_vr_transfer_log",
                   {
                       col("host_name", "CHAR(80)", Required),
                       col("user_name", "CHAR(40)"),
                       col("start_time", "TIMESTAMP"),
                       col("transfer_type", "CHAR(20)", Required),
                       col("num_records", "INTEGER"),
                       col("num_mods", "INTEGER"),
                       col("stop_time", "TIMESTAMP"),
                   })
                 .index({"host_name", "stop_time"}));
    for (const char* count :
         {"inv_new", "cal_new", "resc_new", "resf_new", "resr_new", "std_new", "loc_new", "rep_new",
          "cus_new", "inv_mod", "cal_mod", "loc_mod", "rep_mod", "cus_mod"})
        t.last().columns.append(col(count, "INTEGER"));
    t.last().columns.append(col("user_account", "CHAR(40)"));
    t.last().columns.append(col("comments", "VARCHAR(255)"));

    // The template of the new-records transfer's key map; it never holds rows of its own.
    t.append(Table("qel_vr_scratch",
                   {col("asset", "CHAR(80)"), col("mtag", "CHAR(80)"), col("xtag", "CHAR(80)")}));

    return t;
}

} // namespace

const QList<TableDefinition>& CalibrationSchema::tables()
{
    static const QList<TableDefinition> all = buildTables();
    return all;
}

const TableDefinition& CalibrationSchema::table(const QString& name)
{
    for (const TableDefinition& t : tables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    throw SchemaError(QStringLiteral("No table %1 in the calibration schema").arg(name));
}

QStringList CalibrationSchema::loggedTables()
{
    return {
        QStringLiteral("INVENTORY"),  QStringLiteral("CALIBRATION"), QStringLiteral("STANDARDS"),
        QStringLiteral("CALRESULTS"), QStringLiteral("RESULTS"),     QStringLiteral("RESULTS_RAW"),
        QStringLiteral("LOCATION"),   QStringLiteral("REPAIR"),      QStringLiteral("CUSTOMERS"),
        QStringLiteral("VALFIELD"),   QStringLiteral("VALLINKDATA")};
}

QStringList CalibrationSchema::changeLogTables()
{
    return {QStringLiteral("qel_vr_log"), QStringLiteral("qel_vr_transfer_log"),
            QStringLiteral("qel_vr_scratch")};
}

QStringList CalibrationSchema::createStatements(bool withChangeLog)
{
    const QStringList machinery = changeLogTables();
    QStringList statements;
    for (const TableDefinition& t : tables()) {
        if (!withChangeLog && machinery.contains(t.name))
            continue;
        statements.append(t.createStatement());
        statements.append(t.indexStatements());
    }
    if (withChangeLog) {
        for (const TableDefinition& t : tables())
            statements.append(ChangeLogTriggers::createStatements(t));
        // Without statistics SQLite takes a range of event dates for narrower than one
        // change's own rows, and a mark would read every row logged in the same moment. The
        // log's shape instead: a change has a few rows, a table and action many.
        statements.append(QStringLiteral("ANALYZE sqlite_schema"));
        statements.append(QStringLiteral(
            "INSERT INTO sqlite_stat1 (tbl, idx, stat) VALUES "
            "('qel_vr_log', 'qel_vr_log_xtag_affected_table_action_affected_column', "
            "'1000000 10 5 3 2'), "
            "('qel_vr_log', 'qel_vr_log_affected_table_action_sync_date_event_date', "
            "'1000000 100000 50000 50000 2')"));
        // Analysing again makes this connection read them too.
        statements.append(QStringLiteral("ANALYZE sqlite_schema"));
    }
    return statements;
}

void CalibrationSchema::create(SqliteDatabase& db, bool withChangeLog)
{
    SqliteTransaction transaction(db);
    for (const QString& statement : createStatements(withChangeLog))
        db.exec(statement);
    transaction.commit();
}
