/* SQL functions the stand-in engine needs and SQLite lacks, loaded by the ODBC driver
 * (LoadExt) or by any SQLite client that wants the same behaviour. */
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include "sqlext_internal.h"
#include "varrow_sqlext.h"

static void versionFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    (void)argv;
    sqlite3_result_text(ctx, VARROW_SQLEXT_VERSION, -1, SQLITE_STATIC);
}

#ifdef _WIN32
__declspec(dllexport)
#endif
    int sqlite3_varrowsqlext_init(sqlite3* db, char** errMsg, const sqlite3_api_routines* api)
{
    SQLITE_EXTENSION_INIT2(api);
    int rc = sqlite3_create_function(db, "varrow_version", 0, SQLITE_UTF8 | SQLITE_DETERMINISTIC, 0,
                                     versionFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = varrowRegisterTextFunctions(db);
    if (rc == SQLITE_OK)
        rc = varrowRegisterCatalogueFunctions(db);
    if (rc == SQLITE_OK)
        rc = varrowRegisterSessionFunctions(db);
    if (rc == SQLITE_OK)
        rc = varrowRegisterLoginFunctions(db);
    if (rc == SQLITE_OK)
        rc = varrowRegisterValueFunctions(db);
    if (rc != SQLITE_OK && errMsg)
        *errMsg = sqlite3_mprintf("varrow_sqlext: %s", sqlite3_errstr(rc));
    return rc;
}
