#pragma once

#include "sqlite/SessionFacts.h"
#include "sqlite/SqlStatement.h"

#include <optional>

// "call sa_db_info()" and "call sa_eng_properties()" become queries that answer from the
// facts of the connection, with the columns the engine's procedures have.
class SystemProcedureRule
{
public:
    struct Call
    {
        QString procedure; // as written
        QStringList arguments;
    };
    // "call name", "call name()" or "call name(a, ...)" with one token per argument.
    static std::optional<Call> parseCall(const SqlStatement& statement);

    explicit SystemProcedureRule(const SessionFacts& facts) : m_facts(facts) {}
    // The query for a call of one of the two procedures, else nothing.
    std::optional<QString> rewrite(const SqlStatement& statement) const;

private:
    QString databaseInfo(bool thisDatabase) const;
    QString engineProperties() const;

    const SessionFacts& m_facts;
};
