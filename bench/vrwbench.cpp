// vrwbench: measures the unattended transfer's throughput. Each measurement makes a demo
// workspace, logs the asked number of pending rows on its remote copy (column changes spread
// over the record tables, or new items with their calibrations, standards, results and
// locations), runs vrw1 -TRANSFER on it without windows, and prints one line: the pending
// rows, the run's wall time, the time from the first progress line to the end, the rows per
// second of that phase, vrw1's peak resident memory, and for column changes the rate of a
// plain loop of the same literal updates sent to the same master through the same ODBC stack.
// The master is a SQLite file, or with --master postgresql a database of a PostgreSQL server
// (--pg-host: a socket folder or host; bench/run starts a private cluster for it).

#include "copy/SqlLiteral.h"
#include "db/DbError.h"
#include "db/OdbcConnection.h"
#include "schema/DemoOptions.h"
#include "schema/DemoWorkspace.h"
#include "schema/PostgresDatabase.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"
#include "schema/SqliteStatement.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

// A record table whose text columns the column changes go to.
struct ChangedTable
{
    const char* table;
    const char* key;
};

constexpr ChangedTable changedTables[] = {
    {"inventory", "mtag"}, {"calibration", "ctag"}, {"location", "ltag"},
    {"repair", "rtag"},    {"customers", "ktag"},
};

// The text columns of a table that a change may go to: not keys, wide enough for the marker.
QStringList changeableColumns(SqliteDatabase& db, const ChangedTable& t)
{
    QStringList columns;
    for (const QVariantList& row :
         db.rows(QStringLiteral("select name,type from pragma_table_info('%1')")
                     .arg(QLatin1String(t.table)))) {
        const QString name = row.at(0).toString();
        const QString type = row.at(1).toString().toUpper();
        static const QRegularExpression text(QStringLiteral("^(VAR)?CHAR\\((\\d+)\\)$"));
        const QRegularExpressionMatch m = text.match(type);
        if (!m.hasMatch() || m.captured(2).toInt() < 12 || name == QLatin1String(t.key) ||
            name == QLatin1String("mtag") || name == QLatin1String("ktag"))
            continue;
        columns << name;
    }
    return columns;
}

// Logs `count` column changes on the remote, spread evenly over the record tables, one
// column of many rows at a time. Returns the number logged.
qint64 logColumnChanges(SqliteDatabase& remote, qint64 count)
{
    const qint64 perTable = count / std::size(changedTables);
    qint64 logged = 0;
    int tableIndex = 0;
    for (const ChangedTable& t : changedTables) {
        const qint64 want = perTable + (tableIndex++ == 0 ? count % std::size(changedTables) : 0);
        const qint64 rows =
            remote.scalar(QStringLiteral("select count(*) from %1").arg(QLatin1String(t.table)))
                .toLongLong();
        qint64 done = 0;
        int pass = 0;
        const QStringList columns = changeableColumns(remote, t);
        while (done < want && !columns.isEmpty()) {
            const QString column = columns.at(pass % columns.size());
            const qint64 take = std::min(rows, want - done);
            remote.exec(QStringLiteral("update %1 set %2='bench %3 '||rowid where rowid in "
                                       "(select rowid from %1 order by rowid limit %4)")
                            .arg(QLatin1String(t.table), column)
                            .arg(pass)
                            .arg(take));
            done += take;
            ++pass;
        }
        logged += done;
    }
    return logged;
}

