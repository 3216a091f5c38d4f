#include "schema/DemoWorkspace.h"

#include "schema/CalibrationSchema.h"
#include "schema/DemoCatalogue.h"
#include "schema/DemoFieldWork.h"
#include "schema/DemoMasterData.h"
#include "schema/DemoNames.h"
#include "schema/DemoOdbcFiles.h"
#include "schema/PostgresDatabase.h"
#include "schema/PostgresSchema.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QStringList outputs = {QStringLiteral("odbcinst.ini"), QStringLiteral("odbc.ini"),
                             QStringLiteral("master"), QStringLiteral("remote")};

void check(const DemoOptions& options)
{
    if (options.items < 20 || options.items > 200000)
        throw SchemaError(QStringLiteral("The number of items must be between 20 and 200000."));
    if (options.schemaVersion.trimmed().isEmpty())
        throw SchemaError(QStringLiteral("The schema version must not be empty."));
}

QString existingFile(const QString& path, const QString& what)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw SchemaError(QStringLiteral("%1 not found: %2").arg(what, path));
    return info.absoluteFilePath();
}

std::unique_ptr<SqliteDatabase> openForBuilding(const QString& path, const QString& extension,
                                                SqliteDatabase::Mode mode)
{
    auto db = std::make_unique<SqliteDatabase>(path, mode);
    db->loadExtension(extension);
    // Built in one go and thrown away on failure: no journal needed until it is done.
    db->exec(QStringLiteral("PRAGMA journal_mode = MEMORY; PRAGMA synchronous = OFF"));
    return db;
}

// The journal mode the data sources ask for; closing the last connection leaves no -wal file.
void finish(SqliteDatabase& db)
{
    db.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    db.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
}

void createLogins(SqliteDatabase& db)
{
    QList<DemoCatalogue::User> logins = DemoCatalogue::users();
    logins.append(DemoCatalogue::administrator());
    for (const DemoCatalogue::User& user : logins)
        db.scalar(QStringLiteral("SELECT varrow_set_login(?, ?)"), {user.login, user.password});
}

// As remote-database creation prepares a fresh copy: nobody connected, no log, no history,
// marked as remote.
void prepareRemote(SqliteDatabase& remote)
{
    remote.exec(QStringLiteral(
        "DELETE FROM inuse; DELETE FROM qel_vr_log; DELETE FROM qel_vr_transfer_log; "
        "UPDATE dbconfig SET dbremote = 1"));
}

// A copy that this program never prepared: the product's tables only.
void unprepareRemote(SqliteDatabase& remote)
{
    SqliteTransaction transaction(remote);
    for (const QVariantList& row : remote.rows(
             QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'trigger' ORDER BY name")))
        remote.exec(QStringLiteral("DROP TRIGGER %1").arg(row.first().toString()));
    for (const QString& table : CalibrationSchema::changeLogTables())
        remote.exec(QStringLiteral("DROP TABLE %1").arg(table));
    remote.exec(QStringLiteral("DELETE FROM inuse"));
    transaction.commit();
}

PostgresDatabase::Address serverAddress(const DemoOptions& options, const QString& database)
{
    return {options.postgresHost, options.postgresPort, database, {}, {}};
}

// The master's database on the server: refused when it exists and may not be replaced.
void makePostgresDatabase(const DemoOptions& options)
{
    PostgresDatabase server(serverAddress(options, QStringLiteral("postgres")));
    const QString name = options.postgresDatabase;
    const bool exists = server
                            .scalar(QStringLiteral("SELECT 1 FROM pg_database WHERE datname = %1")
                                        .arg(server.literal(name)))
                            .has_value();
    if (exists && !options.overwrite)
        throw SchemaError(
            QStringLiteral("The PostgreSQL database %1 already exists; ask to replace it.")
                .arg(name));
    if (exists)
        server.exec(QStringLiteral("DROP DATABASE %1 WITH (FORCE)")
                        .arg(PostgresDatabase::identifier(name)));
    server.exec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'")
                    .arg(PostgresDatabase::identifier(name)));
}

// The finished SQLite master, moved into the PostgreSQL database with its logins.
void fillPostgresMaster(const DemoOptions& options, SqliteDatabase& master)
{
    PostgresDatabase db(serverAddress(options, options.postgresDatabase));
    PostgresSchema::create(db, true);
    QList<QPair<QString, QString>> logins;
    QList<DemoCatalogue::User> users = DemoCatalogue::users();
    users.append(DemoCatalogue::administrator());
    for (const DemoCatalogue::User& user : users)
        logins.append({user.login, user.password});
    PostgresSchema::grantLogins(db, logins, QStringLiteral("mt"),
                                DemoCatalogue::administrator().login);
    PostgresSchema::copyRows(master, db);
}

void replaceOutputs(const QString& staging, const QString& target)
{
    const QDir dir(target);
    for (const QString& name : outputs) {
        const QString path = dir.filePath(name);
        const QFileInfo info(path);
        if (info.isDir() && !info.isSymLink())
            QDir(path).removeRecursively();
        else if (info.exists() || info.isSymLink())
            QFile::remove(path);
        if (QFileInfo::exists(path))
            throw SchemaError(QStringLiteral("Cannot remove %1 of the old workspace.").arg(path));
    }
    for (const QString& name : outputs)
        if (!QDir().rename(QDir(staging).filePath(name), dir.filePath(name)))
            throw SchemaError(QStringLiteral("Cannot move %1 into %2.").arg(name, target));
}

} // namespace

