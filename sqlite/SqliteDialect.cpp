#include "sqlite/SqliteDialect.h"

#include "db/DbErrors.h"
#include "sqlite/PasswordDigest.h"
#include "sqlite/SqlToken.h"
#include "sqlite/SqliteCatalogue.h"
#include "sqlite/sqlext/varrow_sqlext.h"

#include <QFileInfo>
#include <QSysInfo>

namespace {

// The engine's own number for a refused login; the program shows descriptions, not numbers.
constexpr long invalidLoginNumber = -103;
constexpr long standInSetUpNumber = -1;

QString literal(const QString& text)
{
    return SqlToken::string(text).text;
}

QString valueAt(const QList<RawRow>& rows, int column)
{
    if (rows.isEmpty() || rows.first().size() <= column || !rows.first()[column])
        return QString();
    return *rows.first()[column];
}

QString dataSourceValue(const DialectContext& context, const QString& key)
{
    if (!context.dataSourceValue)
        return QString();
    const std::optional<QString> value = context.dataSourceValue(key);
    return value ? value->trimmed() : QString();
}

// The driver only warns when LoadExt fails and then connects without our functions; every
// statement that needs them would fail later with a puzzling message, so refuse now.
void requireExtension(RawSession& session, const DialectContext& context)
{
    QString version;
    try {
        version = valueAt(session.queryRaw(QStringLiteral("select varrow_version()")), 0);
    } catch (const DbError& error) {
        if (!error.description().contains(QLatin1String("no such function"), Qt::CaseInsensitive))
            throw;
        throw DbError(standInSetUpNumber,
                      QStringLiteral("The data source \"%1\" did not load the SQL extension of the "
                                     "engine stand-in: set its LoadExt key to the path of "
                                     "varrow_sqlext.so (%2)")
                          .arg(context.dataSource, error.description()),
                      QStringLiteral("HY000"));
    }
    if (version != QLatin1String(VARROW_SQLEXT_VERSION))
        throw DbError(standInSetUpNumber,
                      QStringLiteral("The data source \"%1\" loads version %2 of the SQL extension "
                                     "of the engine stand-in; this program needs version %3: "
                                     "point its LoadExt key at the varrow_sqlext.so built with it")
                          .arg(context.dataSource, version, QLatin1String(VARROW_SQLEXT_VERSION)),
                      QStringLiteral("HY000"));
}

// Checks the user and password against the database's logins and returns the login's name
// as stored. The digest is computed here so that the password is never part of SQL text.
QString checkLogin(RawSession& session, const DialectContext& context)
{
    const DbError refused(invalidLoginNumber, QStringLiteral("Invalid user ID or password"),
                          QStringLiteral("28000"));
    QList<RawRow> rows;
    try {
        rows = session.queryRaw(
            QStringLiteral("select user_name, hex(salt), iterations, hex(hash) from %1 "
                           "where user_name = %2")
                .arg(QLatin1String(VARROW_SQLEXT_LOGIN_TABLE), literal(context.user)));
    } catch (const DbError& error) {
        if (!error.description().contains(QLatin1String("no such table"), Qt::CaseInsensitive))
            throw;
        throw DbError(invalidLoginNumber,
                      QStringLiteral("Invalid user ID or password: the database of data source "
                                     "\"%1\" has no logins; create one with "
                                     "varrow_set_login(user, password)")
                          .arg(context.dataSource),
                      QStringLiteral("28000"));
    }
    if (rows.isEmpty())
        throw refused;
    const QByteArray salt = QByteArray::fromHex(valueAt(rows, 1).toLatin1());
    const int iterations = valueAt(rows, 2).toInt();
    const QByteArray stored = QByteArray::fromHex(valueAt(rows, 3).toLatin1());
    // Counts outside this range are not ours and would stall the connect.
    if (iterations < 1 || iterations > 10000000 || stored.isEmpty())
        throw refused;
    const QByteArray digest = PasswordDigest::pbkdf2Sha256(context.password.toUtf8(), salt,
                                                           iterations, int(stored.size()));
    if (!PasswordDigest::equal(digest, stored))
        throw refused;
    return valueAt(rows, 0);
}

SessionFacts gatherFacts(RawSession& session, const DialectContext& context)
{
    const QList<RawRow> rows = session.queryRaw(
        QStringLiteral("select (select file from pragma_database_list where name = 'main'), "
                       "(select journal_mode from pragma_journal_mode), "
                       "(select page_size from pragma_page_size), sqlite_version()"));
    SessionFacts facts;
    const QString file = valueAt(rows, 0);
    facts.file = file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
    const bool writeAhead =
        valueAt(rows, 1).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    facts.logName = facts.file + (writeAhead ? QLatin1String("-wal") : QLatin1String("-journal"));
    facts.pageSize = valueAt(rows, 2).toLongLong();
    facts.readOnly = !facts.file.isEmpty() && !QFileInfo(facts.file).isWritable();
    facts.productVersion = valueAt(rows, 3);
    facts.alias = dataSourceValue(context, QStringLiteral("DatabaseName"));
    if (facts.alias.isEmpty())
        facts.alias = QFileInfo(facts.file).completeBaseName();
    facts.engineName = dataSourceValue(context, QStringLiteral("EngineName"));
    if (facts.engineName.isEmpty())
        facts.engineName = facts.alias;
    facts.machineName = dataSourceValue(context, QStringLiteral("MachineName"));
    if (facts.machineName.isEmpty())
        facts.machineName = QSysInfo::machineHostName();
    facts.platform = QSysInfo::prettyProductName();
    // Text affinity turns every number into text; any other column may hold a real.
    for (const RawRow& row : session.queryRaw(QStringLiteral(
             "select distinct lower(c.name) from sqlite_schema s, pragma_table_info(s.name) c "
             "where s.type = 'table' and s.name not like 'sqlite\\_%' escape '\\' and "
             "(upper(c.type) like '%INT%' or not (upper(c.type) like "
             "'%CHAR%' or upper(c.type) like '%CLOB%' or upper(c.type) like '%TEXT%'))")))
        if (!row.isEmpty() && row.first())
            facts.realColumns.insert(*row.first());
    return facts;
}

} // namespace

void SqliteDialect::attach(RawSession& session, const DialectContext& context)
{
    m_dataSource = context.dataSource;
    requireExtension(session, context);
    const QString user = checkLogin(session, context);
    session.queryRaw(QStringLiteral("select varrow_set_user(%1)").arg(literal(user)));
    m_translator.setSessionFacts(gatherFacts(session, context));
    for (const QString& view : SqliteCatalogue::viewDefinitions())
        session.executeRaw(view);
}

QStringList SqliteDialect::translate(const QString& commandText)
{
    return m_translator.translate(commandText);
}

DbError SqliteDialect::describe(const DbError& error) const
{
    // The driver reports SQLite's result code as the native error number.
    constexpr long busy = 5;
    constexpr long locked = 6;
    const long code = error.number() & 0xff; // extended codes keep the primary one below
    if (error.number() <= 0 || (code != busy && code != locked))
        return error;
    return DbErrors::lockedByAnotherProgram(
        error, QStringLiteral("the database of data source \"%1\"").arg(m_dataSource));
}
