#include "db/OdbcConnection.h"

#include "db/ConnectionString.h"
#include "db/DataSources.h"
#include "db/DbErrors.h"
#include "db/OdbcRecordset.h"
#include "db/OdbcSession.h"

namespace {

// Masks every occurrence of a secret that stands on its own: one inside a longer word is a
// coincidence ("sql" in "sqlite"), not a quotation of the secret.
QString maskStandalone(QString text, const QString& secret)
{
    const QString mask = QStringLiteral("********");
    qsizetype at = 0;
    while ((at = text.indexOf(secret, at)) >= 0) {
        const qsizetype end = at + secret.size();
        const bool glued =
            (at > 0 && text[at - 1].isLetterOrNumber() && secret.front().isLetterOrNumber()) ||
            (end < text.size() && text[end].isLetterOrNumber() && secret.back().isLetterOrNumber());
        if (glued) {
            at = end;
            continue;
        }
        text.replace(at, secret.size(), mask);
        at += mask.size();
    }
    return text;
}

// Drivers are free to quote the connection string in their messages; a password must never
// reach an error report or a log that way.
DbError withoutSecrets(const DbError& error, const ConnectionString& attributes)
{
    QString description = error.description();
    const QString full = attributes.toString();
    const QString password = attributes.value(QStringLiteral("PWD"));
    if (!full.isEmpty())
        description.replace(full, QStringLiteral("<connection string>"));
    if (password.size() >= 3) // shorter ones would blot out ordinary words
        description = maskStandalone(description, password);
    return DbError(error.number(), description, error.sqlstate());
}

} // namespace

OdbcConnection::OdbcConnection(DialectFactory dialectFactory)
    : m_dialectFactory(std::move(dialectFactory))
{
}

OdbcConnection::~OdbcConnection()
{
    close();
}

void OdbcConnection::open(const QString& user, const QString& password)
{
    if (m_session) {
        m_lastError = DbErrors::alreadyOpen();
        return;
    }
    m_lastError.reset();

    ConnectionString attributes = ConnectionString::parse(m_connectionString);
    // An OLE DB provider names the bridge to ODBC, which is this class itself.
    attributes.remove(QStringLiteral("PROVIDER"));
    if (!user.isEmpty())
        attributes.setValue(QStringLiteral("UID"), user);
    if (!password.isEmpty())
        attributes.setValue(QStringLiteral("PWD"), password);
    m_attributes = attributes;

    const QString dataSource = attributes.value(QStringLiteral("DSN"));
    const QString login = attributes.value(QStringLiteral("UID"));
    const QString secret = attributes.value(QStringLiteral("PWD"));
    // The credentials never reach the driver inside a connection string: its parser need not
    // read a password that holds ";" or "=" the way this one wrote it.
    ConnectionString forDriver = attributes;
    forDriver.remove(QStringLiteral("UID"));
    forDriver.remove(QStringLiteral("PWD"));

    std::shared_ptr<OdbcSession> session;
    try {
        if (forDriver.contains(QStringLiteral("DSN")) && dataSource.trimmed().isEmpty())
            throw DbErrors::noDataSource();
        const bool byName = forDriver.attributes().size() == 1 && !dataSource.isEmpty();
        session = byName ? OdbcSession::connectDataSource(dataSource, login, secret)
                         : OdbcSession::connect(forDriver.toString());
        if (m_dialectFactory) {
            if (std::unique_ptr<Dialect> dialect = m_dialectFactory(session->dbmsName())) {
                DialectContext context;
                context.dataSource = dataSource;
                context.user = login;
                context.password = secret;
                context.dataSourceValue = [dataSource](const QString& key) {
                    return DataSources::value(dataSource, key);
                };
                dialect->attach(*session, context);
                session->setDialect(std::move(dialect));
            }
        }
    } catch (const DbError& error) {
        if (session)
            session->disconnect();
        m_lastError = withoutSecrets(error, attributes);
        return;
    } catch (const std::exception& error) {
        // A dialect should throw DbError only; whatever it threw, opening never throws.
        if (session)
            session->disconnect();
        m_lastError =
            withoutSecrets(DbError(DbErrors::DriverFailure, QString::fromUtf8(error.what()),
                                   QStringLiteral("HY000")),
                           attributes);
        return;
    }
    m_session = std::move(session);
}

void OdbcConnection::close()
{
    if (!m_session)
        return;
    // Result sets keep the session alive but find it disconnected from now on.
    m_session->disconnect();
    m_session.reset();
}

int OdbcConnection::state() const
{
    return m_session && m_session->isConnected() ? 1 : 0;
}

OdbcSession& OdbcConnection::session()
{
    if (!m_session || !m_session->isConnected())
        throw DbErrors::notConnected();
    return *m_session;
}

// A statement's failure is masked as a failed open is: an engine may quote the login then too.
long OdbcConnection::execute(const QString& commandText)
{
    try {
        return session().execute(commandText);
    } catch (const DbError& error) {
        throw withoutSecrets(error, m_attributes);
    }
}

std::unique_ptr<Recordset> OdbcConnection::openRecordset(const QString& query, CursorType type)
{
    session();
    try {
        return std::make_unique<OdbcRecordset>(m_session, query, type);
    } catch (const DbError& error) {
        throw withoutSecrets(error, m_attributes);
    }
}

void OdbcConnection::beginTransaction()
{
    session().beginTransaction();
}

void OdbcConnection::commitTransaction()
{
    try {
        session().endTransaction(true);
    } catch (const DbError& error) {
        throw withoutSecrets(error, m_attributes);
    }
}

void OdbcConnection::rollbackTransaction() noexcept
{
    try {
        if (state() == 1)
            m_session->endTransaction(false);
    } catch (const DbError&) {
    }
}

QString OdbcConnection::dbmsName() const
{
    return state() == 1 ? m_session->dbmsName() : QString();
}
