#pragma once

#include "tests/support/FaultInjector.h"
#include "tests/support/StatementLog.h"
#include "tests/support/TestProgram.h"
#include "tests/support/TestWorkspace.h"

#include <memory>

// A demo workspace for this test process, and the connections its programs get: the real
// ODBC path, with the faults of faults() injected and every statement recorded in log().
// Make one per test process before anything else touches ODBC: the workspace points ODBC
// at itself.
class SessionFixture
{
public:
    explicit SessionFixture(const DemoOptions& options = TestWorkspace::small());
    ~SessionFixture();

    TestWorkspace workspace;

    ConnectionFactory& connections() { return *m_connections; }
    StatementLog& log() const { return *m_log; }
    FaultInjector& faults() const { return *m_faults; }

    // A fresh program on these connections, with the delivered phrases.
    std::unique_ptr<TestProgram> program();

    // Fills the connect dialog's fields as a user would type them.
    static void typeIn(TestProgram& t, const QString& masterUser, const QString& masterPassword,
                       const QString& remoteUser, const QString& remotePassword);

    // A fresh program signed in to both databases as the schema owner, the session facts
    // gathered as a connect gathers them. Null, with the reason in error(), when that failed.
    std::unique_ptr<TestProgram> ownerSession();
    QString error() const { return m_error; }

    // The schema owner's login of the demo databases.
    static QString ownerUser();
    static QString ownerPassword();

    // The first field of the first row of a query on one side's user connection.
    static QString masterValue(Program& program, const QString& query);
    static QString remoteValue(Program& program, const QString& query);

    // Scenario cases that each start from the same two files: keepFiles() once the workspace
    // is made, startFromKeptFiles() before each case (syncerr.log and the faults go too).
    bool keepFiles();
    bool startFromKeptFiles();
    // A fresh program signed in as mt on both sides through the connect dialog, with the
    // statement log emptied; the faults set up apply from its first statement. Null when the
    // connect failed.
    std::unique_ptr<TestProgram> signedIn();
    // The text of syncerr.log beside the remote file (empty when there is none).
    QString syncErrors() const;
    // Runs SQL on a database file directly, the stand-in's extension loaded, and reads the first
    // field of a query.
    void onRemote(const QString& sql) const { workspace.openRemote()->exec(sql); }
    void onMaster(const QString& sql) const { workspace.master()->exec(sql); }
    QString remoteValue(const QString& sql) const;
    QString masterValue(const QString& sql) const;
    // The rows of a query on the master file as one short text: "a|b;c|d" (NULL for a null).
    QString masterRows(const QString& sql) const;
    // Whether the rows a query finds on the remote file and on the master hold the same
    // values, column by column: exactly the same stored values on two SQLite files; against a
    // PostgreSQL master, the same text, the same number, the same bytes or the same time,
    // whichever the remote's value is. Empty when they agree, else what differs.
    QString sameOnBothSides(const QString& sql) const;
    // The master's 'Synchronize' history rows.
    int historyRows() const;

private:
    std::shared_ptr<StatementLog> m_log = std::make_shared<StatementLog>();
    std::shared_ptr<FaultInjector> m_faults = std::make_shared<FaultInjector>();
    std::unique_ptr<ConnectionFactory> m_connections;
    QString m_error;
};
