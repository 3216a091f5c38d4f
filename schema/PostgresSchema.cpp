#include "schema/PostgresSchema.h"

#include "schema/CalibrationSchema.h"
#include "schema/ChangeLogTriggers.h"
#include "schema/PostgresDatabase.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"

#include <QLocale>

namespace {

// The engine's domains, numbered as the SQLite stand-in's catalogue numbers them.
const char* const domainNames[] = {"smallint",    "integer",   "numeric",      "float",   "double",
                                   "date",        "char",      "long varchar", "varchar", "binary",
                                   "long binary", "timestamp", "time",         "tinyint", "decimal",
                                   "bigint",      "bit",       "varbinary"};

struct TypeRule
{
    const char* name; // upper case, words separated by one space
    int domain;       // 1-based index into domainNames
    int width;        // when the declaration gives none
    int scale;
    bool sized; // the declaration's (width[,scale]) counts
};

// The engine's type names, and the names PostgreSQL gives its own types for columns made
// without a declared type.
const TypeRule typeRules[] = {
    {"CHAR", 7, 1, 0, true},
    {"CHARACTER", 7, 1, 0, true},
    {"VARCHAR", 9, 1, 0, true},
    {"CHARACTER VARYING", 9, 1, 0, true},
    {"LONG VARCHAR", 8, 32767, 0, false},
    {"TEXT", 8, 32767, 0, false},
    {"CITEXT", 8, 32767, 0, false},
    {"INTEGER", 2, 4, 0, false},
    {"INT", 2, 4, 0, false},
    {"SMALLINT", 1, 2, 0, false},
    {"TINYINT", 14, 1, 0, false},
    {"BIGINT", 16, 8, 0, false},
    {"BIT", 17, 1, 0, false},
    {"BOOLEAN", 17, 1, 0, false},
    {"NUMERIC", 3, 30, 6, true},
    {"DECIMAL", 15, 30, 6, true},
    {"DOUBLE", 5, 8, 0, false},
    {"DOUBLE PRECISION", 5, 8, 0, false},
    {"FLOAT", 4, 4, 0, false},
    {"REAL", 4, 4, 0, false},
    {"DATE", 6, 4, 0, false},
    {"TIME", 13, 8, 0, false},
    {"TIME WITHOUT TIME ZONE", 13, 8, 0, false},
    {"TIMESTAMP", 12, 8, 0, false},
    {"TIMESTAMP WITHOUT TIME ZONE", 12, 8, 0, false},
    {"DATETIME", 12, 8, 0, false},
    {"BINARY", 10, 1, 0, true},
    {"VARBINARY", 18, 1, 0, true},
    {"LONG BINARY", 11, 32767, 0, false},
    {"BYTEA", 11, 32767, 0, false},
};

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

QStringList catalogueStatements()
{
    QStringList domains, rules;
    int id = 1;
    for (const char* name : domainNames)
        domains.append(QStringLiteral("(%1, '%2')").arg(id++).arg(QLatin1String(name)));
    for (const TypeRule& rule : typeRules)
        rules.append(QStringLiteral("('%1', %2, %3, %4, %5)")
                         .arg(QLatin1String(rule.name))
                         .arg(rule.domain)
                         .arg(rule.width)
                         .arg(rule.scale)
                         .arg(rule.sized ? QLatin1String("true") : QLatin1String("false")));
    return {
        QStringLiteral("CREATE TABLE sys.varrow_domain (domain_id integer PRIMARY KEY, "
                       "domain_name citext NOT NULL)"),
        QStringLiteral("INSERT INTO sys.varrow_domain VALUES ") + domains.join(QLatin1String(", ")),
        QStringLiteral("CREATE TABLE sys.varrow_type_rule (name text PRIMARY KEY, domain_id "
                       "integer NOT NULL, width integer NOT NULL, scale integer NOT NULL, sized "
                       "boolean NOT NULL)"),
        QStringLiteral("INSERT INTO sys.varrow_type_rule VALUES ") +
            rules.join(QLatin1String(", ")),
        // Domain, width and scale of a declared type; a name of no rule is a numeric.
        QStringLiteral(
            "CREATE FUNCTION sys.varrow_column_type(declared text, OUT domain_id integer, OUT "
            "width integer, OUT scale integer) LANGUAGE sql STABLE AS $$ "
            "SELECT coalesce(r.domain_id, 3), "
            "CASE WHEN r.sized AND d.a[1] IS NOT NULL THEN d.a[1]::integer "
            "ELSE coalesce(r.width, 30) END, "
            "CASE WHEN r.sized AND d.a[1] IS NOT NULL THEN coalesce(d.a[2]::integer, 0) "
            "ELSE coalesce(r.scale, 6) END "
            "FROM (SELECT upper(btrim(regexp_replace(regexp_replace(declared, "
            "'\\([^)]*\\)', ' ', 'g'), '\\s+', ' ', 'g'))) AS name, "
            "regexp_match(declared, '\\(\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\)') AS a) AS d "
            "LEFT JOIN sys.varrow_type_rule AS r ON r.name = d.name $$"),
        QStringLiteral("CREATE VIEW sys.systable AS SELECT c.oid::bigint AS table_id, "
                       "c.relname::citext AS table_name, "
                       "(CASE c.relkind WHEN 'v' THEN 'VIEW' ELSE 'BASE' END)::citext AS "
                       "table_type, 1 AS creator FROM pg_class AS c "
                       "WHERE c.relnamespace = 'mt'::regnamespace AND c.relkind IN ('r', 'v', "
                       "'p')"),
        // The default as SQL text without PostgreSQL's cast ('A'::citext is 'A').
        QStringLiteral(
            "CREATE VIEW sys.syscolumn AS SELECT t.table_id, a.attnum::integer AS column_id, "
            "a.attname::citext AS column_name, ty.domain_id, "
            "(CASE WHEN a.attnotnull THEN 'N' ELSE 'Y' END)::citext AS nulls, "
            "regexp_replace(pg_get_expr(ad.adbin, ad.adrelid), '::[a-z ]+$', '')::citext AS "
            "\"default\", ty.width, ty.scale, "
            "(CASE WHEN EXISTS (SELECT 1 FROM pg_index AS i WHERE i.indrelid = a.attrelid AND "
            "i.indisprimary AND a.attnum = ANY (i.indkey)) THEN 'Y' ELSE 'N' END)::citext AS "
            "pkey "
            "FROM sys.systable AS t JOIN pg_attribute AS a ON a.attrelid = t.table_id::oid "
            "LEFT JOIN pg_attrdef AS ad ON ad.adrelid = a.attrelid AND ad.adnum = a.attnum "
            "CROSS JOIN LATERAL sys.varrow_column_type(coalesce(col_description(a.attrelid, "
            "a.attnum), format_type(a.atttypid, a.atttypmod))) AS ty "
            "WHERE a.attnum > 0 AND NOT a.attisdropped"),
        QStringLiteral("CREATE VIEW sys.sysdomain AS SELECT domain_id, domain_name FROM "
                       "sys.varrow_domain"),
    };
}

// The engine compares a text with a number as numbers, and every two texts without regard to
// case, where PostgreSQL has no operator or compares a text (a function's result, say) with
// citext by case: an operator of schema sys for each comparison of citext with each number type
// and with text, both ways. A text that is no number matches no number (SQLite never fails
// such a compare either).
QStringList mixedComparisons()
{
    QStringList statements = {QStringLiteral(
        "CREATE FUNCTION sys.varrow_number(t text) RETURNS numeric LANGUAGE sql IMMUTABLE AS "
        "$$ SELECT CASE WHEN t ~ "
        "'^\\s*[-+]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?\\s*$' "
        "THEN t::numeric END $$")};
    const struct
    {
        const char* op;
        const char* name;
        const char* commutator;
    } operators[] = {{"=", "eq", "="}, {"<>", "ne", "<>"}, {"<", "lt", ">"},
                     {">", "gt", "<"}, {"<=", "le", ">="}, {">=", "ge", "<="}};
    const struct
    {
        const char* type;
        const char* name;
        const char* citextSide; // how each side is compared
        const char* otherSide;
    } others[] = {
        {"smallint", "int2", "sys.varrow_number(%1::text)", "%1::numeric"},
        {"integer", "int4", "sys.varrow_number(%1::text)", "%1::numeric"},
        {"bigint", "int8", "sys.varrow_number(%1::text)", "%1::numeric"},
        {"numeric", "numeric", "sys.varrow_number(%1::text)", "%1::numeric"},
        {"real", "float4", "sys.varrow_number(%1::text)", "%1::numeric"},
        {"double precision", "float8", "sys.varrow_number(%1::text)", "%1::numeric"},
        {"text", "text", "%1", "%1::citext"},
    };
    for (const auto& other : others) {
        const QString type = QLatin1String(other.type);
        const auto side = [](const char* form, const char* argument) {
            return QString::fromLatin1(form).arg(QLatin1String(argument));
        };
        for (const auto& o : operators) {
            const QString op = QLatin1String(o.op);
            const QString citextFirst = QStringLiteral("sys.varrow_citext_%1_%2")
                                            .arg(QLatin1String(o.name), QLatin1String(other.name));
            const QString otherFirst = QStringLiteral("sys.varrow_%2_%1_citext")
                                           .arg(QLatin1String(o.name), QLatin1String(other.name));
            statements += {
                QStringLiteral("CREATE FUNCTION %1(citext, %2) RETURNS boolean LANGUAGE sql "
                               "IMMUTABLE AS $$ SELECT %3 %4 %5 $$")
                    .arg(citextFirst, type, side(other.citextSide, "$1"), op,
                         side(other.otherSide, "$2")),
                QStringLiteral("CREATE FUNCTION %1(%2, citext) RETURNS boolean LANGUAGE sql "
                               "IMMUTABLE AS $$ SELECT %3 %4 %5 $$")
                    .arg(otherFirst, type, side(other.otherSide, "$1"), op,
                         side(other.citextSide, "$2")),
                QStringLiteral("CREATE OPERATOR sys.%1 (LEFTARG = citext, RIGHTARG = %2, "
                               "FUNCTION = %3, COMMUTATOR = OPERATOR(sys.%4))")
                    .arg(op, type, citextFirst, QLatin1String(o.commutator)),
                QStringLiteral("CREATE OPERATOR sys.%1 (LEFTARG = %2, RIGHTARG = citext, "
                               "FUNCTION = %3, COMMUTATOR = OPERATOR(sys.%4))")
                    .arg(op, type, otherFirst, QLatin1String(o.commutator)),
            };
        }
    }
    return statements;
}

QStringList standInStatements()
{
    QStringList statements = {
        QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext WITH SCHEMA public"),
        QStringLiteral("CREATE SCHEMA sys"),
        QStringLiteral("CREATE SCHEMA mt"),
        QStringLiteral("CREATE FUNCTION sys.varrow_version() RETURNS text LANGUAGE sql "
                       "IMMUTABLE AS $$ SELECT '1' $$"),
        // The engine's now(*): the time of the statement, not of the transaction.
        QStringLiteral("CREATE FUNCTION sys.varrow_now() RETURNS timestamp LANGUAGE sql "
                       "VOLATILE AS $$ SELECT date_trunc('milliseconds', "
                       "clock_timestamp()::timestamp) $$"),
        QStringLiteral("CREATE FUNCTION sys.varrow_user() RETURNS text LANGUAGE sql STABLE AS "
                       "$$ SELECT session_user::text $$"),
        // 1-based position of t in s without regard to case, 0 when absent; a negative
        // start searches backwards from that far before the end.
        QStringLiteral(
            "CREATE FUNCTION sys.locate(s text, t text, start integer DEFAULT 1) RETURNS integer "
            "LANGUAGE plpgsql IMMUTABLE AS $$ DECLARE hay text := lower(s); needle text := "
            "lower(t); found integer; BEGIN "
            "IF s IS NULL OR t IS NULL OR start IS NULL THEN RETURN NULL; END IF; "
            "IF start >= 0 THEN start := greatest(start, 1); found := strpos(substr(hay, "
            "start), needle); RETURN CASE WHEN found = 0 THEN 0 ELSE found + start - 1 END; "
            "END IF; "
            "FOR i IN REVERSE least(length(hay) + start + 1, length(hay) - length(needle) + 1) "
            ".. 1 LOOP IF substr(hay, i, length(needle)) = needle THEN RETURN i; END IF; END "
            "LOOP; RETURN 0; END $$"),
        // What the connection set (see PostgresDialect::attach), else the database's name.
        QStringLiteral(
            "CREATE FUNCTION sys.sa_db_info(n integer DEFAULT 0) RETURNS TABLE (Number integer, "
            "Alias text, File text, PageSize integer, LogName text, LogMirrorName text, "
            "ReadOnly text) LANGUAGE sql STABLE AS $$ SELECT 0, "
            "coalesce(nullif(current_setting('varrow.alias', true), ''), "
            "current_database()::text), current_database()::text, "
            "current_setting('block_size')::integer, 'pg_wal'::text, NULL::text, "
            "CASE current_setting('transaction_read_only') WHEN 'on' THEN 'On' ELSE 'Off' END "
            "WHERE n = 0 $$"),
        QStringLiteral(
            "CREATE FUNCTION sys.sa_eng_properties() RETURNS TABLE (PropNum integer, PropName "
            "text, PropDescription text, Value text) LANGUAGE sql STABLE AS $$ "
            "SELECT * FROM (VALUES "
            "(1, 'Name', 'Name of the database server', "
            "coalesce(nullif(current_setting('varrow.engine', true), ''), "
            "nullif(current_setting('varrow.alias', true), ''), current_database()::text)), "
            "(2, 'ProductName', 'Name of the database product', "
            "'PostgreSQL (Varrow SQL Anywhere stand-in)'), "
            "(3, 'ProductVersion', 'Version of the database product', "
            "current_setting('server_version')), "
            "(4, 'Platform', 'Operating system the server runs on', "
            "split_part(split_part(version(), ' on ', 2), ',', 1)), "
            "(5, 'MachineName', 'Name of the computer the server runs on', "
            "coalesce(nullif(current_setting('varrow.machine', true), ''), 'localhost'))) AS "
            "p ORDER BY 1 $$"),
        QStringLiteral("CREATE TABLE sys.varrow_login (user_name citext PRIMARY KEY, salt "
                       "bytea NOT NULL, iterations integer NOT NULL, hash bytea NOT NULL)"),
        QStringLiteral("REVOKE ALL ON sys.varrow_login FROM PUBLIC"),
    };
    statements += catalogueStatements();
    statements += mixedComparisons();
    return statements;
}

// A family's record identified by two of its columns and its item's mtag; NULL never
// matches.
QString confirmFunction(const QString& name, const QString& table, const QString& first,
                        const QString& second)
{
    const TableDefinition& definition = CalibrationSchema::table(table);
    const auto type = [&definition](const QString& column) {
        return PostgresSchema::columnType(*definition.column(column));
    };
    return QStringLiteral(
               "CREATE FUNCTION mt.%1(a %2, b %3, m %4) RETURNS integer LANGUAGE sql STABLE "
               "SET search_path = mt, sys, public AS $$ SELECT CASE WHEN a IS NULL OR b IS "
               "NULL OR m IS NULL THEN 0 WHEN EXISTS (SELECT 1 FROM mt.%5 WHERE %6 = a AND %7 "
               "= b AND mtag = m) THEN 1 ELSE 0 END $$")
        .arg(name, type(first), type(second), type(QStringLiteral("mtag")), table, first, second);
}

QString tableStatement(const TableDefinition& table)
{
    QStringList parts;
    for (const ColumnDefinition& c : table.columns) {
        QString part = c.name + QLatin1Char(' ') + PostgresSchema::columnType(c);
        if (c.notNull)
            part += QLatin1String(" NOT NULL");
        if (!c.defaultSql.isEmpty())
            part += QLatin1String(" DEFAULT ") + c.defaultSql;
        parts.append(part);
    }
    if (!table.primaryKey.isEmpty())
        parts.append(
            QStringLiteral("PRIMARY KEY (%1)").arg(table.primaryKey.join(QLatin1Char(','))));
    for (const QStringList& unique : table.uniqueKeys)
        parts.append(QStringLiteral("UNIQUE (%1)").arg(unique.join(QLatin1Char(','))));
    return QStringLiteral("CREATE TABLE mt.%1 (%2)").arg(table.name, parts.join(QLatin1Char(',')));
}

bool isBinary(const ColumnDefinition& column)
{
    return column.type.contains(QLatin1String("BINARY"));
}

// A column read as text SQLite and the program take as the engine writes it: timestamps
// with milliseconds, binary values in hexadecimal.
QString selectedColumn(const ColumnDefinition& column)
{
    if (isBinary(column))
        return QStringLiteral("encode(%1, 'hex')").arg(column.name);
    if (column.type == QLatin1String("TIMESTAMP"))
        return QStringLiteral("to_char(%1, 'YYYY-MM-DD HH24:MI:SS.MS')").arg(column.name);
    return column.name;
}

std::optional<QString> copyValue(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    switch (value.metaType().id()) {
    case QMetaType::QByteArray:
        return QStringLiteral("\\x") + QString::fromLatin1(value.toByteArray().toHex());
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    default:
        return value.toString();
    }
}

} // namespace

