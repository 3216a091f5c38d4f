#include "app/InstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

InstanceLock::InstanceLock(const QString& path) : m_lock(path)
{
    // Staleness by age would let a second copy in after a while; only a lock whose process
    // is gone counts as stale.
    m_lock.setStaleLockTime(0);
}

bool InstanceLock::tryLock()
{
    QDir().mkpath(QFileInfo(m_lock.fileName()).absolutePath());
    return m_lock.tryLock(0);
}

QString InstanceLock::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("vrw1.lock"));
}
