/* Logins of the database file: only a salted PBKDF2-HMAC-SHA-256 of each password is kept,
 * in a table of the database itself, so the file carries its own users as an engine's would. */
#include "sha256.h"
#include "sqlext_internal.h"
#include "varrow_sqlext.h"

#define SALT_SIZE 16
#define HASH_ITERATIONS 20000
/* Refuses rows whose iteration count would stall a connect or that could not be ours. */
#define MAX_ITERATIONS 10000000

static const char createTableSql[] =
    "CREATE TABLE IF NOT EXISTS main." VARROW_SQLEXT_LOGIN_TABLE
    " (user_name TEXT NOT NULL COLLATE NOCASE PRIMARY KEY, salt BLOB NOT NULL,"
    " iterations INTEGER NOT NULL, hash BLOB NOT NULL)";

static const char upsertSql[] =
    "INSERT INTO main." VARROW_SQLEXT_LOGIN_TABLE " (user_name, salt, iterations, hash)"
    " VALUES (?1, ?2, ?3, ?4) ON CONFLICT (user_name) DO UPDATE"
    " SET salt = excluded.salt, iterations = excluded.iterations, hash = excluded.hash";

static const char tableExistsSql[] =
    "SELECT 1 FROM main.sqlite_schema WHERE type = 'table' AND name = '" VARROW_SQLEXT_LOGIN_TABLE
    "'";

static const char selectSql[] =
    "SELECT salt, iterations, hash FROM main." VARROW_SQLEXT_LOGIN_TABLE " WHERE user_name = ?1";

static const char deleteSql[] =
    "DELETE FROM main." VARROW_SQLEXT_LOGIN_TABLE " WHERE user_name = ?1";

static int isBlankText(sqlite3_value* value)
{
    return sqlite3_value_type(value) == SQLITE_NULL || sqlite3_value_bytes(value) == 0;
}

/* Runs one statement with up to four bound values; returns SQLITE_OK or the error code. */
static int runStatement(sqlite3* db, const char* sql, sqlite3_value* text, const void* salt,
                        int iterations, const void* hash)
{
    sqlite3_stmt* statement = NULL;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, NULL);
    if (rc == SQLITE_OK && text)
        rc = sqlite3_bind_value(statement, 1, text);
    if (rc == SQLITE_OK && salt)
        rc = sqlite3_bind_blob(statement, 2, salt, SALT_SIZE, SQLITE_STATIC);
    if (rc == SQLITE_OK && salt)
        rc = sqlite3_bind_int(statement, 3, iterations);
    if (rc == SQLITE_OK && hash)
        rc = sqlite3_bind_blob(statement, 4, hash, VARROW_SHA256_SIZE, SQLITE_STATIC);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE || rc == SQLITE_ROW)
            rc = SQLITE_OK;
    }
    sqlite3_finalize(statement);
    return rc;
}

/* varrow_set_login(user, password): creates the login or gives it a new password. */
static void setLoginFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    if (isBlankText(argv[0]) || isBlankText(argv[1])) {
        sqlite3_result_error(ctx, "a login needs a user name and a password", -1);
        return;
    }
    const unsigned char* password = sqlite3_value_text(argv[1]);
    int passwordSize = sqlite3_value_bytes(argv[1]);
    unsigned char salt[SALT_SIZE];
    unsigned char hash[VARROW_SHA256_SIZE];
    sqlite3_randomness(SALT_SIZE, salt);
    varrowPbkdf2Sha256(password, (size_t)passwordSize, salt, SALT_SIZE, HASH_ITERATIONS, hash,
                       sizeof hash);
    sqlite3* db = sqlite3_context_db_handle(ctx);
    int rc = sqlite3_exec(db, createTableSql, 0, 0, 0);
    if (rc == SQLITE_OK)
        rc = runStatement(db, upsertSql, argv[0], salt, HASH_ITERATIONS, hash);
    if (rc != SQLITE_OK)
        sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
    else
        sqlite3_result_int(ctx, 1);
}

static int hashMatches(const unsigned char* password, int passwordSize, const void* salt,
                       int saltSize, sqlite3_int64 iterations, const unsigned char* stored,
                       int storedSize)
{
    if (iterations < 1 || iterations > MAX_ITERATIONS || storedSize != VARROW_SHA256_SIZE)
        return 0;
    unsigned char hash[VARROW_SHA256_SIZE];
    varrowPbkdf2Sha256(password, (size_t)passwordSize, salt, (size_t)saltSize, (unsigned)iterations,
                       hash, sizeof hash);
    /* Every byte is compared so the time taken tells nothing about a near miss. */
    unsigned char difference = 0;
    for (int i = 0; i < VARROW_SHA256_SIZE; ++i)
        difference |= (unsigned char)(hash[i] ^ stored[i]);
    return difference == 0;
}

/* varrow_check_login(user, password): 1 when the pair names a login of this database. */
static void checkLoginFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    sqlite3* db = sqlite3_context_db_handle(ctx);
    sqlite3_stmt* statement = NULL;
    int matches = 0;
    int rc = SQLITE_OK;
    if (!isBlankText(argv[0]) && sqlite3_value_type(argv[1]) != SQLITE_NULL) {
        rc = sqlite3_prepare_v2(db, tableExistsSql, -1, &statement, NULL);
        int tableExists = rc == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW;
        sqlite3_finalize(statement);
        statement = NULL;
        if (tableExists)
            rc = sqlite3_prepare_v2(db, selectSql, -1, &statement, NULL);
        if (tableExists && rc == SQLITE_OK)
            rc = sqlite3_bind_value(statement, 1, argv[0]);
        if (tableExists && rc == SQLITE_OK) {
            rc = sqlite3_step(statement);
            if (rc == SQLITE_ROW) {
                const unsigned char* password = sqlite3_value_text(argv[1]);
                matches = hashMatches(
                    password, sqlite3_value_bytes(argv[1]), sqlite3_column_blob(statement, 0),
                    sqlite3_column_bytes(statement, 0), sqlite3_column_int64(statement, 1),
                    sqlite3_column_blob(statement, 2), sqlite3_column_bytes(statement, 2));
            }
            if (rc == SQLITE_ROW || rc == SQLITE_DONE)
                rc = SQLITE_OK;
        }
        sqlite3_finalize(statement);
    }
    if (rc != SQLITE_OK)
        sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
    else
        sqlite3_result_int(ctx, matches);
}

/* varrow_drop_login(user): 1 when a login was removed, 0 when there was none. */
static void dropLoginFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    sqlite3* db = sqlite3_context_db_handle(ctx);
    int rc = sqlite3_exec(db, createTableSql, 0, 0, 0);
    if (rc == SQLITE_OK)
        rc = runStatement(db, deleteSql, argv[0], NULL, 0, NULL);
    if (rc != SQLITE_OK)
        sqlite3_result_error(ctx, sqlite3_errmsg(db), -1);
    else
        sqlite3_result_int(ctx, sqlite3_changes(db) > 0);
}

int varrowRegisterLoginFunctions(sqlite3* db)
{
    int rc = sqlite3_create_function(db, "varrow_set_login", 2, SQLITE_UTF8, 0, setLoginFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "varrow_check_login", 2, SQLITE_UTF8, 0, checkLoginFunc, 0,
                                     0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "varrow_drop_login", 1, SQLITE_UTF8, 0, dropLoginFunc, 0,
                                     0);
    return rc;
}
