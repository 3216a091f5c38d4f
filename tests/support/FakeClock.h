#pragma once

#include "base/Clock.h"

// A clock that only moves when the program sleeps (or a test moves it).
class FakeClock : public Clock
{
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2011, 6, 14), QTime(9, 30, 5)))
        : m_now(std::move(start))
    {
    }
    QDateTime now() const override { return m_now; }
    void sleep(int milliseconds) override
    {
        m_now = m_now.addMSecs(milliseconds);
        sleptMs += milliseconds;
    }
    void advance(int milliseconds) { m_now = m_now.addMSecs(milliseconds); }

    qint64 sleptMs = 0;

private:
    QDateTime m_now;
};
