#include "copy/FieldFormat.h"

FieldFormat FieldFormat::forDomain(const QString& domainName)
{
    const QString domain = domainName.trimmed().toUpper();
    if (domain == QLatin1String("DATE"))
        return {Date, false};
    if (domain == QLatin1String("TIME"))
        return {Time, false};
    if (domain == QLatin1String("TIMESTAMP"))
        return {Timestamp, false};
    if (domain == QLatin1String("LONG VARCHAR"))
        return {LongText, false};
    if (domain == QLatin1String("BINARY") || domain == QLatin1String("LONG BINARY"))
        return {Number, true};
    // Not a number domain, but its bytes must travel as bytes all the same.
    if (domain == QLatin1String("VARBINARY"))
        return {Text, true};
    for (const char* number :
         {"SMALLINT", "INTEGER", "NUMERIC", "DECIMAL", "FLOAT", "DOUBLE", "TINYINT"})
        if (domain == QLatin1String(number))
            return {Number, false};
    return {Text, false};
}

bool FieldFormat::isVerbatimColumn(const QString& columnName)
{
    // Exactly these spellings: the two time-of-day columns of the calibration record.
    return columnName == QLatin1String("C2333") || columnName == QLatin1String("C2334");
}
