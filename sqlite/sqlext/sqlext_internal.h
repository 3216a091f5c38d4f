/* Shared by the extension's source files; each registers its own functions. */
#ifndef VARROW_SQLEXT_INTERNAL_H
#define VARROW_SQLEXT_INTERNAL_H

#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3

int varrowRegisterTextFunctions(sqlite3* db);
int varrowRegisterCatalogueFunctions(sqlite3* db);
int varrowRegisterSessionFunctions(sqlite3* db);
int varrowRegisterLoginFunctions(sqlite3* db);
int varrowRegisterValueFunctions(sqlite3* db);

/* Case-insensitive for ASCII letters only, as SQLite's NOCASE collation compares. */
int varrowAsciiEqualNoCase(const unsigned char* a, const unsigned char* b, int length);

#endif
