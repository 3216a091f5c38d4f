#include "sqlite/ConcatenationRule.h"

#include <algorithm>

namespace {

enum class ValueKind
{
    Unknown,
    Text,
    Number
};

// A single token, or a parenthesised group / CASE ... END block already rewritten inside.
struct Item
{
    SqlTokens tokens;
    bool group = false;
    bool textGroup = false; // a group whose content is one text expression

    const SqlToken& token() const { return tokens.first(); }
    bool isSignificant() const { return group || token().isSignificant(); }
    bool isSymbol(QLatin1String symbol) const { return !group && token().isSymbol(symbol); }
};

struct Region
{
    SqlTokens tokens;
    bool isText = false; // the whole region is one text expression
};

bool isChainOperator(const Item& item)
{
    for (const char* symbol : {"+", "-", "*", "/", "%", "||", ".", "~"})
        if (item.isSymbol(QLatin1String(symbol)))
            return true;
    return false;
}

// Tokens that end an operand chain: operators weaker than "+", separators and clause words.
bool isBoundary(const Item& item)
{
    if (item.group)
        return false;
    const SqlToken& token = item.token();
    if (token.kind == SqlToken::Kind::Symbol)
        return !isChainOperator(item);
    return token.isAnyOf(
        {"and",    "or",        "not",    "like",    "glob",    "regexp",   "match",     "is",
         "in",     "between",   "escape", "where",   "set",     "then",     "else",      "when",
         "as",     "from",      "select", "on",      "having",  "by",       "order",     "group",
         "limit",  "offset",    "values", "default", "collate", "distinct", "all",       "union",
         "except", "intersect", "asc",    "desc",    "join",    "using",    "returning", "into",
         "exists", "begin",     "end"});
}

// Ends an operand: a name, literal or group, as opposed to an operator.
bool endsOperand(const Item& item)
{
    return item.group || item.token().kind != SqlToken::Kind::Symbol;
}

bool isTextFunction(const SqlToken& token)
{
    return token.isAnyOf({"varrow_left", "varrow_right", "left",      "right",  "trim",  "ltrim",
                          "rtrim",       "substr",       "substring", "upper",  "lower", "ucase",
                          "lcase",       "replace",      "string",    "repeat", "space", "char",
                          "hex",         "quote",        "printf",    "format"});
}

bool isCharacterType(const QString& type)
{
    const QString upper = type.toUpper();
    return upper.contains(QLatin1String("CHAR")) || upper.contains(QLatin1String("TEXT")) ||
           upper.contains(QLatin1String("CLOB"));
}

// cast(x AS char(n)), cast(x AS long varchar) ...: the group's top-level "AS" and type.
bool isCastToText(const Item& group)
{
    int depth = 0;
    for (qsizetype i = 0; i < group.tokens.size(); ++i) {
        const SqlToken& token = group.tokens[i];
        if (token.isSymbol(QLatin1String("(")))
            ++depth;
        else if (token.isSymbol(QLatin1String(")")))
            --depth;
        else if (depth == 1 && token.is(QLatin1String("as")))
            return isCharacterType(renderTokens(group.tokens.mid(i + 1)));
    }
    return false;
}

Region rewriteRegion(const SqlTokens& tokens, qsizetype begin, qsizetype end);

QList<Item> itemsOf(const SqlTokens& tokens, qsizetype begin, qsizetype end)
{
    QList<Item> items;
    SqlStatement view(tokens);
    for (qsizetype i = begin; i < end; ++i) {
        const SqlToken& token = tokens[i];
        const bool opens = token.isSymbol(QLatin1String("(")) || token.is(QLatin1String("case"));
        if (!opens) {
            items.append({{token}});
            continue;
        }
        const qsizetype close = std::min<qsizetype>(view.closing(int(i)), end);
        Item group;
        group.group = true;
        group.tokens.append(token);
        const Region inner = rewriteRegion(tokens, i + 1, close);
        group.tokens += inner.tokens;
        if (close < end)
            group.tokens.append(tokens[close]);
        group.textGroup = token.isSymbol(QLatin1String("(")) && inner.isText;
        items.append(group);
        i = close;
    }
    return items;
}

struct Operand
{
    QList<Item> items;
    ValueKind kind = ValueKind::Unknown;
    bool hasOperator = false; // a top-level operator weaker than "||" inside
};

QList<const Item*> significantItems(const QList<Item>& items)
{
    QList<const Item*> result;
    for (const Item& item : items)
        if (item.isSignificant())
            result.append(&item);
    return result;
}

void classify(Operand& operand)
{
    const QList<const Item*> items = significantItems(operand.items);
    bool joins = false;
    for (const Item* item : items) {
        if (item->isSymbol(QLatin1String("||")))
            joins = true;
        else if (item->isSymbol(QLatin1String("*")) || item->isSymbol(QLatin1String("/")) ||
                 item->isSymbol(QLatin1String("%")))
            operand.hasOperator = true;
    }
    if (operand.hasOperator)
        return;
    if (joins) {
        operand.kind = ValueKind::Text;
    } else if (items.size() == 1) {
        const Item& item = *items.first();
        if (item.group)
            operand.kind = item.textGroup ? ValueKind::Text : ValueKind::Unknown;
        else if (item.token().kind == SqlToken::Kind::String)
            operand.kind = ValueKind::Text;
        else if (item.token().kind == SqlToken::Kind::Number)
            operand.kind = ValueKind::Number;
    } else if (items.size() == 2 && !items[0]->group && items[1]->group) {
        const SqlToken& name = items[0]->token();
        if (isTextFunction(name) || (name.is(QLatin1String("cast")) && isCastToText(*items[1])))
            operand.kind = ValueKind::Text;
    } else if (items.size() == 2 && !items[1]->group &&
               (items[0]->isSymbol(QLatin1String("-")) || items[0]->isSymbol(QLatin1String("+"))) &&
               items[1]->token().kind == SqlToken::Kind::Number) {
        operand.kind = ValueKind::Number;
    }
}

SqlTokens flatten(const QList<Item>& items)
{
    SqlTokens tokens;
    for (const Item& item : items)
        tokens += item.tokens;
    return tokens;
}

// Parentheses around the operand's significant part, leaving its surrounding spaces outside.
SqlTokens wrapped(const SqlTokens& tokens)
{
    qsizetype first = 0;
    while (first < tokens.size() && !tokens[first].isSignificant())
        ++first;
    qsizetype last = tokens.size();
    while (last > first && !tokens[last - 1].isSignificant())
        --last;
    SqlTokens result = tokens.mid(0, first);
    result.append(SqlToken::symbol(QStringLiteral("(")));
    result += tokens.mid(first, last - first);
    result.append(SqlToken::symbol(QStringLiteral(")")));
    result += tokens.mid(last);
    return result;
}

// One run of operands joined by "+" and "-", evaluated left to right as the engine does.
Region rewriteChain(const QList<Item>& items)
{
    QList<Operand> operands(1);
    QList<const Item*> operators;
    const Item* previous = nullptr;
    for (const Item& item : items) {
        const bool additive =
            item.isSymbol(QLatin1String("+")) || item.isSymbol(QLatin1String("-"));
        // A sign after an operator or at the start is unary and part of the operand.
        const bool binary = additive && previous && endsOperand(*previous);
        if (binary) {
            operators.append(&item);
            operands.append(Operand());
        } else {
            operands.last().items.append(item);
        }
        if (item.isSignificant())
            previous = &item;
    }
    for (Operand& operand : operands)
        classify(operand);

    SqlTokens result = flatten(operands.first().items);
    ValueKind kind = operands.first().kind;
    bool needsParentheses = operands.first().hasOperator;
    for (qsizetype i = 0; i < operators.size(); ++i) {
        const Operand& operand = operands[i + 1];
        const bool join = operators[i]->isSymbol(QLatin1String("+")) &&
                          ((kind == ValueKind::Text && operand.kind != ValueKind::Number) ||
                           (operand.kind == ValueKind::Text && kind != ValueKind::Number));
        if (join) {
            if (needsParentheses)
                result = wrapped(result);
            result.append(SqlToken::symbol(QStringLiteral("||")));
            const SqlTokens right = flatten(operand.items);
            result += operand.hasOperator ? wrapped(right) : right;
            kind = ValueKind::Text;
            needsParentheses = false;
        } else {
            result += operators[i]->tokens;
            result += flatten(operand.items);
            kind = ValueKind::Unknown;
            needsParentheses = true;
        }
    }
    return {result, kind == ValueKind::Text};
}

Region rewriteRegion(const SqlTokens& tokens, qsizetype begin, qsizetype end)
{
    const QList<Item> items = itemsOf(tokens, begin, end);
    Region region;
    QList<Item> chain;
    int chains = 0;
    bool lastChainIsText = false;
    auto flush = [&] {
        if (chain.isEmpty())
            return;
        const Region rewritten = rewriteChain(chain);
        region.tokens += rewritten.tokens;
        if (!significantItems(chain).isEmpty()) {
            ++chains;
            lastChainIsText = rewritten.isText;
        }
        chain.clear();
    };
    bool boundaries = false;
    const Item* lastInChain = nullptr;
    for (const Item& item : items) {
        // A name or literal right after a complete operand is an alias ("+'%' pattern").
        const bool alias = lastInChain && endsOperand(*lastInChain) && !item.group &&
                           item.token().isSignificant() && endsOperand(item);
        if (item.isSignificant())
            lastInChain = &item;
        if (isBoundary(item) || alias) {
            lastInChain = nullptr;
            flush();
            region.tokens += item.tokens;
            boundaries = true;
        } else {
            chain.append(item);
        }
    }
    flush();
    region.isText = !boundaries && chains == 1 && lastChainIsText;
    return region;
}

} // namespace

void ConcatenationRule::apply(SqlStatement& statement)
{
    const SqlTokens& tokens = statement.tokens();
    // Most statements hold no "+" at all: nothing to look at.
    if (std::none_of(tokens.cbegin(), tokens.cend(), [](const SqlToken& token) {
            return token.kind == SqlToken::Kind::Symbol && token.text == QLatin1String("+");
        }))
        return;
    Region rewritten = rewriteRegion(tokens, 0, tokens.size());
    statement.tokens() = rewritten.tokens;
}
