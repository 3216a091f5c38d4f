// dbbackup: the stand-in's backup utility. Copies the database a data source names into a
// folder with SQLite's online backup: one read transaction, so the copy is consistent even
// while other connections write the database. A database of a PostgreSQL server becomes a
// SQLite file of the same schema, named after dbf=, filled from one snapshot of the server's
// tables; the server checks the login.
//
//   dbbackup [-y] [-o LOG] -c "uid=U;pwd=P;dbf=NAME;dsn=DSN" FOLDER

#include "db/DbError.h"
#include "schema/CalibrationSchema.h"
#include "schema/PostgresSchema.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"
#include "tools/engine/EngineUtility.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThread>
#include <cstdio>
#include <memory>
#include <sqlite3.h>

using namespace engineutility;

namespace {

struct Options
{
    bool replace = false;
    QString connection;
    QString folder;
    QString unknown;
};

Options parse(MessageLog& log, const QStringList& arguments)
{
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("-y"))
            options.replace = true;
        else if (argument == QLatin1String("-o") && i + 1 < arguments.size())
            log.setFile(arguments[++i]);
        else if (argument.startsWith(QLatin1String("-c")))
            options.connection = argument.size() > 2
                                     ? argument.mid(2)
                                     : (i + 1 < arguments.size() ? arguments[++i] : QString());
        else if (!argument.startsWith(QLatin1Char('-')) && options.folder.isEmpty())
            options.folder = argument;
        else
            options.unknown = argument;
    }
    return options;
}

