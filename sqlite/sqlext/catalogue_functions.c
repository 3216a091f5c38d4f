/* Maps a column's declared type (CHAR(20), NUMERIC(10,2), LONG VARCHAR ...) to the domain,
 * width and scale the engine's catalogue reports for it. The catalogue views of the client
 * call these for every column, so a table needs nothing but its declared types. */
#include "sqlext_internal.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

enum
{
    DOMAIN_SMALLINT = 1,
    DOMAIN_INTEGER,
    DOMAIN_NUMERIC,
    DOMAIN_FLOAT,
    DOMAIN_DOUBLE,
    DOMAIN_DATE,
    DOMAIN_CHAR,
    DOMAIN_LONG_VARCHAR,
    DOMAIN_VARCHAR,
    DOMAIN_BINARY,
    DOMAIN_LONG_BINARY,
    DOMAIN_TIMESTAMP,
    DOMAIN_TIME,
    DOMAIN_TINYINT,
    DOMAIN_DECIMAL,
    DOMAIN_BIGINT,
    DOMAIN_BIT,
    DOMAIN_VARBINARY,
    DOMAIN_COUNT = DOMAIN_VARBINARY
};

static const char* const domainNames[DOMAIN_COUNT + 1] = {
    NULL,      "smallint",     "integer", "numeric", "float",       "double",    "date",
    "char",    "long varchar", "varchar", "binary",  "long binary", "timestamp", "time",
    "tinyint", "decimal",      "bigint",  "bit",     "varbinary"};

/* What the engine stores for the longest values of the long types. */
enum
{
    LONG_WIDTH = 32767
};

typedef struct ColumnType
{
    int domain;
    sqlite3_int64 width;
    sqlite3_int64 scale;
} ColumnType;

typedef struct TypeRule
{
    const char* name;
    int domain;
    sqlite3_int64 width; /* when the declaration gives none */
    sqlite3_int64 scale;
    int sized; /* the declaration's (width[,scale]) counts */
} TypeRule;

static const TypeRule typeRules[] = {
    {"CHAR", DOMAIN_CHAR, 1, 0, 1},
    {"CHARACTER", DOMAIN_CHAR, 1, 0, 1},
    {"NCHAR", DOMAIN_CHAR, 1, 0, 1},
    {"VARCHAR", DOMAIN_VARCHAR, 1, 0, 1},
    {"CHARACTER VARYING", DOMAIN_VARCHAR, 1, 0, 1},
    {"CHAR VARYING", DOMAIN_VARCHAR, 1, 0, 1},
    {"NVARCHAR", DOMAIN_VARCHAR, 1, 0, 1},
    {"LONG VARCHAR", DOMAIN_LONG_VARCHAR, LONG_WIDTH, 0, 0},
    {"LONG NVARCHAR", DOMAIN_LONG_VARCHAR, LONG_WIDTH, 0, 0},
    {"TEXT", DOMAIN_LONG_VARCHAR, LONG_WIDTH, 0, 0},
    {"CLOB", DOMAIN_LONG_VARCHAR, LONG_WIDTH, 0, 0},
    {"XML", DOMAIN_LONG_VARCHAR, LONG_WIDTH, 0, 0},
    {"INTEGER", DOMAIN_INTEGER, 4, 0, 0},
    {"INT", DOMAIN_INTEGER, 4, 0, 0},
    {"UNSIGNED INT", DOMAIN_INTEGER, 4, 0, 0},
    {"UNSIGNED INTEGER", DOMAIN_INTEGER, 4, 0, 0},
    {"SMALLINT", DOMAIN_SMALLINT, 2, 0, 0},
    {"UNSIGNED SMALLINT", DOMAIN_SMALLINT, 2, 0, 0},
    {"TINYINT", DOMAIN_TINYINT, 1, 0, 0},
    {"BIGINT", DOMAIN_BIGINT, 8, 0, 0},
    {"UNSIGNED BIGINT", DOMAIN_BIGINT, 8, 0, 0},
    {"BIT", DOMAIN_BIT, 1, 0, 0},
    {"NUMERIC", DOMAIN_NUMERIC, 30, 6, 1},
    {"DECIMAL", DOMAIN_DECIMAL, 30, 6, 1},
    {"DEC", DOMAIN_DECIMAL, 30, 6, 1},
    {"MONEY", DOMAIN_NUMERIC, 19, 4, 0},
    {"SMALLMONEY", DOMAIN_NUMERIC, 10, 4, 0},
    {"DOUBLE", DOMAIN_DOUBLE, 8, 0, 0},
    {"DOUBLE PRECISION", DOMAIN_DOUBLE, 8, 0, 0},
    {"FLOAT", DOMAIN_FLOAT, 4, 0, 0},
    {"REAL", DOMAIN_FLOAT, 4, 0, 0},
    {"DATE", DOMAIN_DATE, 4, 0, 0},
    {"TIME", DOMAIN_TIME, 8, 0, 0},
    {"TIMESTAMP", DOMAIN_TIMESTAMP, 8, 0, 0},
    {"DATETIME", DOMAIN_TIMESTAMP, 8, 0, 0},
    {"SMALLDATETIME", DOMAIN_TIMESTAMP, 8, 0, 0},
    {"BINARY", DOMAIN_BINARY, 1, 0, 1},
    {"VARBINARY", DOMAIN_VARBINARY, 1, 0, 1},
    {"BINARY VARYING", DOMAIN_VARBINARY, 1, 0, 1},
    {"LONG BINARY", DOMAIN_LONG_BINARY, LONG_WIDTH, 0, 0},
    {"BLOB", DOMAIN_LONG_BINARY, LONG_WIDTH, 0, 0},
    {"IMAGE", DOMAIN_LONG_BINARY, LONG_WIDTH, 0, 0},
};

