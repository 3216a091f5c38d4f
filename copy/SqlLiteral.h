#pragma once

#include "copy/FieldFormat.h"
#include "db/Recordset.h"

#include <QDateTime>
#include <QString>
#include <optional>

// Text pasted between single quotes in a statement: every single quote doubled, so a value
// such as O'NEIL-01 stays one value and can never end the literal early.
QString doubledQuotes(const QString& text);

// A text literal: the value with its quotes doubled, between single quotes.
QString sqlText(const QString& text);

// A fetched value written as SQL literal text by its column's format: NULL for a null value;
// dates as 'YYYY-MM-DD' and timestamps as 'YYYY-MM-DD HH:NN:SS.SSS' (more fraction digits kept
// when the engine gave them); numbers as the engine's own text between quotes; binary values
// as the engine's binary literal, 0x<hex digits>; everything else as quoted text. Nothing is
// returned when the value cannot be read as its format demands (a date that is no date, say);
// a code outside the known ones gives an empty text.
std::optional<QString> fieldLiteral(const DbValue& value, const FieldFormat& format);

// A date and time as the engine writes it (see fieldLiteral), to the millisecond; invalid
// when the text is none.
QDateTime engineTimestamp(const QString& text);

// The failure of a value that fieldLiteral() cannot write: error 13, "Type mismatch", with
// the beginning of the value.
DbError conversionError(const QString& value, const FieldFormat& format);
