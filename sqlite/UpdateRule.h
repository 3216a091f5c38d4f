#pragma once

#include "sqlite/SqlStatement.h"

// The engine updates one table from a join written as a table list,
// "update A,B set A.c=B.d where ...", and accepts qualified SET targets in any update.
// SQLite takes "update A set c=B.d from B where ...": the table the SET targets name (else
// the first one) is updated, the others move to FROM, and the targets lose their qualifier.
class UpdateRule
{
public:
    // Throws DbError when the SET targets name more than one of the tables.
    static void apply(SqlStatement& statement);
};
