#pragma once

#include "sqlite/SqlToken.h"

#include <QStringView>

// Cuts a command text into tokens, aware of quoted strings and names and of comments, so
// that a ";" or a keyword inside them is never taken for syntax. Never fails: an unclosed
// quote or comment runs to the end of the text and the engine reports it.
class SqlTokenizer
{
public:
    static SqlTokens tokenize(QStringView text);
};
