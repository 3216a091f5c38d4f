#pragma once

#include "schema/TableDefinition.h"

#include <QList>
#include <QStringList>

class SqliteDatabase;

// The calibration-management schema as the engine stand-in holds it: the product's tables
// (owned by "mt" on the real engine; SQLite has no owners) and the change machinery this
// program relies on (change log, transfer history, scratch template, change-log triggers).
class CalibrationSchema
{
public:
    // Every table, in an order in which they can be created and filled.
    static const QList<TableDefinition>& tables();
    // Throws SchemaError for a name that is not in the schema.
    static const TableDefinition& table(const QString& name);

    // The tables whose changes are logged, by their change-log name (upper case), in the
    // order the transfers take them.
    static QStringList loggedTables();
    // The change machinery: absent from a remote copy that was never prepared.
    static QStringList changeLogTables();

    // Creates the schema in an empty database: the product's tables with their indexes, and,
    // with the change machinery, its tables and the change-log triggers.
    static void create(SqliteDatabase& db, bool withChangeLog);
    static QStringList createStatements(bool withChangeLog);
};
