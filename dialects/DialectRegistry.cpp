#include "db/Dialect.h"
#include "postgres/PostgresDialect.h"
#include "sqlite/SqliteDialect.h"

void prepareDialects()
{
    SqliteDialect::prepareLibrary();
}

std::unique_ptr<Dialect> makeDialect(const QString& dbmsName)
{
    if (dbmsName == QLatin1String("SQLite"))
        return std::make_unique<SqliteDialect>();
    if (dbmsName == QLatin1String("PostgreSQL"))
        return std::make_unique<PostgresDialect>();
    return nullptr;
}