// Copies source into target in one backup step; empty on success, else the reason.
QString onlineBackup(const QString& source, const QString& target)
{
    sqlite3* from = nullptr;
    sqlite3* to = nullptr;
    QString failure;
    if (sqlite3_open_v2(QFile::encodeName(source).constData(), &from, SQLITE_OPEN_READWRITE,
                        nullptr) != SQLITE_OK) {
        failure = QString::fromUtf8(sqlite3_errmsg(from));
    } else if (sqlite3_open_v2(QFile::encodeName(target).constData(), &to,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        failure = QString::fromUtf8(sqlite3_errmsg(to));
    } else {
        sqlite3_busy_timeout(from, 10000);
        sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
        if (!backup) {
            failure = QString::fromUtf8(sqlite3_errmsg(to));
        } else {
            int rc = SQLITE_OK;
            for (int attempt = 0; attempt < 100; ++attempt) {
                rc = sqlite3_backup_step(backup, -1);
                if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
                    break;
                QThread::msleep(100);
            }
            sqlite3_backup_finish(backup);
            if (rc != SQLITE_DONE)
                failure = QString::fromUtf8(sqlite3_errstr(rc));
        }
    }
    sqlite3_close(to);
    sqlite3_close(from);
    return failure;
}

// Makes target a SQLite database of the calibration schema holding what the server's database
// holds; empty on success, else the reason. The login that made the copy can sign in to it.
QString copyFromServer(const ServedDatabase& database, const QString& user, const QString& password,
                       const QString& target)
{
    PostgresDatabase::Address address = *database.server;
    address.user = user;
    address.password = password;
    std::unique_ptr<PostgresDatabase> connection;
    try {
        connection = std::make_unique<PostgresDatabase>(address);
    } catch (const SchemaError& error) {
        // The server's refusal of a login, in the words of a refused connection.
        const QString why = error.message();
        if (why.contains(QLatin1String("authentication failed")) ||
            why.contains(QLatin1String("role \"")))
            return QStringLiteral("Invalid user ID or password");
        return why.section(QLatin1Char('\n'), 0, 0);
    }
    try {
        PostgresDatabase& server = *connection;
        SqliteDatabase copy(target, SqliteDatabase::Mode::Create);
        copy.loadExtension(database.extension);
        copy.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
        CalibrationSchema::create(copy, true);
        copy.scalar(QStringLiteral("SELECT varrow_set_login(?, ?)"), {user, password});
        PostgresSchema::copyRows(server, copy);
        copy.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    } catch (const SchemaError& error) {
        return error.message().section(QLatin1Char('\n'), 0, 0);
    }
    return {};
}

int backUp(MessageLog& log, const QStringList& arguments)
{
    const Options options = parse(log, arguments);
    log.line(banner(QStringLiteral("Backup")));
    const auto fail = [&log](const QString& why) {
        log.line(QStringLiteral("Database backup failed: %1").arg(why));
        return 1;
    };
    if (!options.unknown.isEmpty())
        return fail(QStringLiteral("unknown option %1").arg(options.unknown));
    if (options.folder.isEmpty())
        return fail(QStringLiteral("no target folder given"));

    const QHash<QString, QString> parameters = connectionParameters(options.connection);
    const QString dataSource = parameters.value(QStringLiteral("dsn"));
    std::optional<ServedDatabase> database;
    if (!dataSource.isEmpty()) {
        database = databaseOfDataSource(dataSource);
    } else if (QFileInfo(parameters.value(QStringLiteral("dbf"))).isFile()) {
        database = ServedDatabase{{},
                                  parameters.value(QStringLiteral("dbf")),
                                  QDir(QCoreApplication::applicationDirPath())
                                      .filePath(QStringLiteral("varrow_sqlext.so")),
                                  std::nullopt};
    }
    if (!database)
        return fail(QStringLiteral("no database found for dsn=%1 dbf=%2")
                        .arg(dataSource, parameters.value(QStringLiteral("dbf"))));
    log.line(QStringLiteral("Database: %1").arg(database->file));

    if (!database->server) {
        const QString refused = checkLogin(*database, parameters.value(QStringLiteral("uid")),
                                           parameters.value(QStringLiteral("pwd")));
        if (!refused.isEmpty())
            return fail(refused);
    }

    const QDir folder(options.folder);
    if (!folder.exists())
        return fail(QStringLiteral("folder %1 not found").arg(options.folder));
    QString fileName = QFileInfo(database->file).fileName();
    if (database->server) {
        const QString name = parameters.value(QStringLiteral("dbf")).trimmed();
        fileName = QFileInfo(name.isEmpty() ? database->file : name).completeBaseName() +
                   QStringLiteral(".db");
    }
    const QString target = folder.absoluteFilePath(fileName);
    if (QFileInfo(target).absoluteFilePath() == QFileInfo(database->file).absoluteFilePath())
        return fail(QStringLiteral("the backup would replace the database itself"));
    if (QFileInfo::exists(target) && !options.replace)
        return fail(QStringLiteral("%1 already exists (-y replaces it)").arg(target));
    log.line(QStringLiteral("Backup file: %1").arg(target));

    // The copy is made beside the target and put in its place only when complete; the old
    // file's write-ahead log must go with it, or it would be replayed onto the copy.
    const QString partial =
        folder.absoluteFilePath(QStringLiteral(".%1.backup").arg(QFileInfo(target).fileName()));
    QFile::remove(partial);
    const QString failure = database->server
                                ? copyFromServer(*database, parameters.value(QStringLiteral("uid")),
                                                 parameters.value(QStringLiteral("pwd")), partial)
                                : onlineBackup(database->file, partial);
    if (!failure.isEmpty()) {
        QFile::remove(partial);
        return fail(failure);
    }
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const QString companion = target + QLatin1String(suffix);
        if (QFileInfo::exists(companion) && !QFile::remove(companion)) {
            QFile::remove(partial);
            return fail(QStringLiteral("cannot remove %1").arg(companion));
        }
    }
    if (std::rename(QFile::encodeName(partial).constData(),
                    QFile::encodeName(target).constData()) != 0) {
        QFile::remove(partial);
        return fail(QStringLiteral("cannot replace %1").arg(target));
    }
    log.line(QStringLiteral("Database backup completed"));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    return engineutility::runUtility(argc, argv, backUp,
                                     {QStringLiteral("Database backup failed: %1")});
}
