#include "sqlite/FunctionRule.h"

void FunctionRule::apply(SqlStatement& statement)
{
    rewrite(statement, true);
}

void FunctionRule::replaceNow(SqlStatement& statement)
{
    rewrite(statement, false);
}

void FunctionRule::rewrite(SqlStatement& statement, bool leftAndRight)
{
    for (int i = statement.first(); i < statement.size(); i = statement.nextSignificant(i + 1)) {
        const SqlToken& token = statement.at(i);
        if (token.kind != SqlToken::Kind::Word)
            continue;
        const int open = statement.nextSignificant(i + 1);
        if (open >= statement.size() || !statement.at(open).isSymbol(QLatin1String("(")))
            continue;
        const int previous = statement.previousSignificant(i);
        if (previous >= 0 && statement.at(previous).isSymbol(QLatin1String(".")))
            continue;
        if (token.is(QLatin1String("now"))) {
            // now(*) and now(): the star only says "no arguments".
            int close = statement.nextSignificant(open + 1);
            if (close < statement.size() && statement.at(close).isSymbol(QLatin1String("*")))
                close = statement.nextSignificant(close + 1);
            if (close < statement.size() && statement.at(close).isSymbol(QLatin1String(")")))
                statement.replace(i, close + 1,
                                  {SqlToken::word(QStringLiteral("varrow_now")),
                                   SqlToken::symbol(QStringLiteral("(")),
                                   SqlToken::symbol(QStringLiteral(")"))});
        } else if (leftAndRight &&
                   (token.is(QLatin1String("left")) || token.is(QLatin1String("right")))) {
            statement.replace(i, i + 1,
                              {SqlToken::word(QStringLiteral("varrow_") + token.text.toLower())});
        }
    }
}
