#include "schema/DemoOdbcFiles.h"

#include "schema/DemoNames.h"
#include "schema/SchemaError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

void writeText(const QString& path, const QString& text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw SchemaError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

QString dataSource(const QString& name, const QString& description, const QString& database,
                   const QString& extension, const QString& alias, const QString& engine,
                   const QString& machine)
{
    return QStringLiteral("[%1]\n"
                          "Description=%2\n"
                          "Driver=%3\n"
                          "Database=%4\n"
                          "NoCreat=1\n"
                          "JournalMode=WAL\n"
                          "SyncPragma=NORMAL\n"
                          "LoadExt=%5\n"
                          "DatabaseName=%6\n"
                          "EngineName=%7\n"
                          "MachineName=%8\n\n")
        .arg(name, description, DemoNames::driver(), database, extension, alias, engine, machine);
}

} // namespace

void DemoOdbcFiles::write(const QString& folder, const Paths& paths)
{
    const QString driverSection = DemoNames::driver();
    writeText(QDir(folder).filePath(QStringLiteral("odbcinst.ini")),
              QStringLiteral("[ODBC Drivers]\n%1=Installed\n\n"
                             "[%1]\n"
                             "Description=%1 (SQLite)\n"
                             "Driver=%2\n"
                             "Setup=%2\n"
                             "UsageCount=1\n")
                  .arg(driverSection, paths.driver));

    QString odbc = QStringLiteral("[ODBC Data Sources]\n%1=%3\n%2=%3\n\n")
                       .arg(DemoNames::masterDsn(), DemoNames::remoteDsn(), driverSection);
    odbc += dataSource(DemoNames::masterDsn(), QStringLiteral("Varrow demo Master Database (laboratory server)"),
                       paths.masterDatabase, paths.extension, DemoNames::masterDatabase(),
                       DemoNames::masterEngine(), DemoNames::masterMachine());
    odbc += dataSource(DemoNames::remoteDsn(), QStringLiteral("Varrow demo Remote Database (field laptop)"),
                       paths.remoteDatabase, paths.extension, DemoNames::remoteDatabase(),
                       DemoNames::remoteEngine(), DemoNames::remoteMachine());
    writeText(QDir(folder).filePath(QStringLiteral("odbc.ini")), odbc);
}

QString DemoOdbcFiles::installedDriver()
{
    QStringList folders = {QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc"), QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc")};
    for (const QFileInfo& arch : QDir(QStringLiteral("/usr/lib")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders.append(arch.absoluteFilePath() + QStringLiteral("/odbc"));
    folders << QStringLiteral("/usr/lib/odbc") << QStringLiteral("/usr/lib64") << QStringLiteral("/usr/local/lib")
            << QStringLiteral("/usr/lib");
    for (const QString& folder : folders) {
        const QString candidate = folder + QStringLiteral("/libsqlite3odbc.so");
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).absoluteFilePath();
    }
    return {};
}
