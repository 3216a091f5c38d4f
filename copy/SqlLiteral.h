#pragma once

#include <QString>

// Text pasted between single quotes in a statement: every single quote doubled, so a value
// such as O'NEIL-01 stays one value and can never end the literal early.
QString doubledQuotes(const QString& text);

// A text literal: the value with its quotes doubled, between single quotes.
QString sqlText(const QString& text);
