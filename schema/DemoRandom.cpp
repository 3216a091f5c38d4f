#include "schema/DemoRandom.h"

int DemoRandom::between(int low, int high)
{
    return low + int(m_generator.bounded(quint32(high - low + 1)));
}

double DemoRandom::real(double low, double high)
{
    // From an integer draw, so the value does not depend on how the generator makes doubles.
    return low + (high - low) * double(m_generator.bounded(1000000u)) / 1000000.0;
}

bool DemoRandom::chance(int percent)
{
    return between(1, 100) <= percent;
}

QDate DemoRandom::dateBetween(const QDate& first, const QDate& last)
{
    return first.addDays(between(0, int(first.daysTo(last))));
}

QByteArray DemoRandom::bytes(int count)
{
    QByteArray result(count, '\0');
    for (char& b : result)
        b = char(between(0, 255));
    return result;
}
