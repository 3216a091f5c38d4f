#pragma once

#include "sqlite/SqlStatement.h"

// The engine adds with "+" but also joins two texts with it (left(k,3)+'%'); SQLite would
// add them as numbers. A "+" with a text operand on one side (a string literal, a string
// function, a cast to a character type, or an earlier join) and no number literal on the
// other becomes "||", with parentheses where SQLite's precedence needs them. Operands of
// unknown type, such as plain columns, keep "+".
class ConcatenationRule
{
public:
    static void apply(SqlStatement& statement);
};
