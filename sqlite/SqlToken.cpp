#include "sqlite/SqlToken.h"

SqlToken SqlToken::string(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return {Kind::String, QLatin1Char('\'') + quoted + QLatin1Char('\'')};
}

bool SqlToken::is(QLatin1String keyword) const
{
    return kind == Kind::Word && text.size() == keyword.size() &&
           text.compare(keyword, Qt::CaseInsensitive) == 0;
}

bool SqlToken::isAnyOf(std::initializer_list<const char*> keywords) const
{
    for (const char* keyword : keywords)
        if (is(QLatin1String(keyword)))
            return true;
    return false;
}

bool SqlToken::isSymbol(QLatin1String symbol) const
{
    return kind == Kind::Symbol && text == symbol;
}

QString SqlToken::name() const
{
    if (kind != Kind::QuotedName || text.size() < 2)
        return text;
    const QChar open = text.front();
    const QChar close = open == u'[' ? QChar(u']') : open;
    QString inner = text.mid(1, text.size() - 2);
    return close == u']' ? inner : inner.replace(QString(2, close), QString(close));
}
