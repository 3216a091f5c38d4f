#pragma once

#include <QString>

// The numeric value at the start of a text, as the program reads numbers back from text
// boxes and settings: leading blanks skipped, then a number with optional sign, decimal
// point and exponent; whatever follows is ignored, and a text without one reads as 0.
double textNumber(const QString& text);
