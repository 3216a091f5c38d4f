#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class Program;

// Keeps two runs of the program from working on one Remote Database at once, whichever user
// account or settings they run with: a lock file beside the database file, held while its
// changes are transferred or it is replaced. A lock whose process is gone is taken over.
class RemoteDatabaseLock
{
public:
    enum class Outcome
    {
        Held,          // this run holds it now (or held it already)
        HeldByAnother, // another run is working on that database
        Failed,        // the lock file cannot be made; error() tells why
    };

    // Takes the lock for a database file; releases one held for another file first.
    Outcome acquire(const QString& databaseFile);
    void release();
    bool isHeld() const { return m_lock != nullptr; }
    QString path() const { return m_path; }
    QString error() const { return m_error; }

    // "<database file>.varrow.lock"
    static QString pathFor(const QString& databaseFile);

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_path;
    QString m_error;
};

// Holds the Remote Database of the session for the work of one command; the user is told when
// that cannot be. A command of the windows gives the lock back when it is done; an unattended
// run keeps it to its end.
class RemoteDatabaseHold
{
public:
    explicit RemoteDatabaseHold(Program& program);
    ~RemoteDatabaseHold();
    RemoteDatabaseHold(const RemoteDatabaseHold&) = delete;
    RemoteDatabaseHold& operator=(const RemoteDatabaseHold&) = delete;

    RemoteDatabaseLock::Outcome outcome() const { return m_outcome; }
    bool held() const { return m_outcome == RemoteDatabaseLock::Outcome::Held; }

private:
    Program& m_program;
    RemoteDatabaseLock::Outcome m_outcome;
    bool m_tookIt = false;
};
