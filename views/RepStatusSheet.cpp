#include "views/RepStatusSheet.h"

#include <stdexcept>

const QStringList& RepStatusSheet::boxNames()
{
    static const QStringList names = {
        QStringLiteral("Text12"), QStringLiteral("Text3"), QStringLiteral("Text4"),
        QStringLiteral("Text5"),  QStringLiteral("Text6"), QStringLiteral("Text7"),
        QStringLiteral("Text8"),  QStringLiteral("Text9"), QStringLiteral("Text10"),
        QStringLiteral("Text11"), QStringLiteral("Text2"), QStringLiteral("Text1")};
    return names;
}

QString RepStatusSheet::resultBox(int line)
{
    if (line < 1 || line > ResultLines)
        throw std::invalid_argument("result line out of range");
    return QStringLiteral("Text%1").arg(line <= 3 ? line + 2 : line + 3);
}

void RepStatusSheet::load(const Phrases& phrases)
{
    m_caption = phrases[600];
    for (int label = 1; label <= 4; ++label)
        m_labels.insert(label, phrases[600 + label]);
    m_boxes.clear();
    emit loaded();
}

QString RepStatusSheet::text(const QString& box) const
{
    if (!boxNames().contains(box))
        throw std::invalid_argument("unknown box of the status window");
    return m_boxes.value(box);
}

void RepStatusSheet::setText(const QString& box, const QString& text)
{
    if (!boxNames().contains(box))
        throw std::invalid_argument("unknown box of the status window");
    m_boxes.insert(box, text);
    emit textChanged(box, text);
}
