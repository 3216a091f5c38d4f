#include "remote/UtilityCommands.h"

#include "remote/EngineFolder.h"

QString backupLogPath(const QString& databaseFolder)
{
    return databaseFolder + QStringLiteral("/vrbkup.Log");
}

bool ownerForm(const UtilityCommandFacts& facts)
{
    return facts.remoteUser.toUpper() == QLatin1String("MT");
}

bool newerEngine(const QString& schemaVersion)
{
    return schemaVersion.compare(QLatin1String("6.9")) > 0;
}

UtilityCommand stopCommand(const UtilityCommandFacts& facts)
{
    const bool owner = ownerForm(facts);
    const QString user = owner ? facts.remoteUser : facts.adminUser;
    const QString password = owner ? facts.remotePassword : facts.adminPassword;
    const QString maskedUser = owner ? QStringLiteral("mt") : QStringLiteral("db_auto_checkpoint");
    const bool newer = newerEngine(facts.schemaVersion);
    const QString head = facts.toolsFolder + QLatin1String(StopUtility) + QStringLiteral(" -o \"") +
                         backupLogPath(facts.databaseFolder) + QStringLiteral("\" ") +
                         (newer ? QStringLiteral("-cuid=") : QStringLiteral("-suid="));
    const QString tail =
        QStringLiteral(";eng=") + facts.engineName +
        (newer ? QStringLiteral(";UNC=YES") : QStringLiteral(";agent=server;unconditional=true"));
    return {head + user + QStringLiteral(";pwd=") + password + tail,
            head + maskedUser + QStringLiteral(";pwd=**") + tail};
}

UtilityCommand backupCommand(const UtilityCommandFacts& facts)
{
    const bool owner = ownerForm(facts);
    const QString user = owner ? facts.masterUser : facts.adminUser;
    const QString password = owner ? facts.masterPassword : facts.adminPassword;
    const QString head = facts.toolsFolder + QLatin1String(BackupUtility) +
                         QStringLiteral(" -y -o \"") + backupLogPath(facts.databaseFolder) +
                         QStringLiteral("\" -c \"");
    const QString tail = QStringLiteral(";dbf=") + facts.masterDatabaseName +
                         QStringLiteral(";dsn=") + facts.masterDataSource +
                         QStringLiteral("\" \"") + facts.databaseFolder + QLatin1Char('"');
    return {head + QStringLiteral("uid=") + user + QStringLiteral(";pwd=") + password + tail,
            head + (owner ? QStringLiteral("uid=mt;pwd=**") : QStringLiteral("uid=**;pwd=**")) +
                tail};
}
