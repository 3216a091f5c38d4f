#pragma once

#include "db/Dialect.h"
#include "sqlite/SqliteTranslator.h"

// Makes a SQLite database reached through the SQLite ODBC driver answer the program's
// statements as the engine it was written for would: attach() admits a connection only
// with the SQL extension loaded and a valid login, and gathers the facts the system
// procedures report; translate() rewrites each command text (see SqliteTranslator).
class SqliteDialect : public Dialect
{
public:
    // Throws DbError: "Invalid user ID or password" (SQLSTATE 28000) for a wrong login, a
    // description naming LoadExt when the driver did not load the extension.
    void attach(RawSession& session, const DialectContext& context) override;
    QStringList translate(const QString& commandText) override;
    // A statement that met SQLite's lock (busy or locked) is marked as locked by another
    // program, naming the data source.
    DbError describe(const DbError& error) const override;
    // Before the driver's first connection in this process: SQLite without the locks and
    // the memory accounting that only threads sharing a connection need (the program uses
    // each connection from one thread). Later it changes nothing.
    static void prepareLibrary();

    const SessionFacts& sessionFacts() const { return m_translator.sessionFacts(); }

private:
    SqliteTranslator m_translator;
    QString m_dataSource;
};
