#pragma once

#include <QString>

// A command line of the engine's utilities: the text that is started, with the real
// credentials, and the masked text ("**" for passwords) that is logged and shown.
struct UtilityCommand
{
    QString started;
    QString masked;
};

// What the command lines are built from.
struct UtilityCommandFacts
{
    QString toolsFolder;    // ends in "/", or empty for the search path
    QString databaseFolder; // the Remote Database's folder, without a trailing "/"
    QString engineName;     // the remote engine's Name
    QString schemaVersion;  // first character of the remote schema version
    QString remoteUser, remotePassword;
    QString masterUser, masterPassword;
    QString adminUser, adminPassword;
    QString masterDatabaseName;
    QString masterDataSource;
};

// The backup log, beside the Remote Database's file.
QString backupLogPath(const QString& databaseFolder);

// The schema owner's own credentials serve when the remote user is "MT"; otherwise the
// administrator's.
bool ownerForm(const UtilityCommandFacts& facts);
// Engines of schema versions "7" to "9" take "-c...;UNC=YES", all others
// "-s...;agent=server;unconditional=true".
bool newerEngine(const QString& schemaVersion);

UtilityCommand stopCommand(const UtilityCommandFacts& facts);
UtilityCommand backupCommand(const UtilityCommandFacts& facts);
