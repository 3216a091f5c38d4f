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
    m_error.clear();
    const QString folder = QFileInfo(m_lock.fileName()).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_error = QStringLiteral("the folder %1 cannot be created").arg(folder);
        return false;
    }
    if (m_lock.tryLock(0))
        return true;
    switch (m_lock.error()) {
    case QLockFile::LockFailedError:
        break; // another copy holds it
    case QLockFile::PermissionError:
        m_error = QStringLiteral("there is no permission to write in the folder %1").arg(folder);
        break;
    default:
        m_error = QStringLiteral("the file %1 cannot be written").arg(m_lock.fileName());
        break;
    }
    return false;
}

QString InstanceLock::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("vrw1.lock"));
}
