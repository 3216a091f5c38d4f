#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QRandomGenerator>
#include <QString>

// The demo data's only source of chance: the same seed gives the same databases.
class DemoRandom
{
public:
    explicit DemoRandom(quint32 seed) : m_generator(seed) {}

    int between(int low, int high); // both ends included
    double real(double low, double high);
    bool chance(int percent);
    QDate dateBetween(const QDate& first, const QDate& last);
    QByteArray bytes(int count);

    template <typename T> const T& pick(const QList<T>& list)
    {
        return list.at(between(0, int(list.size()) - 1));
    }

private:
    QRandomGenerator m_generator;
};
