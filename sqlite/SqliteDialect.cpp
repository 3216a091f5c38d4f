#include "sqlite/SqliteDialect.h"

void SqliteDialect::attach(RawSession&, const DialectContext&) {}

QStringList SqliteDialect::translate(const QString& commandText)
{
    return {commandText};
}
