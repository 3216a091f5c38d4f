/* Values handed to a client whole. SQLite turns a real number into text with 15 significant
 * digits, and that text is all the ODBC driver hands over, whatever type the client asks for;
 * the last bits of many numbers are lost on the way. */
#include "sqlext_internal.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* SQLite's own reading of text as a real number (the one an insert or update applies),
 * compared with value bit for bit. */
static int sqliteReadsBack(sqlite3_stmt* cast, const char* text, double value, int* same)
{
    sqlite3_reset(cast);
    int rc = sqlite3_bind_text(cast, 1, text, -1, SQLITE_STATIC);
    if (rc != SQLITE_OK)
        return rc;
    rc = sqlite3_step(cast);
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? SQLITE_ERROR : rc;
    const double read = sqlite3_column_double(cast, 0);
    *same = memcmp(&read, &value, sizeof read) == 0;
    return SQLITE_OK;
}

/* The number with `digits` significant digits, written as SQLite writes reals: always with a
 * decimal point ("2.0", "1.0e+20"). Infinity is written as SQLite reads it. */
static void formatReal(char* text, size_t size, double value, int digits)
{
    if (isinf(value)) {
        snprintf(text, size, "%s9.0e+999", value < 0 ? "-" : "");
        return;
    }
    char plain[64];
    snprintf(plain, sizeof plain, "%.*g", digits, value);
    if (strchr(plain, '.') || strchr(plain, 'n') || strchr(plain, 'N')) {
        snprintf(text, size, "%s", plain);
        return;
    }
    const char* exponent = strchr(plain, 'e');
    const int mantissa = exponent ? (int)(exponent - plain) : (int)strlen(plain);
    snprintf(text, size, "%.*s.0%s", mantissa, plain, exponent ? exponent : "");
}

/* varrow_exact(x): x as it is, except that a real number becomes the shortest text that C and
 * SQLite alike read back as the very same number. A real without such a text (some numbers
 * below 1e-290, where SQLite's reading is not exact) is an error rather than a changed value. */
static void exactFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    if (sqlite3_value_type(argv[0]) != SQLITE_FLOAT) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    const double value = sqlite3_value_double(argv[0]);
    sqlite3_stmt* cast = 0;
    int rc =
        sqlite3_prepare_v2(sqlite3_context_db_handle(ctx), "SELECT CAST(?1 AS REAL)", -1, &cast, 0);
    char text[80] = "";
    int same = 0;
    for (int digits = 15; rc == SQLITE_OK && !same && digits <= 20; ++digits) {
        formatReal(text, sizeof text, value, digits);
        const double read = strtod(text, 0);
        if (isinf(value) || memcmp(&read, &value, sizeof read) == 0)
            rc = sqliteReadsBack(cast, text, value, &same);
    }
    sqlite3_finalize(cast);
    if (rc != SQLITE_OK) {
        sqlite3_result_error_code(ctx, rc);
        return;
    }
    if (same) {
        sqlite3_result_text(ctx, text, -1, SQLITE_TRANSIENT);
        return;
    }
    char* message = sqlite3_mprintf(
        "varrow_exact: the real number %s cannot be handed over exactly: no text of it reads "
        "back as the same number",
        text);
    sqlite3_result_error(ctx,
                         message ? message
                                 : "varrow_exact: a real number cannot be handed "
                                   "over exactly",
                         -1);
    sqlite3_free(message);
}

int varrowRegisterValueFunctions(sqlite3* db)
{
    return sqlite3_create_function(db, "varrow_exact", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, 0,
                                   exactFunc, 0, 0);
}
