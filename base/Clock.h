#pragma once

#include <QDateTime>

// Time and waiting, so that tests neither depend on the wall clock nor sleep for real.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Waits without handling window events (the program's "pause").
    virtual void sleep(int milliseconds) = 0;
};

class SystemClock : public Clock
{
public:
    QDateTime now() const override;
    void sleep(int milliseconds) override;
};

// "YYYY-MM-DD HH:NN:SS", the program's format for local times in logs and the history.
QString timestampText(const QDateTime& time);
