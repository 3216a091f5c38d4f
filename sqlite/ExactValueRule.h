#pragma once

#include "sqlite/SqlStatement.h"

#include <QSet>
#include <QString>

// The SQLite ODBC driver hands every value over as the text SQLite makes of it, and SQLite
// writes a real number with 15 significant digits: read that way, many numbers lose their last
// bits. So in a query, a result column that is a column which may hold a real number (one of
// `columns`, lower case) is read through varrow_exact(), which hands a real over as its shortest
// exact text and any other value as it is, under the column's own name:
//
//   select i4213, t.c2505 as nominal from ...
//   -> select varrow_exact(i4213) AS "i4213", varrow_exact(t.c2505) AS "nominal" from ...
//
// Only where that cannot change what the query means: not in SELECT DISTINCT, nor in a
// compound query, nor where ORDER BY or GROUP BY names a result column by its position, and
// not for a result column whose name the statement uses anywhere else (ORDER BY would take it
// for the new column). Expressions, "*" and every statement that is not a query stay as they
// are.
class ExactValueRule
{
public:
    static void apply(SqlStatement& statement, const QSet<QString>& columns);
};
