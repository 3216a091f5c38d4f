#pragma once

#include <QString>

struct CopyContext;

// Copies the rows of a select into a table, one literal insert (with its own commit) per
// row. mode "M" reads the Master Database and writes the Remote Database, "R" the other way
// round; anything else ("F") reads and writes the Master Database. destTable is used as
// written, in the insert and to find each column's format. A row that fails goes to
// syncerr.log and the copy goes on; returns the number of rows inserted (0 after a lost
// connection, which is reported and ends the copy).
long CopyToDestTable(const CopyContext& context, const QString& selectStatement,
                     const QString& destTable, const QString& mode);
