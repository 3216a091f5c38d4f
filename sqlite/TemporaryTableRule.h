#pragma once

#include "sqlite/SqlStatement.h"

// "declare local temporary table T (...) on commit preserve rows" becomes a temporary table
// of the connection, "create temp table T (...)". Character columns compare without regard
// to case (COLLATE NOCASE, unless the column names a collation); binary types become BLOB
// and BIT becomes INTEGER, so that SQLite stores their values unconverted.
class TemporaryTableRule
{
public:
    // False when the statement is no such declaration. Throws DbError for "on commit delete
    // rows": under autocommit every statement commits, so such a table could never keep a row.
    static bool apply(SqlStatement& statement);
};
