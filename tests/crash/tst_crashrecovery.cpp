#include "schema/CalibrationSchema.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"
#include "tests/support/TestMain.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>
#include <atomic>
#include <thread>
#include <vector>

// vrw1's unattended transfer killed with SIGKILL at chosen statements of a run on a demo
// workspace with column changes, then run again to its end. Whatever the kill interrupted, the
// two runs together must leave what one uninterrupted run leaves: every changed column equal
// on both sides, the change log empty, one transfer-history row for the work, and two sound
// database files.
//
// The kill comes from varrow_statementkill, preloaded into vrw1: it counts the statements the
// program sends and kills the process before or after statement N. One uninterrupted run with
// its statement log first maps the run; the kill points are picked from that map. Each point
// gets a workspace and a HOME of its own, so several points run at once.
//
// The environment can make the test bigger (scripts/crash-test does):
//   VARROW_CRASH_ITEMS   inventory items of the demo workspace (vrwdemo --items; default 20)
//   VARROW_CRASH_POINTS  kill points (default 12); "all": after every statement that writes
//   VARROW_CRASH_JOBS    points run at once (default 6)
class TestCrashRecovery : public QObject
{
    Q_OBJECT

    // One statement of a run, as the preloaded library logged it.
    struct Statement
    {
        int number = 0;
        QString text;
    };

    // Where a run is killed; statement 0 is the uninterrupted run.
    struct KillPoint
    {
        QString name;
        int statement = 0;
        bool before = false;
    };

    // A column change that the remote's change log held before the first run: the table, the
    // column, and the key columns with the values that find its rows (a validation field's
    // change concerns every value of the field).
    struct LoggedChange
    {
        QString table, column;
        QStringList keyColumns;
        QVariantList keyValues;
    };

    struct Process
    {
        bool started = false;
        bool finished = false; // false: still running after the time allowed, then killed
        bool crashed = false;  // ended by a signal
        int status = -1;
        QString err;
    };

    // Everything one kill point ran and found before the checks.
    struct PointRun
    {
        KillPoint point;
        QString folder;
        QString setupError;
        QList<LoggedChange> changes;
        int historyBefore = 0;
        Process killed, rerun;
    };

    static constexpr int processTimeoutMs = 120000;

    QString m_root;
    int m_items = 20;
    QList<Statement> m_map;
    PointRun m_uninterrupted;
    QList<PointRun> m_runs;
    QString m_currentFolder;

    static QString program(const char* name)
    {
        return QDir(testsupport::binaryDir()).filePath(QLatin1String(name));
    }

    static int setting(const char* name, int fallback)
    {
        bool ok = false;
        const int value = qEnvironmentVariableIntValue(name, &ok);
        return ok && value > 0 ? value : fallback;
    }

    static Process runProcess(const QString& executable, const QStringList& arguments,
                              const QProcessEnvironment& environment)
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(testsupport::binaryDir());
        process.start(executable, arguments);
        Process result;
        result.started = process.waitForStarted(processTimeoutMs);
        if (!result.started) {
            result.err = process.errorString();
            return result;
        }
        process.closeWriteChannel();
        result.finished = process.waitForFinished(processTimeoutMs);
        if (!result.finished) {
            process.kill();
            process.waitForFinished();
        }
        result.crashed = process.exitStatus() == QProcess::CrashExit;
        result.status = process.exitCode();
        result.err = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

    static QString describe(const Process& process)
    {
        if (!process.started)
            return QStringLiteral("did not start: ") + process.err;
        QString text =
            !process.finished
                ? QStringLiteral("still running after %1 s, killed").arg(processTimeoutMs / 1000)
            : process.crashed ? QStringLiteral("ended by a signal")
                              : QStringLiteral("exit status %1").arg(process.status);
        if (!process.err.isEmpty())
            text += QStringLiteral("; standard error:\n") + process.err.right(2000);
        return text;
    }