/* Splits "numeric ( 10, 2 ) not null" into "NUMERIC" and up to two size arguments. */
static void parseDeclaredType(const char* declared, char* name, size_t nameSize,
                              sqlite3_int64 arguments[2], int* argumentCount)
{
    size_t used = 0;
    *argumentCount = 0;
    const char* p = declared ? declared : "";
    while (*p && *p != '(') {
        if (isspace((unsigned char)*p)) {
            if (used > 0 && name[used - 1] != ' ' && used + 1 < nameSize)
                name[used++] = ' ';
        } else if (used + 1 < nameSize) {
            name[used++] = (char)toupper((unsigned char)*p);
        }
        ++p;
    }
    while (used > 0 && name[used - 1] == ' ')
        --used;
    name[used] = '\0';
    if (*p != '(')
        return;
    ++p;
    while (*argumentCount < 2) {
        while (isspace((unsigned char)*p))
            ++p;
        if (!isdigit((unsigned char)*p))
            return;
        arguments[(*argumentCount)++] = strtoll(p, (char**)&p, 10);
        while (isspace((unsigned char)*p))
            ++p;
        if (*p != ',')
            return;
        ++p;
    }
}

/* Declared types of no known name are judged the way SQLite judges their affinity. */
static ColumnType typeByAffinity(const char* name, sqlite3_int64 arguments[2], int argumentCount)
{
    ColumnType type = {DOMAIN_NUMERIC, 30, 6};
    if (strstr(name, "INT")) {
        type.domain = DOMAIN_INTEGER;
        type.width = 4;
        type.scale = 0;
    } else if (strstr(name, "CHAR") || strstr(name, "CLOB") || strstr(name, "TEXT") ||
               name[0] == '\0') {
        type.domain = argumentCount > 0 ? DOMAIN_VARCHAR : DOMAIN_LONG_VARCHAR;
        type.width = argumentCount > 0 ? arguments[0] : LONG_WIDTH;
        type.scale = 0;
    } else if (strstr(name, "BLOB")) {
        type.domain = DOMAIN_LONG_BINARY;
        type.width = LONG_WIDTH;
        type.scale = 0;
    } else if (strstr(name, "REAL") || strstr(name, "FLOA") || strstr(name, "DOUB")) {
        type.domain = DOMAIN_DOUBLE;
        type.width = 8;
        type.scale = 0;
    }
    return type;
}

static ColumnType columnType(const char* declared)
{
    char name[64];
    sqlite3_int64 arguments[2] = {0, 0};
    int argumentCount = 0;
    parseDeclaredType(declared, name, sizeof name, arguments, &argumentCount);
    for (size_t i = 0; i < sizeof typeRules / sizeof typeRules[0]; ++i) {
        const TypeRule* rule = &typeRules[i];
        if (strcmp(rule->name, name) != 0)
            continue;
        ColumnType type = {rule->domain, rule->width, rule->scale};
        if (rule->domain == DOMAIN_FLOAT && argumentCount > 0 && arguments[0] > 24) {
            /* A float of more than single precision is a double to the engine. */
            type.domain = DOMAIN_DOUBLE;
            type.width = 8;
        } else if (rule->sized && argumentCount > 0) {
            type.width = arguments[0];
            if (rule->domain == DOMAIN_NUMERIC || rule->domain == DOMAIN_DECIMAL)
                type.scale = argumentCount > 1 ? arguments[1] : 0;
        }
        return type;
    }
    return typeByAffinity(name, arguments, argumentCount);
}

static void domainIdFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    sqlite3_result_int(ctx, columnType((const char*)sqlite3_value_text(argv[0])).domain);
}

static void domainWidthFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    sqlite3_result_int64(ctx, columnType((const char*)sqlite3_value_text(argv[0])).width);
}

static void domainScaleFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    sqlite3_result_int64(ctx, columnType((const char*)sqlite3_value_text(argv[0])).scale);
}

static void domainNameFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    sqlite3_int64 id = sqlite3_value_int64(argv[0]);
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL && id >= 1 && id <= DOMAIN_COUNT)
        sqlite3_result_text(ctx, domainNames[id], -1, SQLITE_STATIC);
}

static void domainCountFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    (void)argc;
    (void)argv;
    sqlite3_result_int(ctx, DOMAIN_COUNT);
}

int varrowRegisterCatalogueFunctions(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_function(db, "varrow_domain_id", 1, flags, 0, domainIdFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "varrow_domain_width", 1, flags, 0, domainWidthFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "varrow_domain_scale", 1, flags, 0, domainScaleFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "varrow_domain_name", 1, flags, 0, domainNameFunc, 0, 0);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function(db, "varrow_domain_count", 0, flags, 0, domainCountFunc, 0, 0);
    return rc;
}
