#pragma once

#include "sqlite/SqlStatement.h"

#include <optional>

// "set [temporary] option [public.]blocking_timeout = n" becomes SQLite's busy timeout: how
// long a statement waits for a lock another connection holds before it fails, n milliseconds
// in all (0: without end, as the engine has it).
//
// The SQLite ODBC driver tries a statement that met a lock once more on its own, for as long
// as the data source's Timeout key allows; with Timeout=1 that is exactly one more try, so
// each try gets half of n.
class OptionRule
{
public:
    // The statement for a "set option", else nothing. Throws DbError for an option the
    // stand-in does not carry, or a value that is no number of milliseconds.
    static std::optional<QString> rewrite(const SqlStatement& statement);
    // The milliseconds of a "set option blocking_timeout" (0: without end), else nothing;
    // the same refusals as rewrite. For engines that take the wait whole.
    static std::optional<qint64> blockingTimeout(const SqlStatement& statement);
};