    static QString workspaceOf(const QString& folder) { return folder + QStringLiteral("/ws"); }
    static QString statementLogOf(const QString& folder)
    {
        return folder + QStringLiteral("/statements.log");
    }
    static QString masterFileOf(const QString& folder)
    {
        return workspaceOf(folder) + QStringLiteral("/master/caldata.db");
    }
    static QString remoteFileOf(const QString& folder)
    {
        return workspaceOf(folder) + QStringLiteral("/remote/caldata.db");
    }

    // The environment of every program the test starts for one point: a private HOME, the
    // point's own ODBC configuration, no window, and none of the preloaded library's settings
    // unless asked for.
    static QProcessEnvironment environmentOf(const QString& folder)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString home = folder + QStringLiteral("/home");
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
        environment.insert(QStringLiteral("ODBCSYSINI"), workspaceOf(folder));
        environment.insert(QStringLiteral("ODBCINI"),
                           workspaceOf(folder) + QStringLiteral("/odbc.ini"));
        environment.insert(QStringLiteral("VARROW_HEADLESS"), QStringLiteral("1"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const char* name :
             {"LD_PRELOAD", "VARROW_KILL_AFTER", "VARROW_KILL_BEFORE", "VARROW_STATEMENT_LOG"})
            environment.remove(QLatin1String(name));
        return environment;
    }

    // vrw1 -TRANSFER on the point's workspace; with a statement log or a kill point, with the
    // preloaded library.
    static Process transfer(const QString& folder, const KillPoint& kill, bool logStatements)
    {
        QProcessEnvironment environment = environmentOf(folder);
        if (logStatements || kill.statement > 0) {
            environment.insert(QStringLiteral("LD_PRELOAD"),
                               QStringLiteral(VARROW_STATEMENT_KILL_LIBRARY));
            // An instrumented vrw1 wants the sanitizer runtime first in the library list.
            QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
            environment.insert(QStringLiteral("ASAN_OPTIONS"),
                               asan + (asan.isEmpty() ? QString() : QStringLiteral(":")) +
                                   QStringLiteral("verify_asan_link_order=0"));
        }
        if (logStatements)
            environment.insert(QStringLiteral("VARROW_STATEMENT_LOG"), statementLogOf(folder));
        if (kill.statement > 0)
            environment.insert(kill.before ? QStringLiteral("VARROW_KILL_BEFORE")
                                           : QStringLiteral("VARROW_KILL_AFTER"),
                               QString::number(kill.statement));
        return runProcess(program("vrw1"),
                          {QStringLiteral("-TRANSFER"),
                           QStringLiteral("MDSN=VarrowMaster;MUID=mt;MPWD=sql;RDSN=VarrowRemote;"
                                          "RUID=mt;RPWD=sql")},
                          environment);
    }