QString PostgresSchema::columnType(const ColumnDefinition& column)
{
    if (column.isText())
        return QStringLiteral("citext");
    const QString type = column.type.toUpper();
    if (type.contains(QLatin1String("BINARY")))
        return QStringLiteral("bytea");
    if (type == QLatin1String("TINYINT") || type == QLatin1String("BIT"))
        return QStringLiteral("smallint");
    // FLOAT too: the remote's SQLite file keeps every real in 8 bytes, and a value must come
    // back from the master as it went in.
    if (type == QLatin1String("DOUBLE") || type == QLatin1String("FLOAT"))
        return QStringLiteral("double precision");
    if (type.startsWith(QLatin1String("DECIMAL")))
        return QStringLiteral("numeric") + column.type.mid(7);
    return column.type.toLower();
}

QStringList PostgresSchema::createStatements(bool withChangeLog)
{
    QStringList statements = standInStatements();
    const QStringList machinery = CalibrationSchema::changeLogTables();
    for (const TableDefinition& t : CalibrationSchema::tables()) {
        if (!withChangeLog && machinery.contains(t.name))
            continue;
        statements.append(tableStatement(t));
        // The engine's declared type, which the catalogue reports.
        for (const ColumnDefinition& c : t.columns)
            statements.append(QStringLiteral("COMMENT ON COLUMN mt.%1.%2 IS %3")
                                  .arg(t.name, c.name, quoted(c.type)));
        for (const QString& index : t.indexStatements())
            statements.append(
                QString(index).replace(QStringLiteral(" ON "), QStringLiteral(" ON mt.")));
    }
    statements += {
        confirmFunction(QStringLiteral("qel_vr_cal_record_confirm"), QStringLiteral("calibration"),
                        QStringLiteral("c2301"), QStringLiteral("c2333")),
        confirmFunction(QStringLiteral("qel_vr_loc_record_confirm"), QStringLiteral("location"),
                        QStringLiteral("l2809"), QStringLiteral("l2810")),
        confirmFunction(QStringLiteral("qel_vr_rep_record_confirm"), QStringLiteral("repair"),
                        QStringLiteral("r3230"), QStringLiteral("r3241")),
    };
    if (withChangeLog)
        for (const TableDefinition& t : CalibrationSchema::tables())
            statements += ChangeLogTriggers::createPostgresStatements(t);
    return statements;
}

