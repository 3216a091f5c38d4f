#include "sqlite/SqlStatement.h"

int SqlStatement::nextSignificant(int from) const
{
    int i = std::max(from, 0);
    while (i < size() && !m_tokens[i].isSignificant())
        ++i;
    return i;
}

int SqlStatement::previousSignificant(int before) const
{
    int i = std::min(before, size()) - 1;
    while (i >= 0 && !m_tokens[i].isSignificant())
        --i;
    return i;
}

bool SqlStatement::startsWith(std::initializer_list<const char*> keywords) const
{
    int i = first();
    for (const char* keyword : keywords) {
        if (i >= size() || !m_tokens[i].is(QLatin1String(keyword)))
            return false;
        i = nextSignificant(i + 1);
    }
    return true;
}

int SqlStatement::closing(int open) const
{
    const bool isCase = m_tokens[open].is(QLatin1String("case"));
    int depth = 0;
    for (int i = open; i < size(); ++i) {
        const SqlToken& token = m_tokens[i];
        if (isCase ? token.is(QLatin1String("case")) : token.isSymbol(QLatin1String("(")))
            ++depth;
        else if (isCase ? token.is(QLatin1String("end")) : token.isSymbol(QLatin1String(")")))
            --depth;
        if (depth == 0)
            return i;
    }
    return size();
}

QList<int> SqlStatement::namePath(int start) const
{
    QList<int> parts;
    if (start >= size() || !m_tokens[start].isName())
        return parts;
    parts.append(start);
    int i = start + 1;
    while (i + 1 < size() && m_tokens[i].isSymbol(QLatin1String(".")) &&
           (m_tokens[i + 1].isName() || m_tokens[i + 1].isSymbol(QLatin1String("*")))) {
        parts.append(i + 1);
        if (!m_tokens[i + 1].isName())
            break;
        i += 2;
    }
    return parts;
}

void SqlStatement::replace(int begin, int end, const SqlTokens& replacement)
{
    m_tokens.remove(begin, end - begin);
    for (int i = 0; i < replacement.size(); ++i)
        m_tokens.insert(begin + i, replacement[i]);
}

QString SqlStatement::text() const
{
    return renderTokens(m_tokens).trimmed();
}

QString renderTokens(const SqlTokens& tokens)
{
    qsizetype size = 0;
    for (const SqlToken& token : tokens)
        size += token.text.size();
    QString text;
    text.reserve(size);
    for (const SqlToken& token : tokens)
        text += token.text;
    return text;
}

bool SqlStatement::endsTransaction() const
{
    const int word = first();
    if (word == size() ||
        (!at(word).is(QLatin1String("commit")) && !at(word).is(QLatin1String("rollback"))))
        return false;
    const int second = nextSignificant(word + 1);
    if (second == size())
        return true;
    return at(second).isAnyOf({"work", "transaction", "tran"}) &&
           nextSignificant(second + 1) == size();
}
