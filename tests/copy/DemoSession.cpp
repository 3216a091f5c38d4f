#include "tests/copy/DemoSession.h"

#include "app/StartupFunctions.h"
#include "db/OdbcConnectionFactory.h"
#include "session/Sessions.h"
#include "schema/DemoCatalogue.h"
#include "schema/DemoNames.h"
#include "tests/support/TestSupport.h"

DemoSession::DemoSession(const DemoOptions& options)
    : m_workspace(options, TestWorkspace::PointOdbcHere)
{
    m_connections = std::make_unique<RecordingConnectionFactory>(
        std::make_unique<FailingConnectionFactory>(std::make_unique<OdbcConnectionFactory>(),
                                                   m_faults),
        m_log);
    m_test = std::make_unique<TestProgram>(m_connections.get());
    m_test->loadDeliveredPhrases();
}

QString DemoSession::ownerUser()
{
    return DemoCatalogue::users().first().login;
}

QString DemoSession::ownerPassword()
{
    return DemoCatalogue::users().first().password;
}

bool DemoSession::connect()
{
    if (!m_workspace.isValid()) {
        m_error = m_workspace.error();
        return false;
    }
    SessionState& s = program().state;
    s.masterDataSource = DemoNames::master.dsn;
    s.remoteDataSource = DemoNames::remote.dsn;
    s.masterUser = s.remoteUser = ownerUser();
    s.masterPassword = s.remotePassword = ownerPassword();
    if (!ConnectToRemote(program()) || !ConnectToMaster(program())) {
        m_error = QStringLiteral("the demo databases cannot be reached");
        return false;
    }
    StartupFunctions(program());
    if (s.remoteDatabaseFolder.isEmpty()) {
        m_error = QStringLiteral("the session facts were not gathered");
        return false;
    }
    return true;
}

QString DemoSession::masterValue(const QString& query)
{
    return testsupport::firstValue(userConnection(program(), Side::Master), query);
}

QString DemoSession::remoteValue(const QString& query)
{
    return testsupport::firstValue(userConnection(program(), Side::Remote), query);
}
