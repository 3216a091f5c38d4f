#pragma once

#include <QLockFile>
#include <QString>

// Refuses a second running copy of the program for the same user. A lock left behind by a
// process that crashed is taken over, however old it is.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& path = defaultPath());
    bool tryLock();
    static QString defaultPath();

private:
    QLockFile m_lock;
};
