#include "sqlite/SqliteTranslator.h"

#include "sqlite/BinaryLiteralRule.h"
#include "sqlite/ConcatenationRule.h"
#include "sqlite/ExactValueRule.h"
#include "sqlite/FunctionRule.h"
#include "sqlite/OptionRule.h"
#include "sqlite/OwnerRule.h"
#include "sqlite/SqlTokenizer.h"
#include "sqlite/StatementSplitter.h"
#include "sqlite/SystemProcedureRule.h"
#include "sqlite/TemporaryTableRule.h"
#include "sqlite/TopRule.h"
#include "sqlite/UpdateRule.h"

// "commit" and "rollback" are dropped: connections run in autocommit, where they have
// nothing to do, and sent as text they would upset the ODBC driver's own transaction
// bookkeeping.
QStringList SqliteTranslator::translate(const QString& commandText) const
{
    QStringList result;
    const SystemProcedureRule procedures(m_facts);
    for (SqlStatement statement : StatementSplitter::split(SqlTokenizer::tokenize(commandText))) {
        if (statement.endsTransaction())
            continue;
        if (const std::optional<QString> option = OptionRule::rewrite(statement)) {
            result.append(*option);
            continue;
        }
        OwnerRule::apply(statement);
        if (const std::optional<QString> query = procedures.rewrite(statement)) {
            result.append(*query);
            continue;
        }
        FunctionRule::apply(statement);
        TopRule::apply(statement);
        BinaryLiteralRule::apply(statement);
        ConcatenationRule::apply(statement);
        if (!TemporaryTableRule::apply(statement))
            UpdateRule::apply(statement);
        ExactValueRule::apply(statement, m_facts.realColumns);
        result.append(statement.text());
    }
    return result;
}
