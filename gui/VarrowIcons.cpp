#include "gui/VarrowIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace {

struct Look
{
    QColor fill;
    QChar letter;
};

Look lookOf(int resource)
{
    switch (resource) {
    case 102:
        return {QColor(0x2e, 0x7d, 0x32), QLatin1Char('L')};
    case 103:
        return {QColor(0xef, 0x6c, 0x00), QLatin1Char('C')};
    default:
        return {QColor(0x15, 0x65, 0xc0), QLatin1Char('V')};
    }
}

} // namespace

QPixmap VarrowIcons::picture(int resource, int size)
{
    const Look look = lookOf(resource);
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath frame;
    frame.addRoundedRect(QRectF(size * 0.06, size * 0.06, size * 0.88, size * 0.88), size * 0.18,
                         size * 0.18);
    painter.fillPath(frame, look.fill);
    // Two arcs for the two databases kept in step.
    painter.setPen(QPen(QColor(255, 255, 255, 110), size * 0.05));
    painter.drawArc(QRectF(size * 0.18, size * 0.18, size * 0.64, size * 0.64), 30 * 16, 120 * 16);
    painter.drawArc(QRectF(size * 0.18, size * 0.18, size * 0.64, size * 0.64), 210 * 16, 120 * 16);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(static_cast<int>(size * 0.5));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QString(look.letter));
    return pixmap;
}

QIcon VarrowIcons::icon(int resource)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(picture(resource, size));
    return icon;
}
