#include "app/RemoteDatabaseLock.h"

#include "app/Program.h"

#include <QDir>
#include <QFileInfo>

QString RemoteDatabaseLock::pathFor(const QString& databaseFile)
{
    return databaseFile + QStringLiteral(".varrow.lock");
}

RemoteDatabaseLock::Outcome RemoteDatabaseLock::acquire(const QString& databaseFile)
{
    const QString path = pathFor(databaseFile);
    if (m_lock && m_path == path)
        return Outcome::Held;
    release();
    m_error.clear();
    m_path = path;
    auto lock = std::make_unique<QLockFile>(path);
    // Only a lock whose process is gone is stale: a long transfer keeps its lock.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        return Outcome::Held;
    }
    const QString folder = QFileInfo(path).absolutePath();
    switch (lock->error()) {
    case QLockFile::LockFailedError:
        return Outcome::HeldByAnother;
    case QLockFile::PermissionError:
        m_error = QStringLiteral("there is no permission to write in the folder %1")
                      .arg(QDir::toNativeSeparators(folder));
        break;
    default:
        m_error = QFileInfo(folder).isDir() ? QStringLiteral("the file cannot be written")
                                            : QStringLiteral("the folder %1 cannot be found")
                                                  .arg(QDir::toNativeSeparators(folder));
        break;
    }
    return Outcome::Failed;
}

void RemoteDatabaseLock::release()
{
    m_lock.reset(); // unlocks
}

RemoteDatabaseHold::RemoteDatabaseHold(Program& program) : m_program(program)
{
    const SessionState& s = program.state;
    RemoteDatabaseLock& lock = program.remoteLock;
    // Before a connect there is no Remote Database to work on, nor a file to lock.
    if (s.remoteDatabaseFile.isEmpty()) {
        m_outcome = RemoteDatabaseLock::Outcome::Held;
        return;
    }
    const bool heldBefore = lock.isHeld();
    m_outcome = lock.acquire(s.remoteDatabaseFile);
    m_tookIt = !heldBefore && held() && !s.switchAutoSync && !s.switchTransfer;
    if (held())
        return;
    const QString file = QDir::toNativeSeparators(s.remoteDatabaseFile);
    program.ui.setBusy(false);
    if (m_outcome == RemoteDatabaseLock::Outcome::HeldByAnother)
        program.ui.message({QStringLiteral("Another run of Varrow is working on the Remote "
                                           "Database %1 (transferring its changes or replacing "
                                           "it). Nothing was done; try again when it has "
                                           "finished.")
                                .arg(file),
                            program.phrase(101), MessageIcon::Exclamation, MessageButtons::Ok,
                            std::nullopt});
    else
        program.ui.message({QStringLiteral("Varrow cannot make the lock file %1, which keeps two "
                                           "runs from working on the Remote Database %2 at the "
                                           "same time: %3. Nothing was done.")
                                .arg(QDir::toNativeSeparators(lock.path()), file, lock.error()),
                            program.phrase(101), MessageIcon::Critical, MessageButtons::Ok,
                            std::nullopt});
    program.state.autosyncRunning = false;
}

RemoteDatabaseHold::~RemoteDatabaseHold()
{
    if (m_tookIt)
        m_program.remoteLock.release();
}
