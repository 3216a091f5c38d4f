#pragma once

#include "sqlite/SqlStatement.h"

// SQLite has no owners: "mt.inventory", "LAB1.inventory" and "sys.systable" name the tables
// inventory and systable. Drops the owner from names in table positions, from three-part
// owner.table.column references and from owner-qualified function calls. SQLite's own
// schema names main and temp stay, and two-part names in expressions (table.column) too.
class OwnerRule
{
public:
    static void apply(SqlStatement& statement);
};
