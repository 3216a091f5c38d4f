#pragma once

#include "schema/TableDefinition.h"

#include <QList>
#include <QPair>
#include <QStringList>

class PostgresDatabase;
class SqliteDatabase;

// The calibration-management schema in a PostgreSQL database, made from the same table
// definitions as the SQLite one (CalibrationSchema::tables()):
//
// * schema "sys": what the engine stand-in needs in the database: varrow_version(),
//   varrow_now(), varrow_user(), locate(), the system functions sa_db_info(n) and
//   sa_eng_properties(), and the catalogue views systable, syscolumn, sysdomain (which
//   read each column's declared type from its comment, else from PostgreSQL's own type);
//   sys.varrow_login keeps the logins' digests for remote copies made from the database;
// * schema "mt": the tables (every character column citext, so that =, LIKE and ORDER BY
//   ignore letter case as the engine does), their indexes, the confirm functions and the
//   change-log triggers in PL/pgSQL.
class PostgresSchema
{
public:
    // The PostgreSQL type of a declared column type ("CHAR(20)" is citext).
    static QString columnType(const ColumnDefinition& column);

    // Every statement that makes the schema in an empty database (by a superuser: it
    // creates the extension citext).
    static QStringList createStatements(bool withChangeLog);
    static void create(PostgresDatabase& db, bool withChangeLog);

    // Roles that sign in with their passwords (created, or given the password anew), with
    // the rights on the schema's tables; owner owns schema mt. Only the owner and the
    // administrator read the logins' digests (a remote copy is made by one of them). The
    // passwords reach the server as SCRAM verifiers only.
    static void grantLogins(PostgresDatabase& db, const QList<QPair<QString, QString>>& logins,
                            const QString& owner, const QString& administrator);

    // Every row of every table of the schema, and the logins' digests, from one database
    // into the other, whose tables must be empty. Throws SchemaError.
    static void copyRows(SqliteDatabase& from, PostgresDatabase& to);
    static void copyRows(PostgresDatabase& from, SqliteDatabase& to);
};
