#pragma once

#include "sqlite/SessionFacts.h"

#include <QStringList>

// Turns one command text of the program into the SQLite statements that carry it out, in
// order. Pure: it needs no database, only the facts the system procedures report.
class SqliteTranslator
{
public:
    void setSessionFacts(const SessionFacts& facts) { m_facts = facts; }
    const SessionFacts& sessionFacts() const { return m_facts; }

    // Throws DbError for statements the stand-in cannot carry out.
    QStringList translate(const QString& commandText) const;

private:
    SessionFacts m_facts;
};
