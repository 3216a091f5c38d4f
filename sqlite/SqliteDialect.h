#pragma once

#include "db/Dialect.h"

// Makes a SQLite database reached through the SQLite ODBC driver answer the program's
// statements as the engine it was written for would.
class SqliteDialect : public Dialect
{
public:
    void attach(RawSession& session, const DialectContext& context) override;
    QStringList translate(const QString& commandText) override;
};
