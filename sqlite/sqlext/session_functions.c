/* Per-connection facts (the signed-in user that triggers record) and the three functions
 * with which a transfer asks whether the database already holds a record. */
#include "sqlext_internal.h"

#include <stddef.h>

typedef struct Session
{
    char* user;
} Session;

static void destroySession(void* data)
{
    Session* session = data;
    sqlite3_free(session->user);
    sqlite3_free(session);
}

static void setUserFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    Session* session = sqlite3_user_data(ctx);
    char* user = NULL;
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL) {
        user = sqlite3_mprintf("%s", (const char*)sqlite3_value_text(argv[0]));
        if (!user) {
            sqlite3_result_error_nomem(ctx);
            return;
        }
    }
    sqlite3_free(session->user);
    session->user = user;
    if (user)
        sqlite3_result_text(ctx, user, -1, SQLITE_TRANSIENT);
}

static void userFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    (void)argv;
    Session* session = sqlite3_user_data(ctx);
    if (session->user)
        sqlite3_result_text(ctx, session->user, -1, SQLITE_TRANSIENT);
}

/* A record of each family is identified by two of its columns and its item's mtag. */
static const char calibrationQuery[] =
    "SELECT 1 FROM main.calibration WHERE c2301 = ?1 COLLATE NOCASE"
    " AND c2333 = ?2 COLLATE NOCASE AND mtag = ?3 COLLATE NOCASE LIMIT 1";
static const char locationQuery[] =
    "SELECT 1 FROM main.location WHERE l2809 = ?1 COLLATE NOCASE"
    " AND l2810 = ?2 COLLATE NOCASE AND mtag = ?3 COLLATE NOCASE LIMIT 1";
static const char repairQuery[] =
    "SELECT 1 FROM main.repair WHERE r3230 = ?1 COLLATE NOCASE"
    " AND r3241 = ?2 COLLATE NOCASE AND mtag = ?3 COLLATE NOCASE LIMIT 1";

/* 1 when a row with the three values exists, else 0. NULL never equals anything here, so a
 * row with a missing value is never taken for one the database already holds. */
static void confirmFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    const char* query = sqlite3_user_data(ctx);
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) {
            sqlite3_result_int(ctx, 0);
            return;
        }
    }
    sqlite3* db = sqlite3_context_db_handle(ctx);
    sqlite3_stmt* statement = NULL;
    int rc = sqlite3_prepare_v2(db, query, -1, &statement, NULL);
    for (int i = 0; rc == SQLITE_OK && i < argc; ++i)
        rc = sqlite3_bind_value(statement, i + 1, argv[i]);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
            sqlite3_result_int(ctx, rc == SQLITE_ROW);
            rc = SQLITE_OK;
        }
    }
    if (rc != SQLITE_OK)
        sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
    sqlite3_finalize(statement);
}

int varrowRegisterSessionFunctions(sqlite3* db)
{
    Session* session = sqlite3_malloc(sizeof *session);
    if (!session)
        return SQLITE_NOMEM;
    session->user = NULL;
    /* The session is freed with the last of its functions: varrow_user is registered after
     * varrow_set_user, so re-loading the extension replaces both before the old one goes. */
    int rc = sqlite3_create_function_v2(db, "varrow_set_user", 1, SQLITE_UTF8, session, setUserFunc,
                                        0, 0, 0);
    if (rc != SQLITE_OK) {
        destroySession(session);
        return rc;
    }
    rc = sqlite3_create_function_v2(db, "varrow_user", 0, SQLITE_UTF8, session, userFunc, 0, 0,
                                    destroySession);
    if (rc != SQLITE_OK) {
        /* SQLite has freed the session already; varrow_set_user must not keep it. */
        sqlite3_create_function(db, "varrow_set_user", 1, SQLITE_UTF8, 0, 0, 0, 0);
        return rc;
    }
    const int flags = SQLITE_UTF8;
    rc = sqlite3_create_function(db, "qel_vr_cal_record_confirm", 3, flags, (void*)calibrationQuery,
                                 confirmFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "qel_vr_loc_record_confirm", 3, flags,
                                     (void*)locationQuery, confirmFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "qel_vr_rep_record_confirm", 3, flags, (void*)repairQuery,
                                     confirmFunc, 0, 0);
    return rc;
}
