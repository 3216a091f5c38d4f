#include "sqlite/BinaryLiteralRule.h"

#include <QRegularExpression>

void BinaryLiteralRule::apply(SqlStatement& statement, const QString& form)
{
    static const QRegularExpression binary(QStringLiteral("^0[xX]([0-9A-Fa-f]*)$"));
    for (int i = statement.first(); i < statement.size(); i = statement.nextSignificant(i + 1)) {
        const SqlToken& token = statement.at(i);
        if (token.kind != SqlToken::Kind::Number)
            continue;
        const QRegularExpressionMatch m = binary.match(token.text);
        if (!m.hasMatch())
            continue;
        QString digits = m.captured(1);
        if (digits.size() % 2 != 0)
            digits.prepend(QLatin1Char('0'));
        statement.replace(i, i + 1, {{SqlToken::Kind::Number, form.arg(digits)}});
    }
}
