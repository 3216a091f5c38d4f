#pragma once

#include "sqlite/SqlStatement.h"

// Splits a command text's tokens into statements at ";". A trigger's BEGIN ... END body is
// one statement with its inner ";"s. Statements with nothing but spaces and comments vanish.
class StatementSplitter
{
public:
    static QList<SqlStatement> split(const SqlTokens& tokens);
};
