#pragma once

#include "db/Dialect.h"

// Makes a PostgreSQL database reached through psqlODBC answer the program's statements as the
// engine it was written for would. The login is PostgreSQL's own: the server checked the
// role and its password before attach() runs. attach() checks that the database holds the
// stand-in's schema "sys" (catalogue views, system functions, now, locate), sets the search
// path and the facts the system functions report; translate() rewrites each command text
// (see PostgresTranslator).
class PostgresDialect : public Dialect
{
public:
    // The version the database's sys.varrow_version() must report.
    static constexpr const char* SchemaVersion = "1";

    void attach(RawSession& session, const DialectContext& context) override;
    QStringList translate(const QString& commandText) override;
    // A statement that waited longer than its lock timeout, or was chosen to end a deadlock,
    // is marked as locked by another program, naming the data source.
    DbError describe(const DbError& error) const override;

private:
    QString m_dataSource;
};
