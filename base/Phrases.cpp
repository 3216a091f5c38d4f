#include "base/Phrases.h"

const QString& Phrases::operator[](int number) const
{
    static const QString none;
    if (number < 0 || number >= Count)
        return none;
    return m_texts[static_cast<size_t>(number)];
}

void Phrases::set(int number, const QString& text)
{
    if (number >= 0 && number < Count)
        m_texts[static_cast<size_t>(number)] = text;
}

void Phrases::clear()
{
    m_texts.assign(Count, QString());
}
