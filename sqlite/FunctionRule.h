#pragma once

#include "sqlite/SqlStatement.h"

// The engine's functions under the names SQLite can call: now(*) is varrow_now(), and
// left(...) / right(...) are varrow_left / varrow_right (SQLite's parser reserves LEFT and
// RIGHT for joins). Every other function keeps its name; the extension provides locate and
// the confirm functions as they are called.
class FunctionRule
{
public:
    static void apply(SqlStatement& statement);
    // Only now(*) (and now()) as varrow_now(), for engines that call left and right as they
    // are.
    static void replaceNow(SqlStatement& statement);

private:
    static void rewrite(SqlStatement& statement, bool leftAndRight);
};
