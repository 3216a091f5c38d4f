#pragma once

#include "db/DbError.h"
#include "db/DbErrors.h"

#include <QByteArray>
#include <QString>
#include <sql.h>

// Reading ODBC results into DbError. Texts cross the narrow ODBC calls as UTF-8, every byte
// kept (OdbcText).
namespace OdbcDiagnostics {

// Every diagnostic record of the handle as one DbError: the first error record (or the first
// record) gives the native number and SQLSTATE, all messages make up the description.
// `call` names the failed function for the rare driver that leaves no record.
DbError read(SQLSMALLINT handleType, SQLHANDLE handle, const char* call);

// Throws read(...) unless rc reports success (SQL_NO_DATA counts as success when allowed).
void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* call,
           bool noDataIsSuccess = false);

QString fromOdbcText(const SQLCHAR* text, qsizetype length);
QByteArray toOdbcText(const QString& text);

} // namespace OdbcDiagnostics
