#pragma once

#include "tests/support/FailingConnectionFactory.h"
#include "tests/support/RecordingConnectionFactory.h"
#include "tests/support/TestProgram.h"
#include "tests/support/TestWorkspace.h"

#include <memory>

// A program signed in to both databases of a demo workspace as the schema owner, through the
// real ODBC path, with every statement recorded and room for injected faults. Make one per
// test process, before anything else touches ODBC: the workspace points ODBC at itself.
class DemoSession
{
public:
    explicit DemoSession(const DemoOptions& options = TestWorkspace::small());

    // Opens both connections and gathers the session facts, as a connect does. False (with
    // a reason in error()) when that failed.
    bool connect();
    QString error() const { return m_error; }

    Program& program() { return m_test->program(); }
    TestProgram& test() { return *m_test; }
    StatementLog& log() { return *m_log; }
    FaultInjector& faults() { return *m_faults; }
    const TestWorkspace& workspace() const { return m_workspace; }

    // The schema owner's login of the demo databases.
    static QString ownerUser();
    static QString ownerPassword();

    // The first field of the first row of a query on one side's user connection.
    QString masterValue(const QString& query);
    QString remoteValue(const QString& query);

private:
    TestWorkspace m_workspace;
    std::shared_ptr<StatementLog> m_log = std::make_shared<StatementLog>();
    std::shared_ptr<FaultInjector> m_faults = std::make_shared<FaultInjector>();
    std::unique_ptr<RecordingConnectionFactory> m_connections;
    std::unique_ptr<TestProgram> m_test;
    QString m_error;
};
