// dbstop: the stand-in's engine stop utility. Finds the database of the named engine, checks
// the login, and leaves the file checkpointed and closed, so that it can be replaced.
//
//   dbstop [-o LOG] -c "uid=U;pwd=P;eng=ENGINE;UNC=YES"
//   dbstop [-o LOG] -s "uid=U;pwd=P;eng=ENGINE;agent=server;unconditional=true"

#include "db/DbError.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"
#include "tools/engine/EngineUtility.h"

#include <QCoreApplication>
#include <QStringList>

using namespace engineutility;

namespace {

int stop(MessageLog& log, const QStringList& arguments)
{
    QString connection;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("-o") && i + 1 < arguments.size()) {
            log.setFile(arguments[++i]);
        } else if (argument.startsWith(QLatin1String("-c")) ||
                   argument.startsWith(QLatin1String("-s"))) {
            connection = argument.size() > 2
                             ? argument.mid(2)
                             : (i + 1 < arguments.size() ? arguments[++i] : QString());
        } else {
            log.line(banner(QStringLiteral("Stop")));
            log.line(QStringLiteral("Unknown option %1").arg(argument));
            log.line(QStringLiteral("Database server not stopped"));
            return 1;
        }
    }
    log.line(banner(QStringLiteral("Stop")));
    const QHash<QString, QString> parameters = connectionParameters(connection);
    const QString engine = parameters.value(QStringLiteral("eng"));
    if (engine.isEmpty() || !parameters.contains(QStringLiteral("uid"))) {
        log.line(QStringLiteral("Connection parameters need uid, pwd and eng"));
        log.line(QStringLiteral("Database server not stopped"));
        return 1;
    }
    const std::optional<ServedDatabase> database = databaseOfEngine(engine);
    if (!database) {
        log.line(QStringLiteral("Database server %1 not found").arg(engine));
        log.line(QStringLiteral("Database server not stopped"));
        return 1;
    }
    const QString refused = checkLogin(*database, parameters.value(QStringLiteral("uid")),
                                       parameters.value(QStringLiteral("pwd")));
    if (!refused.isEmpty()) {
        log.line(refused);
        log.line(QStringLiteral("Database server %1 not stopped").arg(engine));
        return 1;
    }
    log.line(QStringLiteral("Stopping database %1 of server %2").arg(database->file, engine));
    try {
        SqliteDatabase db(database->file, SqliteDatabase::Mode::OpenExisting);
        const QVariant busy = db.scalar(QStringLiteral("pragma wal_checkpoint(TRUNCATE)"));
        if (busy.toInt() != 0) {
            log.line(QStringLiteral("The database is still in use by another connection"));
            log.line(QStringLiteral("Database server %1 not stopped").arg(engine));
            return 1;
        }
    } catch (const SchemaError& error) {
        log.line(error.message());
        log.line(QStringLiteral("Database server %1 not stopped").arg(engine));
        return 1;
    }
    log.line(QStringLiteral("Database server %1 stopped").arg(engine));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    return engineutility::runUtility(
        argc, argv, stop, {QStringLiteral("%1"), QStringLiteral("Database server not stopped")});
}
