/* SQL functions the stand-in engine needs and SQLite lacks, loaded by the ODBC driver. */
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

static void versionFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    (void)argv;
    sqlite3_result_text(ctx, "1", -1, SQLITE_STATIC);
}

#ifdef _WIN32
__declspec(dllexport)
#endif
int sqlite3_varrowsqlext_init(sqlite3* db, char** errMsg, const sqlite3_api_routines* api)
{
    (void)errMsg;
    SQLITE_EXTENSION_INIT2(api);
    return sqlite3_create_function(db, "varrow_version", 0, SQLITE_UTF8 | SQLITE_DETERMINISTIC, 0,
                                   versionFunc, 0, 0);
}
