#pragma once

#include <QString>

// The master engine of a test run: the scenario tests run once with a SQLite master and once
// with a PostgreSQL one (CTest sets VARROW_TEST_MASTER=postgresql for the second run).
namespace testsupport {

bool postgresMaster();

// The process's private PostgreSQL cluster (scripts/pg-cluster in a temporary folder),
// started on first use and stopped when the process ends. Empty, with the reason in whyNot,
// when it cannot be started.
QString postgresSocketFolder(QString* whyNot = nullptr);

// The same, except that a process whose cluster cannot be started ends here, as skipped,
// saying why.
QString postgresSocketFolderOrSkip();

// A database name no other workspace of this process uses.
QString newPostgresDatabaseName();

// A condition that picks the transfer-history row written last: SQLite's highest row number,
// PostgreSQL's row of the latest transaction (each run writes its row in one of its own).
QString newestHistoryRow();

// The exit status CTest counts as "skipped" (SKIP_RETURN_CODE of the PostgreSQL runs).
inline constexpr int SkippedExitCode = 77;

} // namespace testsupport
