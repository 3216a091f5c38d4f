#include "sqlite/TopRule.h"

namespace {

// The plain whole number at index, or -1.
qint64 count(const SqlStatement& statement, int index)
{
    if (index >= statement.size() || statement.at(index).kind != SqlToken::Kind::Number)
        return -1;
    bool ok = false;
    const qint64 n = statement.at(index).text.toLongLong(&ok);
    return ok ? n : -1;
}

// Where the query headed by the SELECT at index ends: the ")" closing the parenthesis it
// stands in, or the statement's end.
int queryEnd(const SqlStatement& statement, int select)
{
    int depth = 0;
    for (int i = select; i < statement.size(); ++i) {
        if (statement.at(i).isSymbol(QLatin1String("(")))
            ++depth;
        else if (statement.at(i).isSymbol(QLatin1String(")")) && depth-- == 0)
            return i;
    }
    return statement.size();
}

} // namespace

void TopRule::apply(SqlStatement& statement)
{
    for (int i = statement.first(); i < statement.size(); i = statement.nextSignificant(i + 1)) {
        if (!statement.at(i).is(QLatin1String("select")))
            continue;
        int top = statement.nextSignificant(i + 1);
        if (top < statement.size() && statement.at(top).isAnyOf({"distinct", "all"}))
            top = statement.nextSignificant(top + 1);
        if (top >= statement.size() || !statement.at(top).is(QLatin1String("top")))
            continue;
        const int rowsAt = statement.nextSignificant(top + 1);
        const qint64 rows = count(statement, rowsAt);
        if (rows < 0)
            continue;
        int clauseLast = rowsAt; // the clause's last token
        qint64 start = 1;
        const int startWord = statement.nextSignificant(rowsAt + 1);
        const int atWord = statement.nextSignificant(startWord + 1);
        if (startWord < statement.size() && statement.at(startWord).is(QLatin1String("start")) &&
            atWord < statement.size() && statement.at(atWord).is(QLatin1String("at"))) {
            clauseLast = statement.nextSignificant(atWord + 1);
            start = count(statement, clauseLast);
            if (start < 1)
                continue;
        }
        // The limit goes in first, so that the indexes before it stay valid.
        SqlTokens limit{SqlToken::space(),
                        SqlToken::word(QStringLiteral("limit")),
                        SqlToken::space(),
                        {SqlToken::Kind::Number, QString::number(rows)}};
        if (start > 1)
            limit << SqlToken::space() << SqlToken::word(QStringLiteral("offset"))
                  << SqlToken::space()
                  << SqlToken{SqlToken::Kind::Number, QString::number(start - 1)};
        const int end = queryEnd(statement, i);
        statement.replace(end, end, limit);
        statement.replace(top, statement.nextSignificant(clauseLast + 1), {});
    }
}
