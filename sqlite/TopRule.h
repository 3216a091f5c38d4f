#pragma once

#include "sqlite/SqlStatement.h"

// SELECT [DISTINCT|ALL] TOP n [START AT m] ...: the first n rows of the query, from row m
// (counted from 1). SQLite says it with LIMIT n OFFSET m-1 at the end of the query the SELECT
// heads: the statement's end, or the ")" that closes a sub-select. Counts that are not plain
// numbers are left for the engine to refuse.
class TopRule
{
public:
    static void apply(SqlStatement& statement);
};
