#pragma once

#include <QString>

// How values of one column are written into statement text. The code is the column's field
// type code as the transfers know it; binary columns share code 2 with the numbers but are
// written as hexadecimal literals, so they carry a flag of their own.
struct FieldFormat
{
    enum Code : int
    {
        Text = 0,
        Date = 1,
        Number = 2,
        Time = 3,
        LongText = 4,
        Timestamp = 5,
    };

    int code = Text;
    bool binary = false;

    bool operator==(const FieldFormat&) const = default;

    // The format of a catalogue domain name (any case); unknown domains are text.
    static FieldFormat forDomain(const QString& domainName);
    // Columns whose values are passed on as they stand, whatever their domain.
    static bool isVerbatimColumn(const QString& columnName);
};
