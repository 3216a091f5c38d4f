#pragma once

#include "app/Program.h"
#include "db/OdbcConnectionFactory.h"
#include "tests/support/RecordingConnectionFactory.h"
#include "tests/support/TestProgram.h"
#include "tests/support/TestWorkspace.h"

// A demo workspace for this test process, and a program whose connections are recorded.
struct SessionFixture
{
    explicit SessionFixture(const DemoOptions& options = TestWorkspace::small())
        : workspace(options), recording(std::make_unique<OdbcConnectionFactory>())
    {
    }

    // A fresh program on the workspace, with the delivered phrases.
    std::unique_ptr<TestProgram> program()
    {
        auto t = std::make_unique<TestProgram>(&recording);
        t->loadDeliveredPhrases();
        return t;
    }

    // Fills the connect dialog's fields as a user would type them.
    static void typeIn(TestProgram& t, const QString& masterUser, const QString& masterPassword,
                       const QString& remoteUser, const QString& remotePassword)
    {
        ConnectDialogModel& form = t.program().connectDialog;
        form.load();
        form.masterIndex = form.dataSources.indexOf(QStringLiteral("VarrowMaster"));
        form.remoteIndex = form.dataSources.indexOf(QStringLiteral("VarrowRemote"));
        form.masterUser = masterUser;
        form.masterPassword = masterPassword;
        form.remoteUser = remoteUser;
        form.remotePassword = remotePassword;
    }

    // A program signed in as mt on both databases (the connect dialog's way), or null with
    // the reason in a failed QVERIFY of the caller.
    std::unique_ptr<TestProgram> signedIn()
    {
        auto t = program();
        typeIn(*t, QStringLiteral("mt"), QStringLiteral("sql"), QStringLiteral("mt"), QStringLiteral("sql"));
        t->program().connectCommands.ConnectToDatabases();
        if (!t->state().masterConnected || !t->state().remoteConnected)
            return nullptr;
        return t;
    }

    TestWorkspace workspace;
    RecordingConnectionFactory recording;
};
