#pragma once

#include "db/DbError.h"

#include <QString>

// The failures the data-access layer raises itself (not the engine). The numbers are the
// classic ADO error numbers, so a report reads the same whichever layer noticed the fault.
namespace DbErrors {

inline constexpr long ObjectClosed = 3704;      // the result set (or connection) is closed
inline constexpr long ObjectOpen = 3705;        // the connection is open already
inline constexpr long NoCurrentRecord = 3021;   // BOF or EOF is true
inline constexpr long ItemNotFound = 3265;      // no such field
inline constexpr long NotSupported = 3251;      // the cursor cannot do that
inline constexpr long DriverFailure = 3000;     // an ODBC call failed without a diagnostic
inline constexpr long DataSourceMissing = 3706; // no data source (provider) to connect to

// The connection is closed or was lost; the description contains "not connected".
DbError notConnected();
DbError resultSetClosed();
DbError alreadyOpen();
DbError noCurrentRecord();
DbError fieldNotFound(const QString& nameOrIndex);
DbError notSupported(const QString& what);
// A connection string whose data source is empty: never given to the driver manager, which
// would fall back on a default data source (or a driver on a file of its own choosing).
DbError noDataSource();

// A statement that gave up waiting for a lock another program holds on `what` ("the database
// of data source X"): the description says so in words the error reporter recognises.
DbError lockedByAnotherProgram(const DbError& error, const QString& what);

// True for a failed connect that trying again cannot mend: a login the engine refused (class
// 28) or a data source or driver the driver manager does not know (class IM).
bool isRefusedConnect(const QString& sqlstate);
// True for a SQLSTATE of class 08 (connection exception).
bool isConnectionState(const QString& sqlstate);
// The description of a connection-class diagnostic, made to contain "not connected" so the
// error reporter recognises a lost connection whatever wording the driver chose.
QString markNotConnected(const QString& description);

} // namespace DbErrors
