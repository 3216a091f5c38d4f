#pragma once

#include "base/Phrases.h"

#include <QString>

// The one process-wide record: credentials, connection flags, switches, the phrase table and
// the facts gathered about both databases. Created empty at start, lives until the process ends.
struct SessionState
{
    QString masterDataSource, masterUser, masterPassword;
    QString remoteDataSource, remoteUser, remotePassword;

    bool masterConnected = false;
    bool remoteConnected = false;

    bool errorOccurred = false;
    bool autosyncRunning = false;
    bool switchAutoSync = false;
    bool switchTransfer = false;
    bool switchTransAll = false;
    bool switchDebugging = false;
    QString commandLine;
    bool firstTime = false;
    bool newRecordsPending = false;
    bool modifiedRecordsPending = false;
    bool runningCounter = false;

    Phrases phrases;
    QString decimalSeparator, thousandsSeparator;

    QString masterDatabaseName, masterEngineName, masterEngineVersion;
    QString remoteDatabaseFile, remoteDatabaseFolder;
    QString remoteDatabaseName, remoteEngineName, remoteEngineVersion, remotePlatform;
    QString remoteMachineName;
    // What tells the two databases apart: the file and the machine of each engine, and whether
    // the master is marked as a remote copy.
    QString masterDatabaseFile, masterMachineName;
    bool masterMarkedRemote = false;
    QString remoteSchemaVersion;
    QString masterUserSegregate, remoteUserSegregate;
    qint16 masterUserLevel = 0;
    qint16 remoteUserLevel = 0;
    QString operatingSystemUser;

    QString transferStartTime, transferStopTime;
    qint32 newRecordTotal = 0;
    qint32 modifiedRecordTotal = 0;
};
