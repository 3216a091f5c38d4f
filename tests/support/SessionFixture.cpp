#include "tests/support/SessionFixture.h"

#include "app/StartupFunctions.h"
#include "db/OdbcConnectionFactory.h"
#include "schema/DemoCatalogue.h"
#include "schema/DemoNames.h"
#include "session/Sessions.h"
#include "tests/support/FailingConnectionFactory.h"
#include "tests/support/RecordingConnectionFactory.h"
#include "tests/support/TestSupport.h"

SessionFixture::SessionFixture(const DemoOptions& options)
    : workspace(options, TestWorkspace::PointOdbcHere)
{
    m_connections = std::make_unique<RecordingConnectionFactory>(
        std::make_unique<FailingConnectionFactory>(std::make_unique<OdbcConnectionFactory>(),
                                                   m_faults),
        m_log);
}

SessionFixture::~SessionFixture() = default;

std::unique_ptr<TestProgram> SessionFixture::program()
{
    auto t = std::make_unique<TestProgram>(m_connections.get());
    t->loadDeliveredPhrases();
    return t;
}

void SessionFixture::typeIn(TestProgram& t, const QString& masterUser,
                            const QString& masterPassword, const QString& remoteUser,
                            const QString& remotePassword)
{
    ConnectDialogModel& form = t.program().connectDialog;
    form.load();
    form.masterIndex = form.dataSources.indexOf(DemoNames::master.dsn);
    form.remoteIndex = form.dataSources.indexOf(DemoNames::remote.dsn);
    form.masterUser = masterUser;
    form.masterPassword = masterPassword;
    form.remoteUser = remoteUser;
    form.remotePassword = remotePassword;
}

std::unique_ptr<TestProgram> SessionFixture::ownerSession()
{
    if (!workspace.isValid()) {
        m_error = workspace.error();
        return nullptr;
    }
    auto t = program();
    SessionState& s = t->state();
    s.masterDataSource = DemoNames::master.dsn;
    s.remoteDataSource = DemoNames::remote.dsn;
    s.masterUser = s.remoteUser = ownerUser();
    s.masterPassword = s.remotePassword = ownerPassword();
    if (!ConnectToRemote(t->program()) || !ConnectToMaster(t->program())) {
        m_error = QStringLiteral("the demo databases cannot be reached");
        return nullptr;
    }
    StartupFunctions(t->program());
    if (s.remoteDatabaseFolder.isEmpty()) {
        m_error = QStringLiteral("the session facts were not gathered");
        return nullptr;
    }
    return t;
}

QString SessionFixture::ownerUser()
{
    return DemoCatalogue::users().first().login;
}

QString SessionFixture::ownerPassword()
{
    return DemoCatalogue::users().first().password;
}

QString SessionFixture::masterValue(Program& program, const QString& query)
{
    return testsupport::firstValue(userConnection(program, Side::Master), query);
}

QString SessionFixture::remoteValue(Program& program, const QString& query)
{
    return testsupport::firstValue(userConnection(program, Side::Remote), query);
}