void PostgresSchema::create(PostgresDatabase& db, bool withChangeLog)
{
    db.exec(QStringLiteral("BEGIN"));
    for (const QString& statement : createStatements(withChangeLog))
        db.exec(statement);
    db.exec(QStringLiteral("COMMIT"));
}

void PostgresSchema::grantLogins(PostgresDatabase& db, const QList<QPair<QString, QString>>& logins,
                                 const QString& owner, const QString& administrator)
{
    QStringList roles;
    for (const auto& [login, password] : logins) {
        const QString role = login.toLower();
        const QString verifier = db.literal(db.encryptedPassword(role, password));
        const bool exists =
            db.scalar(
                  QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = %1").arg(db.literal(role)))
                .has_value();
        db.exec(QStringLiteral("%1 ROLE %2 LOGIN PASSWORD %3")
                    .arg(exists ? QLatin1String("ALTER") : QLatin1String("CREATE"),
                         PostgresDatabase::identifier(role), verifier));
        roles.append(PostgresDatabase::identifier(role));
    }
    const QString all = roles.join(QLatin1String(", "));
    db.exec(QStringLiteral("ALTER SCHEMA mt OWNER TO %1")
                .arg(PostgresDatabase::identifier(owner.toLower())));
    db.exec(QStringLiteral("GRANT USAGE ON SCHEMA mt, sys TO %1; "
                           "GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA mt TO %1; "
                           "GRANT SELECT ON ALL TABLES IN SCHEMA sys TO %1; "
                           "REVOKE ALL ON sys.varrow_login FROM %1; "
                           "GRANT SELECT ON sys.varrow_login TO %2, %3")
                .arg(all, PostgresDatabase::identifier(owner.toLower()),
                     PostgresDatabase::identifier(administrator.toLower())));
}

void PostgresSchema::copyRows(SqliteDatabase& from, PostgresDatabase& to)
{
    to.exec(QStringLiteral("BEGIN"));
    // Filling the tables is no field work: the change log stays as the source has it.
    to.exec(QStringLiteral("SET LOCAL session_replication_role = replica"));
    const QStringList present = [&from] {
        QStringList names;
        for (const QVariantList& row :
             from.rows(QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table'")))
            names.append(row.first().toString().toLower());
        return names;
    }();
    for (const TableDefinition& t : CalibrationSchema::tables()) {
        if (!present.contains(t.name))
            continue;
        QList<PostgresDatabase::Row> rows;
        for (const QVariantList& row :
             from.rows(QStringLiteral("SELECT %1 FROM %2")
                           .arg(t.columnNames().join(QLatin1Char(',')), t.name))) {
            PostgresDatabase::Row values;
            for (const QVariant& value : row)
                values.append(copyValue(value));
            rows.append(values);
        }
        to.copyIn(QStringLiteral("mt.") + t.name, t.columnNames(), rows);
    }
    if (!from.rows(QStringLiteral("SELECT 1 FROM sqlite_schema WHERE name = 'varrow_login'"))
             .isEmpty()) {
        QList<PostgresDatabase::Row> logins;
        for (const QVariantList& row : from.rows(
                 QStringLiteral("SELECT user_name, salt, iterations, hash FROM varrow_login")))
            logins.append(
                {copyValue(row[0]), copyValue(row[1]), copyValue(row[2]), copyValue(row[3])});
        to.copyIn(QStringLiteral("sys.varrow_login"),
                  {QStringLiteral("user_name"), QStringLiteral("salt"),
                   QStringLiteral("iterations"), QStringLiteral("hash")},
                  logins);
    }
    to.exec(QStringLiteral("COMMIT"));
}

void PostgresSchema::copyRows(PostgresDatabase& from, SqliteDatabase& to)
{
    // One snapshot of the whole database, so that the copy is consistent while others write.
    from.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    SqliteTransaction transaction(to);
    for (const TableDefinition& t : CalibrationSchema::tables()) {
        QStringList selected;
        QStringList places;
        for (const ColumnDefinition& c : t.columns) {
            selected.append(selectedColumn(c));
            places.append(QStringLiteral("?"));
        }
        const QString insert =
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(t.name, t.columnNames().join(QLatin1Char(',')), places.join(QLatin1Char(',')));
        for (const PostgresDatabase::Row& row :
             from.rows(QStringLiteral("SELECT %1 FROM mt.%2")
                           .arg(selected.join(QLatin1Char(',')), t.name))) {
            QVariantList values;
            for (qsizetype c = 0; c < row.size(); ++c) {
                if (!row[c])
                    values.append(QVariant());
                else if (isBinary(t.columns[c]))
                    values.append(QByteArray::fromHex(row[c]->toLatin1()));
                else
                    values.append(*row[c]);
            }
            to.rows(insert, values);
        }
    }
    // The logins' digests, into the target's login table when it has one.
    const bool hasLogins =
        !to.rows(QStringLiteral("SELECT 1 FROM sqlite_schema WHERE name = 'varrow_login'"))
             .isEmpty();
    for (const PostgresDatabase::Row& row :
         from.rows(QStringLiteral("SELECT user_name, encode(salt, 'hex'), iterations, "
                                  "encode(hash, 'hex') FROM sys.varrow_login")))
        if (hasLogins)
            to.rows(
                QStringLiteral("INSERT OR REPLACE INTO varrow_login (user_name, salt, iterations, "
                               "hash) VALUES (?, ?, ?, ?)"),
                {*row[0], QByteArray::fromHex(row[1]->toLatin1()), row[2]->toLongLong(),
                 QByteArray::fromHex(row[3]->toLatin1())});
    transaction.commit();
    from.exec(QStringLiteral("COMMIT"));
}
