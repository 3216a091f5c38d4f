#pragma once

#include <QString>

// One column as the engine declares it. The type is written with the engine's own type
// names (CHAR(20), NUMERIC(10,2), LONG VARCHAR ...), which the stand-in's catalogue reads back
// as domains, widths and scales.
struct ColumnDefinition
{
    QString name;
    QString type;
    bool notNull = false;
    QString defaultSql; // a literal as SQL text ('A', 0); empty for none

    // Character columns compare without regard to case, as the engine does.
    bool isText() const
    {
        return type.startsWith(QLatin1String("CHAR")) ||
               type.startsWith(QLatin1String("VARCHAR")) || type == QLatin1String("LONG VARCHAR");
    }
};
