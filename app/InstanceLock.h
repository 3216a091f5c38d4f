#pragma once

#include <QLockFile>
#include <QString>

// Refuses a second running copy of the program for the same user. A lock left behind by a
// process that crashed is taken over, however old it is.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& path = defaultPath());
    // True when this copy now holds the lock. When it does not, error() tells why: empty when
    // another copy holds it, else what kept the lock file from being made.
    bool tryLock();
    QString error() const { return m_error; }
    QString path() const { return m_lock.fileName(); }
    static QString defaultPath();

private:
    QLockFile m_lock;
    QString m_error;
};
