#include "db/Dialect.h"
#include "sqlite/SqliteDialect.h"

void prepareDialects()
{
    SqliteDialect::prepareLibrary();
}

std::unique_ptr<Dialect> makeDialect(const QString& dbmsName)
{
    if (dbmsName == QLatin1String("SQLite"))
        return std::make_unique<SqliteDialect>();
    return nullptr;
}
