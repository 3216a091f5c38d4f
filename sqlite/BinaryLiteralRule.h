#pragma once

#include "sqlite/SqlStatement.h"

// The engine writes a binary value as 0x followed by its bytes in hexadecimal; SQLite reads
// 0x... as an integer and writes binary values as X'...'. Every 0x literal becomes X'...' (a
// leading 0 added to an odd number of digits, "0x" alone the empty value); the same letters
// inside a quoted text, a name or a comment are other tokens and stay as they are.
class BinaryLiteralRule
{
public:
    // form: the literal with %1 for the hexadecimal digits (SQLite's X'%1' by default).
    static void apply(SqlStatement& statement, const QString& form = QStringLiteral("X'%1'"));
};
