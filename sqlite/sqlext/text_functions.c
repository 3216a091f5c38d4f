/* The engine's own string and time functions that SQLite lacks or names differently. */
#include "sqlext_internal.h"

#include <stdio.h>
#include <string.h>
#include <sys/time.h>
#include <time.h>

int varrowAsciiEqualNoCase(const unsigned char* a, const unsigned char* b, int length)
{
    for (int i = 0; i < length; ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = (unsigned char)(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = (unsigned char)(y - 'A' + 'a');
        if (x != y)
            return 0;
    }
    return 1;
}

static int isContinuationByte(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

/* Byte offset of the character numbered `characters` (0-based), or the length if shorter. */
static int byteOffsetOfCharacter(const unsigned char* text, int length, sqlite3_int64 characters)
{
    int offset = 0;
    while (offset < length && characters > 0) {
        ++offset;
        while (offset < length && isContinuationByte(text[offset]))
            ++offset;
        --characters;
    }
    return offset;
}

static sqlite3_int64 characterCount(const unsigned char* text, int length)
{
    sqlite3_int64 count = 0;
    for (int i = 0; i < length; ++i)
        if (!isContinuationByte(text[i]))
            ++count;
    return count;
}

/* Local time with milliseconds, the engine's timestamp text. */
static void nowFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    (void)argv;
    struct timeval tv;
    gettimeofday(&tv, NULL);
    time_t seconds = tv.tv_sec;
    struct tm local;
    localtime_r(&seconds, &local);
    char text[40];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
             local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
             (int)(tv.tv_usec / 1000));
    sqlite3_result_text(ctx, text, -1, SQLITE_TRANSIENT);
}

/* left(s, n) and right(s, n): the first or last n characters. */
static void sideFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return;
    sqlite3_int64 count = sqlite3_value_int64(argv[1]);
    if (count < 0) {
        sqlite3_result_error(ctx, "the length given to left() or right() is negative", -1);
        return;
    }
    const unsigned char* text = sqlite3_value_text(argv[0]);
    int length = sqlite3_value_bytes(argv[0]);
    if (!text) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    int fromRight = sqlite3_user_data(ctx) != NULL;
    if (fromRight) {
        sqlite3_int64 total = characterCount(text, length);
        int start = total > count ? byteOffsetOfCharacter(text, length, total - count) : 0;
        sqlite3_result_text(ctx, (const char*)text + start, length - start, SQLITE_TRANSIENT);
    } else {
        int end = byteOffsetOfCharacter(text, length, count);
        sqlite3_result_text(ctx, (const char*)text, end, SQLITE_TRANSIENT);
    }
}

/* locate(s, t [, start]): 1-based character position of t in s, 0 when absent. A negative
 * start searches backwards from that many characters before the end. Letters compare
 * without regard to case, like every other text compare of the engine. */
static void locateFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return;
    const unsigned char* text = sqlite3_value_text(argv[0]);
    int textLength = sqlite3_value_bytes(argv[0]);
    const unsigned char* wanted = sqlite3_value_text(argv[1]);
    int wantedLength = sqlite3_value_bytes(argv[1]);
    if (!text || !wanted) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    sqlite3_int64 characters = characterCount(text, textLength);
    sqlite3_int64 start = argc > 2 ? sqlite3_value_int64(argv[2]) : 1;
    int backwards = start < 0;
    if (backwards)
        start = characters + start + 1;
    if (start < 1)
        start = backwards ? 0 : 1;
    if (start < 1 || start > characters + 1) {
        sqlite3_result_int64(ctx, 0);
        return;
    }
    /* Forwards: the first match at or after start. Backwards: the last match that begins
     * at or before start. */
    sqlite3_int64 found = 0;
    sqlite3_int64 position = 1;
    int offset = 0;
    for (;;) {
        if (backwards && position > start)
            break;
        if ((backwards || position >= start) && textLength - offset >= wantedLength &&
            varrowAsciiEqualNoCase(text + offset, wanted, wantedLength)) {
            found = position;
            if (!backwards)
                break;
        }
        if (offset >= textLength)
            break;
        ++offset;
        while (offset < textLength && isContinuationByte(text[offset]))
            ++offset;
        ++position;
    }
    sqlite3_result_int64(ctx, found);
}

int varrowRegisterTextFunctions(sqlite3* db)
{
    static int right = 1;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_function(db, "varrow_now", 0, SQLITE_UTF8, 0, nowFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "varrow_left", 2, flags, 0, sideFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "varrow_right", 2, flags, &right, sideFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "locate", 2, flags, 0, locateFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "locate", 3, flags, 0, locateFunc, 0, 0);
    return rc;
}
