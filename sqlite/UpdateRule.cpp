#include "sqlite/UpdateRule.h"

#include "db/DbError.h"

namespace {

struct Range
{
    int begin = 0;
    int end = 0;
};

// Significant-token ranges of [begin, end) between top-level commas.
QList<Range> splitAtCommas(const SqlStatement& statement, int begin, int end)
{
    QList<Range> ranges;
    int start = begin;
    for (int i = begin; i < end; ++i) {
        if (statement.at(i).isSymbol(QLatin1String("("))) {
            i = statement.closing(i);
            continue;
        }
        if (statement.at(i).isSymbol(QLatin1String(","))) {
            ranges.append({start, i});
            start = i + 1;
        }
    }
    ranges.append({start, end});
    return ranges;
}

// First top-level token in [begin, size()) that is one of the keywords, or size().
int findTopLevel(const SqlStatement& statement, int begin,
                 std::initializer_list<const char*> keywords)
{
    for (int i = statement.nextSignificant(begin); i < statement.size();
         i = statement.nextSignificant(i + 1)) {
        if (statement.at(i).isSymbol(QLatin1String("(")))
            i = statement.closing(i);
        else if (statement.at(i).isAnyOf(keywords))
            return i;
    }
    return statement.size();
}

// The names a table reference answers to: its table name and its alias, if any.
QStringList namesOf(const SqlStatement& statement, const Range& reference)
{
    QStringList names;
    const int start = statement.nextSignificant(reference.begin);
    const QList<int> path = statement.namePath(start);
    if (path.isEmpty())
        return names;
    names.append(statement.at(path.last()).name());
    const int alias = statement.previousSignificant(reference.end);
    if (alias > path.last() && statement.at(alias).isName())
        names.append(statement.at(alias).name());
    return names;
}

SqlTokens trimmedTokens(const SqlStatement& statement, const Range& range)
{
    const int begin = statement.nextSignificant(range.begin);
    const int end = statement.previousSignificant(range.end) + 1;
    return begin < end ? statement.tokens().mid(begin, end - begin) : SqlTokens();
}

} // namespace

void UpdateRule::apply(SqlStatement& statement)
{
    if (!statement.startsWith({"update"}) || statement.startsWith({"update", "or"}))
        return;
    const int tablesBegin = statement.first() + 1;
    const int set = findTopLevel(statement, tablesBegin, {"set"});
    if (set >= statement.size())
        return;
    const int setEnd =
        findTopLevel(statement, set + 1, {"from", "where", "order", "limit", "returning"});
    const QList<Range> tables = splitAtCommas(statement, tablesBegin, set);
    if (tables.size() > 1 && setEnd < statement.size() &&
        statement.at(setEnd).is(QLatin1String("from")))
        return; // already SQLite's form with a table list of its own; leave it to the engine

    // Each SET target: its name path, and the table its qualifier names.
    int target = -1;
    QList<QList<int>> targets;
    for (const Range& assignment : splitAtCommas(statement, set + 1, setEnd)) {
        const QList<int> path = statement.namePath(statement.nextSignificant(assignment.begin));
        if (path.size() < 2)
            continue;
        targets.append(path);
        const QString qualifier = statement.at(path[path.size() - 2]).name();
        for (int t = 0; t < tables.size(); ++t) {
            if (!namesOf(statement, tables[t]).contains(qualifier, Qt::CaseInsensitive))
                continue;
            if (target >= 0 && target != t)
                throw DbError(-1,
                              QStringLiteral("An update can change the columns of one table only"),
                              QStringLiteral("0A000"));
            target = t;
        }
    }
    if (target < 0)
        target = 0;

    // Unqualify the targets from the last one back, so earlier indexes stay valid.
    SqlStatement rewritten = statement;
    for (qsizetype t = targets.size() - 1; t >= 0; --t)
        rewritten.replace(targets[t].first(), targets[t].last(), {});
    const int removed = statement.size() - rewritten.size();
    if (tables.size() == 1) {
        statement = rewritten;
        return;
    }

    SqlTokens result = statement.tokens().mid(0, tablesBegin);
    result.append(SqlToken::space());
    result += trimmedTokens(statement, tables[target]);
    result.append(SqlToken::space());
    result += trimmedTokens(rewritten, {set, setEnd - removed});
    result += {SqlToken::space(), SqlToken::word(QStringLiteral("from")), SqlToken::space()};
    bool firstSource = true;
    for (int t = 0; t < tables.size(); ++t) {
        if (t == target)
            continue;
        if (!firstSource)
            result.append(SqlToken::symbol(QStringLiteral(",")));
        result += trimmedTokens(statement, tables[t]);
        firstSource = false;
    }
    if (setEnd < statement.size()) {
        result.append(SqlToken::space());
        result += statement.tokens().mid(setEnd);
    }
    statement.tokens() = result;
}