    static QList<Statement> readStatementLog(const QString& path)
    {
        QList<Statement> statements;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return statements;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const qsizetype tab = line.indexOf('\t');
            if (tab > 0)
                statements.append({line.left(tab).toInt(), QString::fromUtf8(line.mid(tab + 1))});
        }
        return statements;
    }

    // The rows of a logged change's table that the change concerns, keys first, each value
    // with its type and in a form that keeps every bit: reals as quote() writes them (exact),
    // anything else as the hex of its bytes (so letter case and invalid UTF-8 count).
    static QStringList changedValues(SqliteDatabase& db, const LoggedChange& change)
    {
        QStringList conditions;
        for (const QString& key : change.keyColumns)
            conditions.append(key + QStringLiteral("=?"));
        const QString value = QStringLiteral("typeof(%1)||':'||case typeof(%1) when 'real' then "
                                             "quote(%1) else hex(%1) end")
                                  .arg(change.column);
        const TableDefinition& table = CalibrationSchema::table(change.table);
        QStringList shown;
        for (const QString& key : table.primaryKey)
            shown.append(QStringLiteral("quote(%1)").arg(key));
        QStringList rows;
        for (const QVariantList& row :
             db.rows(QStringLiteral("select %1||' = '||%2 from %3 where %4 order by %5")
                         .arg(shown.join(QStringLiteral("||','||")), value, change.table,
                              conditions.join(QStringLiteral(" and ")),
                              table.primaryKey.join(QLatin1Char(','))),
                     change.keyValues))
            rows.append(row.value(0).toString());
        return rows;
    }

    // The column changes the remote's change log holds, found as the schema says each table
    // logs its rows.
    static QList<LoggedChange> loggedChanges(SqliteDatabase& remote, QString& error)
    {
        QList<LoggedChange> changes;
        QSet<QString> seen;
        for (const QVariantList& row : remote.rows(QStringLiteral(
                 "select lower(affected_table),xtag,xtag_additional,affected_column,i4201 "
                 "from qel_vr_log where action='UPD' order by event_date,rowid"))) {
            const QString tableName = row.at(0).toString();
            LoggedChange change;
            change.table = tableName;
            const TableDefinition* table = nullptr;
            try {
                table = &CalibrationSchema::table(tableName);
            } catch (const SchemaError& e) {
                error = e.message();
                return {};
            }
            change.keyColumns.append(table->xtagColumn);
            change.keyValues.append(row.at(1));
            switch (table->logForm) {
            case ChangeLogForm::Keyed:
                change.column = row.at(3).toString();
                if (!table->xtagAdditionalColumn.isEmpty()) {
                    change.keyColumns.append(table->xtagAdditionalColumn);
                    change.keyValues.append(row.at(2));
                }
                break;
            case ChangeLogForm::ValidationField:
                change.column = row.at(2).toString();
                break;
            case ChangeLogForm::ValidationLink:
                change.column = row.at(3).toString();
                change.keyColumns.append(table->xtagAdditionalColumn);
                change.keyValues.append(row.at(4));
                break;
            case ChangeLogForm::None:
                error = QStringLiteral("the change log names table %1, which is not logged")
                            .arg(tableName);
                return {};
            }
            if (!table->column(change.column)) {
                error = QStringLiteral("the change log names column %1, which table %2 lacks")
                            .arg(change.column, tableName);
                return {};
            }
            QString identity = change.table + QLatin1Char('.') + change.column;
            for (const QVariant& key : std::as_const(change.keyValues))
                identity += QLatin1Char('|') + key.toString();
            if (!seen.contains(identity)) {
                seen.insert(identity);
                changes.append(change);
            }
        }
        return changes;
    }

    static int synchronizeRows(SqliteDatabase& master)
    {
        return master
            .scalar(QStringLiteral(
                "select count(*) from qel_vr_transfer_log where transfer_type='Synchronize'"))
            .toInt();
    }

    // A fresh workspace (vrwdemo) for one point, and what its remote's change log holds.
    void prepare(PointRun& run) const
    {
        QDir().mkpath(run.folder + QStringLiteral("/home"));
        const Process demo = runProcess(program("vrwdemo"),
                                        {workspaceOf(run.folder), QStringLiteral("--force"),
                                         QStringLiteral("--remote"), QStringLiteral("updates"),
                                         QStringLiteral("--items"), QString::number(m_items),
                                         QStringLiteral("--quiet")},
                                        environmentOf(run.folder));
        if (demo.crashed || !demo.finished || demo.status != 0) {
            run.setupError = QStringLiteral("vrwdemo failed: ") + describe(demo);
            return;
        }
        try {
            SqliteDatabase remote(remoteFileOf(run.folder), SqliteDatabase::Mode::OpenExisting);
            run.changes = loggedChanges(remote, run.setupError);
            if (run.setupError.isEmpty() && run.changes.isEmpty())
                run.setupError = QStringLiteral("the demo's change log holds no column change");
            SqliteDatabase master(masterFileOf(run.folder), SqliteDatabase::Mode::OpenExisting);
            run.historyBefore = synchronizeRows(master);
        } catch (const SchemaError& e) {
            run.setupError = e.message();
        }
    }

    // Kills the transfer at the point, then runs it again to its end.
    void killAndRerun(PointRun& run) const
    {
        prepare(run);
        if (!run.setupError.isEmpty())
            return;
        run.killed = transfer(run.folder, run.point, true);
        run.rerun = transfer(run.folder, {}, false);
    }

    static bool isWrite(const QString& text)
    {
        static const QRegularExpression write(QStringLiteral("^\\s*(insert|update|delete)\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
        return write.match(text).hasMatch();
    }

    // The last statement of the map that matches, before statement `before` (0: anywhere).
    int lastMatching(const QString& pattern, int before = 0) const
    {
        const QRegularExpression expression(pattern, QRegularExpression::CaseInsensitiveOption);
        int found = 0;
        for (const Statement& statement : m_map)
            if ((before == 0 || statement.number < before) &&
                expression.match(statement.text).hasMatch())
                found = statement.number;
        return found;
    }

    // A statement's text with its timestamps blanked out: two runs stamp their own times.
    static QString withoutTimes(const QString& text)
    {
        static const QRegularExpression time(
            QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d(\\.\\d+)?"));
        return QString(text).replace(time, QStringLiteral("<time>"));
    }

    // The points where a run is killed: the moments right after the last change-log row is
    // marked, after the marked rows get the run's stop time, after they are deleted, after the
    // change log is emptied, and on either side of the history row; the others spread evenly over
    // the statements that write, where a kill can leave something half done.
    QList<KillPoint> choosePoints(int wanted, QString& error) const
    {
        const int history =
            lastMatching(QStringLiteral("^insert\\s+into\\s+(mt\\.)?qel_vr_transfer_log\\b"));
        const int lastMark = lastMatching(
            QStringLiteral("^update\\s+(mt\\.)?qel_vr_log\\s+set\\s+sync_date\\s*=\\s*[^'\\s]"));
        const int stamped = lastMatching(
            QStringLiteral("^update\\s+(mt\\.)?qel_vr_log\\s+set\\s+sync_date\\s*=\\s*'"));
        const int markedDeleted = lastMatching(
            QStringLiteral("^delete\\s+from\\s+(mt\\.)?qel_vr_log\\s+where\\s+sync_date\\s+is\\s+"
                           "not\\s+null"));
        const int emptied =
            lastMatching(QStringLiteral("^delete\\s+from\\s+(mt\\.)?qel_vr_log\\s*$"));
        if (!history || !lastMark || !stamped || !markedDeleted || !emptied) {
            error = QStringLiteral("the uninterrupted run lacks a statement the test kills at "
                                   "(history %1, last mark %2, stamp %3, marked rows deleted "
                                   "%4, log emptied %5)")
                        .arg(history)
                        .arg(lastMark)
                        .arg(stamped)
                        .arg(markedDeleted)
                        .arg(emptied);
            return {};
        }
        QList<KillPoint> points = {
            {QStringLiteral("after the last mark"), lastMark, false},
            {QStringLiteral("after the run's stop time is stamped"), stamped, false},
            {QStringLiteral("after the marked rows are deleted"), markedDeleted, false},
            {QStringLiteral("after the change log is emptied"), emptied, false},
            {QStringLiteral("before the history row"), history, true},
            {QStringLiteral("after the history row"), history, false},
        };
        QList<int> writes;
        for (const Statement& statement : m_map)
            if (isWrite(statement.text) &&
                !QList<int>{lastMark, stamped, markedDeleted, emptied, history}.contains(
                    statement.number))
                writes.append(statement.number);
        const qsizetype spread = wanted <= 0
                                     ? writes.size()
                                     : qBound<qsizetype>(0, wanted - points.size(), writes.size());
        for (qsizetype i = 0; i < spread; ++i)
            points.append(
                {QString(), writes.at((2 * i + 1) * writes.size() / (2 * spread)), false});
        std::sort(points.begin(), points.end(), [](const KillPoint& a, const KillPoint& b) {
            return a.statement != b.statement ? a.statement < b.statement : a.before > b.before;
        });
        return points;
    }

    QString statementText(int number) const
    {
        for (const Statement& statement : m_map)
            if (statement.number == number)
                return statement.text;
        return QString();
    }

    // What the two runs left, against what an uninterrupted run leaves; every difference.
    QStringList problemsOf(const PointRun& run) const
    {
        QStringList problems;
        if (!run.setupError.isEmpty())
            return {QStringLiteral("no workspace: ") + run.setupError};
        if (run.point.statement > 0) {
            const QList<Statement> killedLog = readStatementLog(statementLogOf(run.folder));
            const bool died = run.killed.started && run.killed.finished && run.killed.crashed;
            const Statement last = killedLog.value(killedLog.size() - 1);
            if (!died || last.number != run.point.statement)
                problems.append(QStringLiteral("the run was not killed at statement %1 (last "
                                               "statement %2): %3")
                                    .arg(run.point.statement)
                                    .arg(last.number)
                                    .arg(describe(run.killed)));
            else if (withoutTimes(last.text) != withoutTimes(statementText(last.number)))
                problems.append(QStringLiteral("the killed run's statement %1 differs from the "
                                               "uninterrupted run's: %2")
                                    .arg(last.number)
                                    .arg(last.text));
        }
        for (const Process* process : {&run.killed, &run.rerun})
            if (process->err.contains(QStringLiteral("Sanitizer")) ||
                process->err.contains(QStringLiteral(": runtime error: ")))
                problems.append(QStringLiteral("a sanitizer reported an error:\n") +
                                process->err.right(4000));
        const Process& completing = run.rerun;
        if (!completing.started || !completing.finished || completing.crashed ||
            completing.status != 0)
            problems.append(QStringLiteral("the run to the end failed: ") + describe(completing));

        try {
            SqliteDatabase master(masterFileOf(run.folder), SqliteDatabase::Mode::OpenExisting);
            SqliteDatabase remote(remoteFileOf(run.folder), SqliteDatabase::Mode::OpenExisting);
            QStringList differing;
            for (const LoggedChange& change : run.changes) {
                const QStringList onMaster = changedValues(master, change);
                const QStringList onRemote = changedValues(remote, change);
                if (onMaster != onRemote || onRemote.isEmpty())
                    differing.append(
                        QStringLiteral("  %1.%2 where %3 = %4: master [%5], "
                                       "remote [%6]")
                            .arg(change.table, change.column,
                                 change.keyColumns.join(QLatin1Char(',')),
                                 QVariant(change.keyValues).toStringList().join(QLatin1Char(',')),
                                 onMaster.join(QStringLiteral("; ")),
                                 onRemote.join(QStringLiteral("; "))));
            }
            if (!differing.isEmpty())
                problems.append(QStringLiteral("%1 of %2 changed columns differ:\n")
                                    .arg(differing.size())
                                    .arg(run.changes.size()) +
                                differing.join(QLatin1Char('\n')));

            const int logRows =
                remote.scalar(QStringLiteral("select count(*) from qel_vr_log")).toInt();
            if (logRows != 0)
                problems.append(
                    QStringLiteral("the change log still holds %1 rows (%2 of them marked)")
                        .arg(logRows)
                        .arg(remote
                                 .scalar(QStringLiteral(
                                     "select count(*) from qel_vr_log where sync_date is not null"))
                                 .toInt()));
            const int added = synchronizeRows(master) - run.historyBefore;
            if (added != 1)
                problems.append(
                    QStringLiteral("%1 'Synchronize' history rows were written, not 1").arg(added));
            for (SqliteDatabase* db : {&master, &remote}) {
                QStringList verdict;
                for (const QVariantList& row : db->rows(QStringLiteral("pragma integrity_check")))
                    verdict.append(row.value(0).toString());
                if (verdict != QStringList{QStringLiteral("ok")})
                    problems.append(QStringLiteral("integrity_check of %1: %2")
                                        .arg(db->path(), verdict.join(QStringLiteral("; "))));
            }
        } catch (const SchemaError& e) {
            problems.append(e.message());
        }
        return problems;
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const char* name : {"vrw1", "vrwdemo", "vrwphrases.txt"})
            QVERIFY2(QFile::exists(program(name)), name);
        QVERIFY(QFile::exists(QStringLiteral(VARROW_STATEMENT_KILL_LIBRARY)));
        m_items = setting("VARROW_CRASH_ITEMS", 20);
        const QByteArray pointsSetting = qgetenv("VARROW_CRASH_POINTS");
        const int wanted = pointsSetting == "all" ? 0 : setting("VARROW_CRASH_POINTS", 12);
        const int jobs = setting("VARROW_CRASH_JOBS", 6);

        // Below the private HOME CTest gives the test; what a failing point leaves stays
        // there for a look until the next run.
        m_root = QDir(qEnvironmentVariable("HOME")).filePath(QStringLiteral("crash-runs"));
        QVERIFY(QDir(m_root).removeRecursively());
        QVERIFY(QDir().mkpath(m_root));

        m_uninterrupted.point.name = QStringLiteral("uninterrupted");
        m_uninterrupted.folder = m_root + QStringLiteral("/uninterrupted");
        prepare(m_uninterrupted);
        QVERIFY2(m_uninterrupted.setupError.isEmpty(), qPrintable(m_uninterrupted.setupError));
        m_uninterrupted.rerun = transfer(m_uninterrupted.folder, {}, true);
        m_map = readStatementLog(statementLogOf(m_uninterrupted.folder));
        QVERIFY2(!m_map.isEmpty(), qPrintable(describe(m_uninterrupted.rerun)));

        QString error;
        const QList<KillPoint> points = choosePoints(wanted, error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(points.size() >= qMin(wanted, 10));
        qInfo("%lld statements in an uninterrupted run of %d items; %lld kill points, %d at once",
              qlonglong(m_map.size()), m_items, qlonglong(points.size()), jobs);

        for (const KillPoint& point : points) {
            PointRun run;
            run.point = point;
            run.folder =
                m_root + QStringLiteral("/%1-%2")
                             .arg(point.before ? QStringLiteral("before") : QStringLiteral("after"))
                             .arg(point.statement);
            m_runs.append(run);
        }
        // Each point only waits for its processes, so points share the cores in threads.
        std::atomic<qsizetype> next{0};
        std::vector<std::thread> workers;
        for (int i = 0; i < jobs; ++i)
            workers.emplace_back([this, &next] {
                for (qsizetype k = next++; k < m_runs.size(); k = next++)
                    killAndRerun(m_runs[k]);
            });
        for (std::thread& worker : workers)
            worker.join();
    }

    void cleanup()
    {
        // A point that holds is not worth its disk space; a failing one stays for a look.
        if (!QTest::currentTestFailed() && !m_currentFolder.isEmpty())
            QDir(m_currentFolder).removeRecursively();
        m_currentFolder.clear();
    }

    // The checks themselves, on the uninterrupted run: what every kill point is held to.
    void anUninterruptedRunCarriesEveryChange()
    {
        const QStringList problems = problemsOf(m_uninterrupted);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

    void aRunKilledAndRunAgainEndsAsAnUninterruptedRun_data()
    {
        QTest::addColumn<int>("index");
        for (qsizetype i = 0; i < m_runs.size(); ++i) {
            const KillPoint& point = m_runs.at(i).point;
            QString name =
                QStringLiteral("%1 %2")
                    .arg(point.before ? QStringLiteral("before") : QStringLiteral("after"))
                    .arg(point.statement);
            if (!point.name.isEmpty())
                name += QStringLiteral(" (") + point.name + QLatin1Char(')');
            QTest::newRow(qPrintable(name)) << int(i);
        }
    }

    void aRunKilledAndRunAgainEndsAsAnUninterruptedRun()
    {
        QFETCH(int, index);
        const PointRun& run = m_runs.at(index);
        m_currentFolder = run.folder;
        const QStringList problems = problemsOf(run);
        QVERIFY2(problems.isEmpty(),
                 qPrintable(
                     QStringLiteral("killed %1 statement %2: %3\n")
                         .arg(run.point.before ? QStringLiteral("before") : QStringLiteral("after"))
                         .arg(run.point.statement)
                         .arg(statementText(run.point.statement)) +
                     problems.join(QLatin1Char('\n')) +
                     QStringLiteral("\n(workspace kept in %1)").arg(run.folder)));
    }
};

VARROW_TEST_GUILESS_MAIN(TestCrashRecovery)
#include "tst_crashrecovery.moc"
