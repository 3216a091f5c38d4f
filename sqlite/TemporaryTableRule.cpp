#include "sqlite/TemporaryTableRule.h"

#include "db/DbError.h"

namespace {

bool startsTableConstraint(const SqlToken& token)
{
    return token.isAnyOf({"constraint", "primary", "unique", "check", "foreign"});
}

bool startsColumnConstraint(const SqlToken& token)
{
    return token.isAnyOf({"not", "null", "default", "primary", "unique", "check", "references",
                          "collate", "constraint", "generated", "as", "identity", "autoincrement",
                          "compute"});
}

// The SQLite storage type for a declared one, or an empty text to keep the declaration.
QString storageType(const QString& declared)
{
    const QString type = declared.simplified().toUpper();
    const QString name = type.section(QLatin1Char('('), 0, 0).trimmed();
    if (name == QLatin1String("BINARY") || name == QLatin1String("VARBINARY") ||
        name == QLatin1String("LONG BINARY") || name == QLatin1String("BINARY VARYING") ||
        name == QLatin1String("IMAGE"))
        return QStringLiteral("BLOB");
    if (name == QLatin1String("BIT"))
        return QStringLiteral("INTEGER");
    return QString();
}

// SQLite gives text affinity to these type names, and so does the catalogue.
bool isCharacterType(const QString& declared)
{
    const QString type = declared.toUpper();
    return type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("CLOB")) ||
           type.contains(QLatin1String("TEXT"));
}

// Rewrites one column definition, given as the tokens between two top-level commas.
SqlTokens rewriteColumn(const SqlTokens& tokens, TemporaryTableRule::ColumnType columnType)
{
    SqlStatement column(tokens);
    const int name = column.first();
    if (name >= column.size() || startsTableConstraint(column.at(name)))
        return tokens;
    const int typeBegin = column.nextSignificant(name + 1);
    int typeEnd = typeBegin;
    for (int i = typeBegin; i < column.size(); i = column.nextSignificant(i + 1)) {
        const SqlToken& token = column.at(i);
        if (token.isSymbol(QLatin1String("("))) {
            typeEnd = std::min(column.closing(i) + 1, column.size());
            break;
        }
        if (token.kind != SqlToken::Kind::Word || startsColumnConstraint(token))
            break;
        typeEnd = i + 1;
    }
    if (typeEnd == typeBegin)
        return tokens;
    const QString declared = renderTokens(tokens.mid(typeBegin, typeEnd - typeBegin));
    bool hasCollation = false;
    for (const SqlToken& token : tokens)
        hasCollation = hasCollation || token.is(QLatin1String("collate"));
    SqlTokens result = tokens.mid(0, typeBegin);
    const QString type = columnType(declared, hasCollation);
    if (type.isEmpty())
        result += tokens.mid(typeBegin, typeEnd - typeBegin);
    else
        result.append(SqlToken::word(type));
    result += tokens.mid(typeEnd);
    return result;
}

} // namespace

QString TemporaryTableRule::sqliteColumnType(const QString& declared, bool hasCollation)
{
    QString type = storageType(declared);
    if (isCharacterType(declared) && !hasCollation)
        type = (type.isEmpty() ? declared : type) + QStringLiteral(" COLLATE NOCASE");
    return type;
}

bool TemporaryTableRule::apply(SqlStatement& statement)
{
    return apply(statement, &TemporaryTableRule::sqliteColumnType);
}

bool TemporaryTableRule::apply(SqlStatement& statement, ColumnType columnType)
{
    const bool local = statement.startsWith({"declare", "local", "temporary", "table"});
    if (!local && !statement.startsWith({"declare", "temporary", "table"}))
        return false;
    int table = statement.first();
    for (int words = local ? 4 : 3; words > 0; --words)
        table = statement.nextSignificant(table + 1);
    int open = table;
    while (open < statement.size() && !statement.at(open).isSymbol(QLatin1String("(")))
        ++open;
    if (open >= statement.size())
        return false;
    const int close = statement.closing(open);
    for (int i = statement.nextSignificant(close + 1); i < statement.size();
         i = statement.nextSignificant(i + 1)) {
        if (statement.at(i).is(QLatin1String("delete")))
            throw DbError(-1,
                          QStringLiteral("Temporary tables that lose their rows at each commit "
                                         "are not supported: declare them \"on commit preserve "
                                         "rows\""),
                          QStringLiteral("0A000"));
    }

    SqlTokens result{SqlToken::word(QStringLiteral("create")), SqlToken::space(),
                     SqlToken::word(QStringLiteral("temp")),   SqlToken::space(),
                     SqlToken::word(QStringLiteral("table")),  SqlToken::space()};
    result += statement.tokens().mid(table, open - table + 1);
    // Column definitions: split at the commas outside nested parentheses.
    int depth = 0;
    SqlTokens column;
    for (int i = open + 1; i <= close && i < statement.size(); ++i) {
        const SqlToken& token = statement.at(i);
        if (token.isSymbol(QLatin1String("(")))
            ++depth;
        const bool ends = (depth == 0 && token.isSymbol(QLatin1String(","))) || i == close;
        if (token.isSymbol(QLatin1String(")")))
            --depth;
        if (ends) {
            result += rewriteColumn(column, columnType);
            result.append(token);
            column.clear();
        } else {
            column.append(token);
        }
    }
    result += rewriteColumn(column, columnType); // an unclosed list: the engine will say so
    statement.tokens() = result;
    return true;
}
