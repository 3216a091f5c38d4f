#include "sqlite/ExactValueRule.h"

#include <algorithm>
#include <optional>

namespace {

struct Item
{
    int begin = 0; // first significant token
    int end = 0;   // past the last significant token
};

bool endsSortOrGroup(const SqlToken& token)
{
    return token.isAnyOf(
        {"limit", "offset", "having", "window", "order", "group", "union", "except", "intersect"});
}

// Whether the query's top level keeps every result column's meaning when columns are renamed
// and wrapped; sets from to its top-level FROM.
bool isPlainQuery(const SqlStatement& statement, int listBegin, int& from)
{
    from = statement.size();
    bool inSortOrGroup = false;
    for (int i = statement.nextSignificant(listBegin); i < statement.size();) {
        const SqlToken& token = statement.at(i);
        if (token.isAnyOf({"union", "except", "intersect"}))
            return false;
        if (token.is(QLatin1String("from")) && from == statement.size())
            from = i;
        if (token.isAnyOf({"order", "group"})) {
            inSortOrGroup = true;
        } else if (inSortOrGroup && endsSortOrGroup(token)) {
            inSortOrGroup = false;
        } else if (inSortOrGroup && token.kind == SqlToken::Kind::Number) {
            return false; // a result column by its position
        }
        const int next = token.isSymbol(QLatin1String("(")) ? statement.closing(i) + 1 : i + 1;
        i = statement.nextSignificant(std::min(next, statement.size()));
    }
    return from < statement.size();
}

// The result columns of the select list [begin, end), split at its top-level commas.
QList<Item> selectItems(const SqlStatement& statement, int begin, int end)
{
    QList<Item> items;
    int i = statement.nextSignificant(begin);
    Item item{i, i};
    while (i < end) {
        const SqlToken& token = statement.at(i);
        if (token.isSymbol(QLatin1String(","))) {
            items.append(item);
            i = statement.nextSignificant(i + 1);
            item = {i, i};
            continue;
        }
        item.end = token.isSymbol(QLatin1String("("))
                       ? std::min(statement.closing(i) + 1, statement.size())
                       : i + 1;
        i = statement.nextSignificant(item.end);
    }
    items.append(item);
    return items;
}

// A column reference, alone or with an alias: its last name part and the name the result
// column is given. Nothing for anything else.
struct ColumnItem
{
    QString column;
    QString name;
};

std::optional<ColumnItem> columnItem(const SqlStatement& statement, const Item& item)
{
    if (item.begin >= item.end)
        return std::nullopt;
    const QList<int> path = statement.namePath(item.begin);
    if (path.isEmpty() || path.last() >= item.end || !statement.at(path.last()).isName())
        return std::nullopt;
    const QString column = statement.at(path.last()).name();
    int i = statement.nextSignificant(path.last() + 1);
    if (i >= item.end)
        return ColumnItem{column, column};
    if (statement.at(i).is(QLatin1String("as")))
        i = statement.nextSignificant(i + 1);
    if (i < item.end && statement.at(i).isName() && statement.nextSignificant(i + 1) >= item.end)
        return ColumnItem{column, statement.at(i).name()};
    return std::nullopt;
}

bool namedElsewhere(const SqlStatement& statement, const Item& item, const QString& name)
{
    for (int i = 0; i < statement.size(); ++i) {
        if (i == item.begin) {
            i = item.end - 1;
            continue;
        }
        const SqlToken& token = statement.at(i);
        if (token.isName() && token.name().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

SqlToken quotedName(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return {SqlToken::Kind::QuotedName, QLatin1Char('"') + quoted + QLatin1Char('"')};
}

} // namespace

void ExactValueRule::apply(SqlStatement& statement, const QSet<QString>& columns)
{
    if (columns.isEmpty() || !statement.startsWith({"select"}))
        return;
    int listBegin = statement.nextSignificant(statement.first() + 1);
    if (listBegin < statement.size() && statement.at(listBegin).is(QLatin1String("distinct")))
        return;
    if (listBegin < statement.size() && statement.at(listBegin).is(QLatin1String("all")))
        listBegin = statement.nextSignificant(listBegin + 1);
    int from = 0;
    if (!isPlainQuery(statement, listBegin, from))
        return;
    const QList<Item> items = selectItems(statement, listBegin, from);
    // From the last, so the earlier items keep their places.
    for (auto item = items.crbegin(); item != items.crend(); ++item) {
        const std::optional<ColumnItem> reference = columnItem(statement, *item);
        if (!reference || !columns.contains(reference->column.toLower()) ||
            namedElsewhere(statement, *item, reference->name))
            continue;
        const QList<int> path = statement.namePath(item->begin);
        SqlTokens wrapped{SqlToken::word(QStringLiteral("varrow_exact")),
                          SqlToken::symbol(QStringLiteral("("))};
        for (int i = path.first(); i <= path.last(); ++i)
            wrapped.append(statement.at(i));
        wrapped.append({SqlToken::symbol(QStringLiteral(")")), SqlToken::space(),
                        SqlToken::word(QStringLiteral("AS")), SqlToken::space(),
                        quotedName(reference->name)});
        statement.replace(item->begin, item->end, wrapped);
    }
}
