#include "sqlite/OwnerRule.h"

namespace {

// Keywords after which a name is a table.
bool introducesTable(const SqlToken& token)
{
    return token.isAnyOf({"from", "join", "update", "into", "table", "references"});
}

// Keywords after which a list of tables continues past ",".
bool startsTableList(const SqlToken& token)
{
    return token.isAnyOf({"from", "update"});
}

bool endsTableList(const SqlToken& token)
{
    return token.isAnyOf({"where", "set", "on", "using", "group", "order", "having", "limit",
                          "union", "except", "intersect", "window", "values", "select", "returning",
                          "begin"});
}

bool isSqliteSchema(const SqlToken& token)
{
    return token.isName() &&
           (token.name().compare(QLatin1String("main"), Qt::CaseInsensitive) == 0 ||
            token.name().compare(QLatin1String("temp"), Qt::CaseInsensitive) == 0);
}

// CREATE INDEX ... ON t and CREATE TRIGGER ... ON t: the first ON names a table; later ONs
// belong to joins. Returns its index, or -1.
int tableOn(const SqlStatement& statement)
{
    const bool definesOnTable = statement.startsWith({"create", "index"}) ||
                                statement.startsWith({"create", "unique", "index"}) ||
                                statement.startsWith({"create", "trigger"}) ||
                                statement.startsWith({"create", "temp", "trigger"}) ||
                                statement.startsWith({"create", "temporary", "trigger"});
    if (definesOnTable)
        for (int i = statement.first(); i < statement.size(); i = statement.nextSignificant(i + 1))
            if (statement.at(i).is(QLatin1String("on")))
                return i;
    return -1;
}

} // namespace

void OwnerRule::apply(SqlStatement& statement)
{
    // Per parenthesis depth: are we inside a FROM/UPDATE table list?
    QList<bool> tableList{false};
    int onIndex = tableOn(statement);
    for (int i = statement.first(); i < statement.size(); i = statement.nextSignificant(i + 1)) {
        const SqlToken& token = statement.at(i);
        if (token.isSymbol(QLatin1String("("))) {
            tableList.append(false);
            continue;
        }
        if (token.isSymbol(QLatin1String(")"))) {
            if (tableList.size() > 1)
                tableList.removeLast();
            continue;
        }
        const int previous = statement.previousSignificant(i);
        const bool afterDot = previous >= 0 && statement.at(previous).isSymbol(QLatin1String("."));
        if (token.kind == SqlToken::Kind::Word && !afterDot) {
            if (startsTableList(token))
                tableList.last() = true;
            else if (endsTableList(token))
                tableList.last() = false;
        }
        // Only a dotted name can carry an owner.
        if (!token.isName() || i + 1 >= statement.size() ||
            !statement.at(i + 1).isSymbol(QLatin1String(".")))
            continue;
        const QList<int> parts = statement.namePath(i);
        if (parts.size() < 2)
            continue;
        if (isSqliteSchema(statement.at(parts.first()))) {
            i = parts.last();
            continue;
        }
        const SqlToken* before = previous >= 0 ? &statement.at(previous) : nullptr;
        const bool tablePosition =
            before && (introducesTable(*before) || previous == onIndex ||
                       (before->isSymbol(QLatin1String(",")) && tableList.last()));
        const int after = statement.nextSignificant(parts.last() + 1);
        const bool functionCall =
            after < statement.size() && statement.at(after).isSymbol(QLatin1String("("));
        int keepFrom = parts.first();
        if (tablePosition)
            keepFrom = parts.last();
        else if (parts.size() >= 3 || functionCall)
            keepFrom = parts[1];
        const int removed = keepFrom - parts.first();
        statement.replace(parts.first(), keepFrom, {});
        if (onIndex > i)
            onIndex -= removed;
        i = parts.last() - removed;
    }
}