// Logs new items with their records: per item one inventory row, one calibration, two
// standards, two calibration results, one result and one location, eight rows in all.
qint64 logNewRecords(SqliteDatabase& remote, qint64 count)
{
    const qint64 items = std::max<qint64>(1, count / 8);
    const QString series =
        QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<%1) ")
            .arg(items);
    const QString standard = remote.scalar(QStringLiteral("select min(mtag) from inventory"))
                                 .toString()
                                 .replace(QLatin1Char('\''), QStringLiteral("''"));
    remote.exec(
        series +
        QStringLiteral("insert into inventory(mtag,i4201,i4202) select 'BN'||i,"
                       "'BENCH-'||i,'Bench item' from n;") +
        series +
        QStringLiteral("insert into calibration(ctag,mtag,c2301,c2339) select 'BC'||i,'BN'||i,"
                       "'2026-01-05',1 from n;") +
        series +
        QStringLiteral("insert into standards(ctag,c2430,mtag) select 'BC'||i,'%1','BN'||i "
                       "from n;")
            .arg(standard) +
        series +
        QStringLiteral("insert into standards(ctag,c2430,mtag) select 'BC'||i,'BN'||i,'BN'||i "
                       "from n;") +
        series +
        QStringLiteral("insert into calresults(ctag,c2502,mtag) select 'BC'||i,1,'BN'||i from n;") +
        series +
        QStringLiteral("insert into calresults(ctag,c2502,mtag) select 'BC'||i,2,'BN'||i from n;") +
        series +
        QStringLiteral("insert into results(ctag,row_num,mtag) select 'BC'||i,1,'BN'||i from n;") +
        series +
        QStringLiteral("insert into location(ltag,mtag,l2809,l2815) select 'BL'||i,'BN'||i,"
                       "'2026-01-05',1 from n"));
    return items * 8;
}

struct RunResult
{
    int status = -1;
    double wall = 0;
    double phase = 0;
    long peakKb = 0;
};

