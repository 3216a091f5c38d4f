#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The demo's calendar: the master's history ends on the day the remote copy was made, field
// work and the master's own later work follow it. Fixed, so a seed always gives the same
// data whatever day the workspace is made.
namespace DemoClock {

inline QDate copyDay()
{
    return QDate(2024, 6, 3);
}

inline QString date(const QDate& d)
{
    return d.toString(Qt::ISODate);
}

inline QString time(const QTime& t)
{
    return t.toString(QStringLiteral("HH:mm:ss"));
}

inline QString timestamp(const QDate& d, const QTime& t)
{
    return date(d) + QLatin1Char(' ') + t.toString(QStringLiteral("HH:mm:ss.zzz"));
}

} // namespace DemoClock