QString DemoWorkspace::defaultExtension()
{
    // Beside vrwdemo in a build; in the stand-in's engine folder once installed.
    const QDir program(QCoreApplication::applicationDirPath());
    const QString beside = program.filePath(QStringLiteral("varrow_sqlext.so"));
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(program.filePath(QStringLiteral(VARROW_STANDIN_FROM_BIN)) +
                           QStringLiteral("/varrow_sqlext.so"));
}

DemoWorkspace::Report DemoWorkspace::create(const QString& directory, const DemoOptions& options,
                                            const Progress& progress)
{
    check(options);
    auto step = [&progress](const QString& text) {
        if (progress)
            progress(text);
    };

    Report report;
    report.directory = QDir(directory).absolutePath();
    const QDir target(report.directory);
    for (const QString& name : outputs) {
        if (QFileInfo::exists(target.filePath(name)) && !options.overwrite)
            throw SchemaError(
                QStringLiteral("%1 already holds a demo workspace (%2); ask to replace it.")
                    .arg(report.directory, name));
    }
    report.extension =
        existingFile(options.extensionPath.isEmpty() ? defaultExtension() : options.extensionPath,
                     QStringLiteral("The stand-in's SQLite extension"));
    const QString driver =
        options.driverPath.isEmpty() ? DemoOdbcFiles::installedDriver() : options.driverPath;
    if (driver.isEmpty())
        throw SchemaError(QStringLiteral(
            "The SQLite ODBC driver (libsqlite3odbc.so, package libsqliteodbc) is not installed."));
    report.driver = existingFile(driver, QStringLiteral("The SQLite ODBC driver"));
    if (options.postgresMaster) {
        const QString postgresDriver = options.postgresDriverPath.isEmpty()
                                           ? DemoOdbcFiles::installedPostgresDriver()
                                           : options.postgresDriverPath;
        if (postgresDriver.isEmpty())
            throw SchemaError(QStringLiteral("The PostgreSQL ODBC driver (psqlodbcw.so, package "
                                             "odbc-postgresql) is not installed."));
        report.postgresDriver =
            existingFile(postgresDriver, QStringLiteral("The PostgreSQL ODBC driver"));
    }
    if (!QDir().mkpath(report.directory))
        throw SchemaError(QStringLiteral("Cannot create the folder %1.").arg(report.directory));
    if (options.postgresMaster) {
        step(QStringLiteral("Making the PostgreSQL database %1").arg(options.postgresDatabase));
        makePostgresDatabase(options);
    }

    // Everything is built beside the workspace and moved in at the end, so a failure never
    // leaves half a workspace, and an old one survives until the new one is complete.
    QTemporaryDir staging(target.filePath(QStringLiteral(".vrwdemo-XXXXXX")));
    if (!staging.isValid())
        throw SchemaError(QStringLiteral("Cannot create a work folder in %1: %2")
                              .arg(report.directory, staging.errorString()));
    const QDir stage(staging.path());
    stage.mkdir(QStringLiteral("master"));
    stage.mkdir(QStringLiteral("remote"));
    const QString stagedMaster =
        stage.filePath(QStringLiteral("master/") + DemoNames::databaseFile);
    const QString stagedRemote =
        stage.filePath(QStringLiteral("remote/") + DemoNames::databaseFile);
    report.masterFile = target.filePath(QStringLiteral("master/") + DemoNames::databaseFile);
    report.remoteFile = target.filePath(QStringLiteral("remote/") + DemoNames::databaseFile);
    report.odbcIni = target.filePath(QStringLiteral("odbc.ini"));
    report.odbcinstIni = target.filePath(QStringLiteral("odbcinst.ini"));

    DemoMasterData::LaterWork later;
    {
        step(QStringLiteral("Building the master database (%1 items, seed %2)")
                 .arg(options.items)
                 .arg(options.seed));
        auto master = openForBuilding(stagedMaster, report.extension, SqliteDatabase::Mode::Create);
        CalibrationSchema::create(*master, true);
        createLogins(*master);
        DemoMasterData::fill(*master, options);
        step(QStringLiteral("Copying it to the remote database"));
        master->copyTo(stagedRemote);
        step(QStringLiteral("Recording the master's work after the copy"));
        later = DemoMasterData::workAfterCopy(*master, options);
        finish(*master);
    }
    {
        auto remote =
            openForBuilding(stagedRemote, report.extension, SqliteDatabase::Mode::OpenExisting);
        if (options.remote == DemoOptions::Remote::Unprepared) {
            step(QStringLiteral("Leaving the remote unprepared (no change log)"));
            unprepareRemote(*remote);
            report.remotePrepared = false;
        } else {
            step(QStringLiteral("Preparing the remote copy and doing the field work"));
            prepareRemote(*remote);
            DemoFieldWork::run(*remote, options, later, [&remote](const QString& login) {
                remote->scalar(QStringLiteral("SELECT varrow_set_user(?)"), {login});
            });
            for (const QVariantList& row :
                 remote->rows(QStringLiteral("SELECT action, count(*) FROM qel_vr_log WHERE "
                                             "sync_date IS NULL GROUP BY action ORDER BY action")))
                report.pending.append({row.at(0).toString(), row.at(1).toInt()});
        }
        finish(*remote);
    }
    {
        SqliteDatabase master(stagedMaster, SqliteDatabase::Mode::OpenExisting);
        SqliteDatabase remote(stagedRemote, SqliteDatabase::Mode::OpenExisting);
        for (const TableDefinition& table : CalibrationSchema::tables()) {
            if (CalibrationSchema::changeLogTables().contains(table.name))
                continue;
            const QString count = QStringLiteral("SELECT count(*) FROM ") + table.name;
            report.rows.append(
                {table.name, master.scalar(count).toInt(), remote.scalar(count).toInt()});
        }
    }

    DemoOdbcFiles::Paths paths;
    paths.masterDatabase = report.masterFile;
    paths.remoteDatabase = report.remoteFile;
    paths.extension = report.extension;
    paths.driver = report.driver;
    paths.engineFolder = QFileInfo(report.extension).absolutePath();
    if (options.postgresMaster) {
        step(QStringLiteral("Moving the master into the PostgreSQL database %1")
                 .arg(options.postgresDatabase));
        {
            SqliteDatabase master(stagedMaster, SqliteDatabase::Mode::OpenExisting);
            fillPostgresMaster(options, master);
        }
        QFile::remove(stagedMaster);
        paths.masterDatabase = options.postgresDatabase;
        paths.postgresDriver = report.postgresDriver;
        paths.postgresHost = options.postgresHost;
        paths.postgresPort = options.postgresPort;
        report.masterFile = QStringLiteral("PostgreSQL database %1 at %2")
                                .arg(options.postgresDatabase, options.postgresHost.isEmpty()
                                                                   ? QStringLiteral("localhost")
                                                                   : options.postgresHost);
    }
    DemoOdbcFiles::write(staging.path(), paths);
    step(QStringLiteral("Moving the workspace into %1").arg(report.directory));
    replaceOutputs(staging.path(), report.directory);
    return report;
}

