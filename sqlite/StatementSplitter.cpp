#include "sqlite/StatementSplitter.h"

namespace {

// CREATE [TEMP|TEMPORARY] TRIGGER: the only statement here whose body holds ";"s.
bool isTriggerDefinition(const SqlStatement& statement)
{
    return statement.startsWith({"create", "trigger"}) ||
           statement.startsWith({"create", "temp", "trigger"}) ||
           statement.startsWith({"create", "temporary", "trigger"});
}

} // namespace

QList<SqlStatement> StatementSplitter::split(const SqlTokens& tokens)
{
    QList<SqlStatement> statements;
    SqlStatement current;
    // Depth of BEGIN/CASE blocks inside a trigger body; ";" splits only at depth 0.
    int blockDepth = 0;
    auto finish = [&] {
        if (!current.isEmpty())
            statements.append(current);
        current = SqlStatement();
        blockDepth = 0;
    };
    for (const SqlToken& token : tokens) {
        if (token.isSymbol(QLatin1String(";")) && blockDepth == 0) {
            finish();
            continue;
        }
        if (token.kind == SqlToken::Kind::Word &&
            (blockDepth > 0 || token.is(QLatin1String("begin")))) {
            if (token.is(QLatin1String("begin")) && blockDepth == 0) {
                if (isTriggerDefinition(current))
                    blockDepth = 1;
            } else if (token.is(QLatin1String("case"))) {
                ++blockDepth;
            } else if (token.is(QLatin1String("end"))) {
                --blockDepth;
            }
        }
        current.tokens().append(token);
    }
    finish();
    return statements;
}
