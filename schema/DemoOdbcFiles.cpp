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
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(text.toUtf8()) < 0 ||
        !file.commit())
        throw SchemaError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

using Keys = QList<QPair<QString, QString>>;

// One data source's section: its keys, then the names the stand-in reports and its Start.
QString section(const DemoNames::DataSource& source, const Keys& keys, const QString& start)
{
    QString text = QStringLiteral("[%1]\n").arg(source.dsn);
    const Keys names = {
        {QStringLiteral("DatabaseName"), source.database},
        {QStringLiteral("EngineName"), source.engine},
        {QStringLiteral("MachineName"), source.machine},
    };
    for (const auto& [key, value] : keys + names)
        text += key + QLatin1Char('=') + value + QLatin1Char('\n');
    if (!start.isEmpty())
        text += QStringLiteral("Start=") + start + QLatin1Char('\n');
    return text + QLatin1Char('\n');
}

QString dataSource(const DemoNames::DataSource& source, const QString& database,
                   const QString& extension, const QString& start)
{
    return section(
        source,
        {
            {QStringLiteral("Description"), source.description},
            {QStringLiteral("Driver"), DemoNames::driver},
            {QStringLiteral("Database"), database},
            {QStringLiteral("NoCreat"), QStringLiteral("1")},
            {QStringLiteral("JournalMode"), QStringLiteral("WAL")},
            {QStringLiteral("SyncPragma"), QStringLiteral("NORMAL")},
            // The driver's own wait for a lock, in milliseconds: Varrow bounds the wait itself.
            {QStringLiteral("Timeout"), QStringLiteral("1")},
            {QStringLiteral("LoadExt"), extension},
        },
        start);
}

// A data source of psqlODBC. Protocol 7.4-2: a failed statement undoes itself only, as the
// engine's statements do, never the work of the transaction around it.
QString postgresDataSource(const DemoNames::DataSource& source, const DemoOdbcFiles::Paths& paths,
                           const QString& start)
{
    return section(source,
                   {
                       {QStringLiteral("Description"), source.description},
                       {QStringLiteral("Driver"), DemoOdbcFiles::postgresDriverName()},
                       {QStringLiteral("Servername"), paths.postgresHost},
                       {QStringLiteral("Port"),
                        paths.postgresPort.isEmpty() ? QStringLiteral("5432") : paths.postgresPort},
                       {QStringLiteral("Database"), paths.masterDatabase},
                       {QStringLiteral("Protocol"), QStringLiteral("7.4-2")},
                   },
                   start);
}

QStringList driverFolders()
{
    QStringList folders = {QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc"),
                           QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc")};
    for (const QFileInfo& arch :
         QDir(QStringLiteral("/usr/lib")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
        folders.append(arch.absoluteFilePath() + QStringLiteral("/odbc"));
    folders << QStringLiteral("/usr/lib/odbc") << QStringLiteral("/usr/lib64")
            << QStringLiteral("/usr/local/lib") << QStringLiteral("/usr/lib");
    return folders;
}

QString installed(const QString& library)
{
    for (const QString& folder : driverFolders()) {
        const QString candidate = folder + QLatin1Char('/') + library;
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).absoluteFilePath();
    }
    return {};
}

} // namespace

void DemoOdbcFiles::write(const QString& folder, const Paths& paths)
{
    const QString driverSection = DemoNames::driver;
    writeText(QDir(folder).filePath(QStringLiteral("odbcinst.ini")),
              QStringLiteral("[ODBC Drivers]\n%1=Installed\n\n"
                             "[%1]\n"
                             "Description=%1 (SQLite)\n"
                             "Driver=%2\n"
                             "Setup=%2\n"
                             "UsageCount=1\n%3")
                  .arg(driverSection, paths.driver,
                       paths.postgresDriver.isEmpty()
                           ? QString()
                           : QStringLiteral("\n[%1]\nDescription=%1\nDriver=%2\nSetup=%2\n"
                                            "UsageCount=1\n")
                                 .arg(postgresDriverName(), paths.postgresDriver)));

    const bool postgres = !paths.postgresDriver.isEmpty();
    QString odbc = QStringLiteral("[ODBC Data Sources]\n%1=%3\n%2=%4\n\n")
                       .arg(DemoNames::master.dsn, DemoNames::remote.dsn,
                            postgres ? postgresDriverName() : driverSection, driverSection);
    // The engine program a "Start" key names; the stand-in has none, but its utilities are
    // looked for beside it.
    const auto start = [&paths](const QString& program, const DemoNames::DataSource& source) {
        if (paths.engineFolder.isEmpty())
            return QString();
        return QDir(paths.engineFolder).filePath(program) + QStringLiteral(" -n ") + source.engine;
    };
    const QString masterStart = start(QStringLiteral("dbsrv"), DemoNames::master);
    odbc += postgres
                ? postgresDataSource(DemoNames::master, paths, masterStart)
                : dataSource(DemoNames::master, paths.masterDatabase, paths.extension, masterStart);
    odbc += dataSource(DemoNames::remote, paths.remoteDatabase, paths.extension,
                       start(QStringLiteral("dbeng"), DemoNames::remote));
    writeText(QDir(folder).filePath(QStringLiteral("odbc.ini")), odbc);
}

QString DemoOdbcFiles::installedDriver()
{
    return installed(QStringLiteral("libsqlite3odbc.so"));
}

QString DemoOdbcFiles::installedPostgresDriver()
{
    return installed(QStringLiteral("psqlodbcw.so"));
}

QString DemoOdbcFiles::postgresDriverName()
{
    return DemoNames::driver + QStringLiteral(" (PostgreSQL)");
}
