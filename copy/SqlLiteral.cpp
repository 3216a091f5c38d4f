#include "copy/SqlLiteral.h"

QString doubledQuotes(const QString& text)
{
    QString result = text;
    result.replace(QLatin1Char('\''), QStringLiteral("''"));
    return result;
}

QString sqlText(const QString& text)
{
    return QLatin1Char('\'') + doubledQuotes(text) + QLatin1Char('\'');
}
