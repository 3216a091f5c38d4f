#pragma once

#include <sql.h>

// The one ODBC 3 environment of the process. Allocated on first use and kept until the
// process ends; throws DbError when the driver manager cannot provide it.
class OdbcEnvironment
{
public:
    static SQLHENV handle();
};
