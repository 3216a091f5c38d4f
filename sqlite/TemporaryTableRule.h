#pragma once

#include "sqlite/SqlStatement.h"

// "declare local temporary table T (...) on commit preserve rows" becomes a temporary table
// of the connection, "create temp table T (...)". Character columns compare without regard
// to case (COLLATE NOCASE, unless the column names a collation); binary types become BLOB
// and BIT becomes INTEGER, so that SQLite stores their values unconverted.
class TemporaryTableRule
{
public:
    // The engine's type for a declared column type (as written, e.g. "VARCHAR(20)"), with
    // anything that must follow it, such as a collation; an empty text keeps the declaration.
    // hasCollation: the column names a collation of its own.
    using ColumnType = QString (*)(const QString& declared, bool hasCollation);

    // False when the statement is no such declaration. Throws DbError for "on commit delete
    // rows": under autocommit every statement commits, so such a table could never keep a row.
    static bool apply(SqlStatement& statement);
    // The same declaration with another engine's column types.
    static bool apply(SqlStatement& statement, ColumnType columnType);
    // SQLite's column types: the first rule above.
    static QString sqliteColumnType(const QString& declared, bool hasCollation);
};