QString DemoWorkspace::describe(const Report& r)
{
    QString text;
    text += QStringLiteral("Demo workspace %1\n").arg(r.directory);
    text += QStringLiteral("  ODBC: ODBCSYSINI=%1 ODBCINI=%2\n").arg(r.directory, r.odbcIni);
    for (const auto& [source, file] :
         {std::pair{DemoNames::master, r.masterFile}, std::pair{DemoNames::remote, r.remoteFile}})
        text += QStringLiteral("  %1  %2  (database %3, engine %4, machine %5)\n")
                    .arg(source.dsn, file, source.database, source.engine, source.machine);
    text += QStringLiteral("  driver %1\n  extension %2\n").arg(r.driver, r.extension);
    if (!r.postgresDriver.isEmpty())
        text += QStringLiteral("  master's driver %1\n").arg(r.postgresDriver);
    text += QLatin1Char('\n');
    text += QStringLiteral("  %1 %2 %3\n")
                .arg(QStringLiteral("table"), -14)
                .arg(QStringLiteral("master"), 8)
                .arg(QStringLiteral("remote"), 8);
    for (const auto& [table, master, remote] : r.rows)
        text += QStringLiteral("  %1 %2 %3\n").arg(table, -14).arg(master, 8).arg(remote, 8);
    if (!r.remotePrepared) {
        text += QStringLiteral(
            "\n  The remote was never prepared: it has no change log (first-time path).\n");
    } else {
        int total = 0;
        QStringList parts;
        for (const auto& [action, count] : r.pending) {
            total += count;
            parts.append(QStringLiteral("%1 %2").arg(action).arg(count));
        }
        text += QStringLiteral("\n  Remote change log: %1 pending rows%2\n")
                    .arg(total)
                    .arg(parts.isEmpty() ? QString()
                                         : QStringLiteral(" (") + parts.join(QStringLiteral(", ")) +
                                               QLatin1Char(')'));
    }
    QStringList logins;
    for (const DemoCatalogue::User& user : DemoCatalogue::users())
        logins.append(
            QStringLiteral("%1 (%2, level %3)").arg(user.login, user.segregate).arg(user.level));
    logins.append(DemoCatalogue::administrator().login + QStringLiteral(" (administrator)"));
    text += QStringLiteral("  Logins: %1\n").arg(logins.join(QStringLiteral(", ")));
    text += QStringLiteral("  Their passwords are listed by vrwdemo --help.\n");
    return text;
}
