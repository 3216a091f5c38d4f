#pragma once

#include <QStringList>

// The engine's catalogue tables as temporary views of one connection: systable, syscolumn
// and sysdomain, derived from SQLite's schema and each column's declared type through the
// extension's catalogue helpers. Internal objects (sqlite_*, varrow_*) are not listed.
class SqliteCatalogue
{
public:
    // Statements that create the views; each is harmless when the view exists already.
    static QStringList viewDefinitions();
};
