#pragma once

#include "session/ConnectDialogModel.h"

class Program;

// What the connect dialog's buttons and the automatic runs do with the dialog's fields.
class ConnectCommands
{
public:
    explicit ConnectCommands(Program& program) : m_program(program) {}

    // Connects both databases and checks the users' rights; the outcome is in the session.
    void ConnectToDatabases();
    // Connect, transfer everything pending, and recreate the Remote Database.
    void AutoSync();

private:
    // Each step returns false when the sequence stops there (the user has been told).
    bool fieldsComplete();
    // The login is incomplete: the message, and the cursor in the field to fill.
    bool refuseIncomplete(const QString& text, ConnectDialogModel::Field field);
    void takeCredentials();
    bool connectBoth();
    void connectFailed(bool remote);
    bool firstTimeUserAllowed();
    bool scratchTableReady();
    void openMaintenanceMerge();
    void checkRights();
    bool databasesDistinct();
    // The rights a synchronisation needs: false after telling the user what is missing.
    bool mayTransfer();

    Program& m_program;
};