// The peak resident memory of a running process, in kB (0 once it has exited). The child's
// ru_maxrss would not do: it counts the pages it shared with this process before its exec, and
// this process holds the whole workspace it generated.
long residentPeakKb(pid_t process)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(process));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Runs vrw1 -TRANSFER headless on the workspace; the phase starts with its first progress
// line on standard error. Its peak memory is read while it runs, every few milliseconds.
RunResult runTransfer(const QString& binDir, const DemoWorkspace::Report& report)
{
    const QByteArray program = QDir(binDir).filePath(QStringLiteral("vrw1")).toLocal8Bit();
    const QByteArray keys = "MDSN=VarrowMaster;MUID=mt;MPWD=sql;RDSN=VarrowRemote;RUID=mt;RPWD=sql";
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    QElapsedTimer clock;
    clock.start();
    const pid_t child = fork();
    if (child == 0) {
        setenv("VARROW_HEADLESS", "1", 1);
        setenv("ODBCSYSINI", report.directory.toLocal8Bit().constData(), 1);
        setenv("ODBCINI", report.odbcIni.toLocal8Bit().constData(), 1);
        dup2(pipeFds[1], STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        close(pipeFds[0]);
        if (chdir(binDir.toLocal8Bit().constData()) != 0)
            _exit(127);
        execl(program.constData(), program.constData(), "-TRANSFER", keys.constData(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    RunResult result;
    qint64 phaseStart = -1;
    QByteArray pending;
    char buffer[4096];
    for (;;) {
        pollfd output{pipeFds[0], POLLIN, 0};
        const int ready = poll(&output, 1, 20);
        result.peakKb = std::max(result.peakKb, residentPeakKb(child));
        if (ready == 0 || (ready < 0 && errno == EINTR))
            continue;
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        pending.append(buffer, n);
        if (phaseStart < 0 && pending.contains("%] "))
            phaseStart = clock.nsecsElapsed();
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const qint64 end = clock.nsecsElapsed();
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.wall = end / 1e9;
    result.phase = (end - (phaseStart < 0 ? 0 : phaseStart)) / 1e9;
    if (result.status != 0) {
        const QList<QByteArray> lines = pending.trimmed().split('\n');
        for (qsizetype i = std::max<qsizetype>(0, lines.size() - 5); i < lines.size(); ++i)
            out() << "  vrw1: " << QString::fromLocal8Bit(lines.at(i)) << '\n';
    }
    return result;
}

QString literal(const QVariant& value)
{
    return value.isNull() ? QStringLiteral("NULL") : sqlText(value.toString());
}

// One value of the master: the query, and the key it takes.
using MasterValue = std::function<QVariant(const QString& query, const QString& key)>;

// The updates the transfer carried, as plain literal statements with the master's values.
QStringList plainStatements(const QList<QVariantList>& changes, const MasterValue& valueOf)
{
    QStringList statements;
    statements.reserve(changes.size());
    for (const QVariantList& change : changes) {
        const QString table = change.at(0).toString().toLower();
        const QString key = change.at(1).toString();
        const QString column = change.at(2).toString();
        QString keyColumn;
        for (const ChangedTable& t : changedTables)
            if (table == QLatin1String(t.table))
                keyColumn = QLatin1String(t.key);
        const QVariant value = valueOf(
            QStringLiteral("select %1 from %2 where %3=").arg(column, table, keyColumn), key);
        statements << QStringLiteral("update mt.%1 set %2=%3 where %4=%5;commit")
                          .arg(table, column, literal(value), keyColumn, literal(key));
    }
    return statements;
}

// Sends the statements one by one through the program's data-access layer; rows per second.
double plainLoopRate(const QStringList& statements)
{
    OdbcConnection connection;
    connection.setConnectionString(QStringLiteral("DSN=VarrowMaster"));
    connection.open(QStringLiteral("mt"), QStringLiteral("sql"));
    if (connection.state() != 1)
        return 0;
    QElapsedTimer clock;
    clock.start();
    for (const QString& statement : statements)
        connection.execute(statement);
    const double seconds = clock.nsecsElapsed() / 1e9;
    return seconds > 0 ? statements.size() / seconds : 0;
}

struct Master
{
    QString engine; // sqlite or postgresql
    QString host;   // PostgreSQL's socket folder or host; empty: libpq's default
};

bool measure(const QString& kind, qint64 pending, int items, const QString& binDir,
             const QString& directory, bool prepareOnly, const Master& engine)
{
    DemoOptions options;
    if (engine.engine == QLatin1String("postgresql")) {
        options.postgresMaster = true;
        options.postgresHost = engine.host;
        options.postgresDatabase = QStringLiteral("caldata_bench");
    }
    options.items = items;
    options.remote = DemoOptions::Remote::Untouched;
    options.overwrite = true;
    const DemoWorkspace::Report report = DemoWorkspace::create(directory, options);
    qint64 logged = 0;
    QList<QVariantList> changes;
    {
        SqliteDatabase remote(report.remoteFile, SqliteDatabase::Mode::OpenExisting);
        remote.loadExtension(report.extension);
        logged = kind == QLatin1String("modified") ? logColumnChanges(remote, pending)
                                                   : logNewRecords(remote, pending);
        if (kind == QLatin1String("modified"))
            changes = remote.rows(QStringLiteral(
                "select affected_table,xtag,affected_column from qel_vr_log where action='UPD'"));
    }
    qputenv("ODBCSYSINI", report.directory.toLocal8Bit());
    qputenv("ODBCINI", report.odbcIni.toLocal8Bit());
    if (prepareOnly) {
        out() << QStringLiteral("%1 pending=%2: ODBCSYSINI=%3 ODBCINI=%4 VARROW_HEADLESS=1 "
                                "%5/vrw1 -TRANSFER \"MDSN=VarrowMaster;MUID=mt;MPWD=sql;"
                                "RDSN=VarrowRemote;RUID=mt;RPWD=sql\"")
                     .arg(kind)
                     .arg(logged)
                     .arg(report.directory, report.odbcIni, binDir)
              << Qt::endl;
        return true;
    }

    const RunResult run = runTransfer(binDir, report);
    QString loop = QStringLiteral("-");
    QString ratio = QStringLiteral("-");
    const double rate = run.phase > 0 ? logged / run.phase : 0;
    if (!changes.isEmpty()) {
        QStringList statements;
        if (options.postgresMaster) {
            PostgresDatabase master({engine.host, {}, options.postgresDatabase, {}, {}});
            statements =
                plainStatements(changes, [&master](const QString& query, const QString& key) {
                    const std::optional<QString> value = master.scalar(QStringLiteral("%1%2").arg(
                        QString(query).replace(QLatin1String(" from "), QLatin1String(" from mt.")),
                        master.literal(key)));
                    return value ? QVariant(*value) : QVariant();
                });
        } else {
            SqliteDatabase master(report.masterFile, SqliteDatabase::Mode::OpenExisting);
            statements =
                plainStatements(changes, [&master](const QString& query, const QString& key) {
                    SqliteStatement& read = master.cached(query + QLatin1Char('?'));
                    read.reset();
                    read.bind(1, key);
                    const QVariant value = read.step() ? read.value(0) : QVariant();
                    read.reset();
                    return value;
                });
        }
        const double loopRate = plainLoopRate(statements);
        loop = QString::number(loopRate, 'f', 0);
        ratio = loopRate > 0 ? QString::number(rate / loopRate, 'f', 2) : QStringLiteral("-");
    }
    out() << QStringLiteral("master=%11 %1 pending=%2 wall=%3s transfer=%4s rows/s=%5 "
                            "wall-rows/s=%6 peak-rss=%7MB plain-loop/s=%8 ratio=%9 status=%10")
                 .arg(kind)
                 .arg(logged)
                 .arg(run.wall, 0, 'f', 2)
                 .arg(run.phase, 0, 'f', 2)
                 .arg(rate, 0, 'f', 0)
                 .arg(run.wall > 0 ? logged / run.wall : 0, 0, 'f', 0)
                 .arg(run.peakKb / 1024.0, 0, 'f', 1)
                 .arg(loop, ratio)
                 .arg(run.status)
                 .arg(engine.engine)
          << Qt::endl;
    return run.status == 0;
}

QList<qint64> sizes(const QString& text)
{
    QList<qint64> list;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        list << part.trimmed().toLongLong();
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vrwbench"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Measures the unattended transfer: one line per size of each kind asked for."));
    parser.addHelpOption();
    const QCommandLineOption modified(QStringLiteral("modified"),
                                      QStringLiteral("Pending column changes, comma-separated."),
                                      QStringLiteral("N,..."));
    const QCommandLineOption added(QStringLiteral("new"),
                                   QStringLiteral("Pending new rows, comma-separated."),
                                   QStringLiteral("N,..."));
    const QCommandLineOption items(
        QStringLiteral("items"),
        QStringLiteral("Items of the demo master (default: enough for the size)."),
        QStringLiteral("N"));
    const QCommandLineOption dir(QStringLiteral("dir"),
                                 QStringLiteral("Workspace folder (default: a temporary one)."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption prepare(
        QStringLiteral("prepare-only"),
        QStringLiteral("Make the workspace of the one size asked for (give --dir) and print the "
                       "command that would be measured, for a profiler."));
    const QCommandLineOption master(
        QStringLiteral("master"),
        QStringLiteral("Engine of the master: sqlite (default) or postgresql. One per run: the "
                       "ODBC driver manager reads a process's data sources once."),
        QStringLiteral("ENGINE"), QStringLiteral("sqlite"));
    const QCommandLineOption pgHost = postgresHostOption();
    parser.addOptions({modified, added, items, dir, prepare, master, pgHost});
    parser.process(app);

    QTemporaryDir temporary;
    const QString directory = parser.isSet(dir) ? parser.value(dir) : temporary.path();
    const QString binDir = QCoreApplication::applicationDirPath();
    bool ok = true;
    try {
        for (const QString& engine : {parser.value(master)}) {
            if (engine != QLatin1String("sqlite") && engine != QLatin1String("postgresql")) {
                QTextStream(stderr) << "vrwbench: --master is sqlite or postgresql\n";
                return 2;
            }
            for (const auto& [kind, option] : {std::pair{QStringLiteral("modified"), &modified},
                                               std::pair{QStringLiteral("new"), &added}}) {
                for (const qint64 size : sizes(parser.value(*option))) {
                    // Enough rows of every table for the changes asked for.
                    const int itemsFor = parser.isSet(items)
                                             ? parser.value(items).toInt()
                                             : int(std::clamp<qint64>(size / 30, 300, 30000));
                    ok = measure(kind, size, itemsFor, binDir, directory, parser.isSet(prepare),
                                 {engine, parser.value(pgHost)}) &&
                         ok;
                }
            }
        }
    } catch (const SchemaError& e) {
        QTextStream(stderr) << "vrwbench: " << e.message() << '\n';
        return 1;
    } catch (const DbError& e) {
        QTextStream(stderr) << "vrwbench: " << e.description() << '\n';
        return 1;
    }
    return ok ? 0 : 1;
}
