#include "db/DataSources.h"

#include "db/OdbcDiagnostics.h"
#include "db/OdbcEnvironment.h"

#include <odbcinst.h>
#include <sqlext.h>

namespace {

// Reads the configuration in one scope and puts the caller's mode back afterwards: the mode
// is process-wide state of the installer library that other code may rely on.
class ConfigModeScope
{
public:
    explicit ConfigModeScope(DataSources::Scope scope)
    {
        m_restore = SQLGetConfigMode(&m_previous);
        SQLSetConfigMode(scope == DataSources::Scope::User ? ODBC_USER_DSN : ODBC_SYSTEM_DSN);
    }
    ~ConfigModeScope()
    {
        if (m_restore)
            SQLSetConfigMode(m_previous);
        else
            SQLSetConfigMode(ODBC_BOTH_DSN);
    }
    ConfigModeScope(const ConfigModeScope&) = delete;
    ConfigModeScope& operator=(const ConfigModeScope&) = delete;

private:
    UWORD m_previous = ODBC_BOTH_DSN;
    BOOL m_restore = 0;
};

// SQLGetPrivateProfileString with a buffer that grows until the answer fits. A null key asks
// for every key of the section, each terminated by a NUL.
QByteArray readProfile(const QByteArray& section, const char* key)
{
    for (int size = 1024; size <= 1024 * 1024; size *= 4) {
        QByteArray buffer(size, '\0');
        const int length = SQLGetPrivateProfileString(section.constData(), key, "", buffer.data(),
                                                      size, "odbc.ini");
        if (length < 0)
            return QByteArray();
        // A full buffer may mean a cut answer; ask again with more room.
        if (length < size - 2)
            return buffer.left(length);
    }
    return QByteArray();
}

} // namespace

QList<DataSources::Entry> DataSources::list()
{
    const SQLHENV env = OdbcEnvironment::handle();
    QList<Entry> entries;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLCHAR name[SQL_MAX_DSN_LENGTH * 4 + 1] = {};
        SQLCHAR description[1024] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT descriptionLength = 0;
        const SQLRETURN rc = SQLDataSources(env, direction, name, sizeof name, &nameLength,
                                            description, sizeof description, &descriptionLength);
        if (rc == SQL_NO_DATA)
            break;
        OdbcDiagnostics::check(rc, SQL_HANDLE_ENV, env, "SQLDataSources");
        entries.append(
            {OdbcDiagnostics::fromOdbcText(name, qMin<qsizetype>(nameLength, sizeof name - 1)),
             OdbcDiagnostics::fromOdbcText(
                 description, qMin<qsizetype>(descriptionLength, sizeof description - 1))});
        direction = SQL_FETCH_NEXT;
    }
    return entries;
}

QStringList DataSources::keys(Scope scope, const QString& dataSource)
{
    if (dataSource.isEmpty())
        return {};
    ConfigModeScope mode(scope);
    const QByteArray all = readProfile(OdbcDiagnostics::toOdbcText(dataSource), nullptr);
    QStringList result;
    for (const QByteArray& key : all.split('\0')) {
        if (!key.isEmpty())
            result.append(QString::fromUtf8(key));
    }
    return result;
}

std::optional<QString> DataSources::value(Scope scope, const QString& dataSource,
                                          const QString& key)
{
    // Asking for the keys first tells "absent" apart from "set to an empty text", which the
    // value call alone cannot.
    const QStringList defined = keys(scope, dataSource);
    if (!defined.contains(key, Qt::CaseInsensitive))
        return std::nullopt;
    ConfigModeScope mode(scope);
    const QByteArray keyText = OdbcDiagnostics::toOdbcText(key);
    return QString::fromUtf8(
        readProfile(OdbcDiagnostics::toOdbcText(dataSource), keyText.constData()));
}

std::optional<QString> DataSources::value(const QString& dataSource, const QString& key)
{
    const Scope scope = keys(Scope::User, dataSource).isEmpty() ? Scope::System : Scope::User;
    return value(scope, dataSource, key);
}
