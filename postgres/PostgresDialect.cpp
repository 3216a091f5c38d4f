#include "postgres/PostgresDialect.h"

#include "db/DbErrors.h"
#include "postgres/PostgresTranslator.h"
#include "sqlite/SqlToken.h"

#include <QSysInfo>

namespace {

constexpr long standInSetUpNumber = -1;

QString literal(const QString& text)
{
    return SqlToken::string(text).text;
}

QString dataSourceValue(const DialectContext& context, const QString& key)
{
    if (!context.dataSourceValue)
        return QString();
    const std::optional<QString> value = context.dataSourceValue(key);
    return value ? value->trimmed() : QString();
}

DbError notSetUp(const DialectContext& context, const QString& why)
{
    return DbError(standInSetUpNumber,
                   QStringLiteral("The database of data source \"%1\" is not set up for Varrow: "
                                  "it lacks the schema \"sys\" of the engine stand-in, version "
                                  "%2 (%3)")
                       .arg(context.dataSource, QLatin1String(PostgresDialect::SchemaVersion), why),
                   QStringLiteral("HY000"));
}

void requireSchema(RawSession& session, const DialectContext& context)
{
    QList<RawRow> rows;
    try {
        rows = session.queryRaw(QStringLiteral("select sys.varrow_version()"));
    } catch (const DbError& error) {
        if (error.sqlstate().startsWith(QLatin1String("08")))
            throw;
        throw notSetUp(context, error.description());
    }
    const QString version = rows.isEmpty() || rows.first().isEmpty() || !rows.first().first()
                                ? QString()
                                : *rows.first().first();
    if (version != QLatin1String(PostgresDialect::SchemaVersion))
        throw notSetUp(context, QStringLiteral("it has version \"%1\"").arg(version));
}

// psqlODBC's Protocol key ends in the rollback it does when a statement fails: -0 nothing, -1
// the whole transaction, -2 (and its default) the statement alone. Varrow goes on after a
// refused row inside a batch and commits the batch: with -0 the server refuses every later
// statement, with -1 the rows before the refused one would vanish while their marks stay.
void requireStatementRollback(const DialectContext& context)
{
    const QString protocol = dataSourceValue(context, QStringLiteral("Protocol"));
    if (!protocol.endsWith(QLatin1String("-0")) && !protocol.endsWith(QLatin1String("-1")))
        return;
    throw DbError(standInSetUpNumber,
                  QStringLiteral("The data source \"%1\" asks the PostgreSQL driver to undo more "
                                 "than a failed statement (Protocol=%2): set Protocol=7.4-2, or "
                                 "leave the key out")
                      .arg(context.dataSource, protocol),
                  QStringLiteral("HY000"));
}

} // namespace

void PostgresDialect::attach(RawSession& session, const DialectContext& context)
{
    m_dataSource = context.dataSource;
    requireStatementRollback(context);
    requireSchema(session, context);
    // What sa_db_info and sa_eng_properties report for this connection; the functions fall
    // back to the database's name when a key is not set.
    QString machine = dataSourceValue(context, QStringLiteral("MachineName"));
    if (machine.isEmpty()) {
        const QString server = dataSourceValue(context, QStringLiteral("Servername"));
        machine = server.isEmpty() || server.startsWith(QLatin1Char('/'))
                      ? QSysInfo::machineHostName()
                      : server;
    }
    session.queryRaw(QStringLiteral("select set_config('varrow.alias', %1, false), "
                                    "set_config('varrow.engine', %2, false), "
                                    "set_config('varrow.machine', %3, false), "
                                    "set_config('search_path', 'mt, sys, public', false), "
                                    "set_config('client_min_messages', 'warning', false)")
                         .arg(literal(dataSourceValue(context, QStringLiteral("DatabaseName"))),
                              literal(dataSourceValue(context, QStringLiteral("EngineName"))),
                              literal(machine)));
}

QStringList PostgresDialect::translate(const QString& commandText)
{
    return PostgresTranslator::translate(commandText);
}

DbError PostgresDialect::describe(const DbError& error) const
{
    // lock_not_available (a lock timeout), deadlock_detected, serialization_failure.
    const QString state = error.sqlstate();
    const QString description = error.description();
    const bool locked = state == QLatin1String("55P03") || state == QLatin1String("40P01") ||
                        state == QLatin1String("40001") ||
                        description.contains(QLatin1String("lock timeout")) ||
                        description.contains(QLatin1String("deadlock detected"));
    if (!locked)
        return error;
    return DbErrors::lockedByAnotherProgram(
        error, QStringLiteral("the database of data source \"%1\"").arg(m_dataSource));
}
