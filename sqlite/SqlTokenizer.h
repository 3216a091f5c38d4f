#pragma once

#include "sqlite/SqlToken.h"

#include <QStringView>

// Cuts a command text into tokens, aware of quoted strings and names and of comments, so
// that a ";" or a keyword inside them is never taken for syntax. Never fails: an unclosed
// quote or comment runs to the end of the text and the engine reports it.
class SqlTokenizer
{
public:
    // The tokens share text's characters instead of copying them (every statement the program
    // sends passes through here), so text must outlive them; a token changed is copied then.
    static SqlTokens tokenize(const QString& text);
};
