#include "db/OdbcEnvironment.h"

#include "db/OdbcDiagnostics.h"

#include <sqlext.h>

namespace {

SQLHENV allocate()
{
    SQLHENV env = SQL_NULL_HENV;
    const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    if (!SQL_SUCCEEDED(rc))
        throw DbError(DbErrors::DriverFailure,
                      QStringLiteral("The ODBC driver manager could not allocate an environment"),
                      QStringLiteral("HY001"));
    const SQLRETURN versionRc =
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(versionRc)) {
        DbError error = OdbcDiagnostics::read(SQL_HANDLE_ENV, env, "SQLSetEnvAttr");
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        throw error;
    }
    return env;
}

} // namespace

SQLHENV OdbcEnvironment::handle()
{
    // Never freed: connections may be closed from static destructors or not at all, and the
    // driver manager must not see its environment vanish under them. If allocation throws,
    // the next call tries again.
    static const SQLHENV env = allocate();
    return env;
}
