#include "tests/support/TestWorkspace.h"

#include "schema/PostgresDatabase.h"
#include "schema/SchemaError.h"
#include "tests/support/PostgresServer.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <bit>

TestWorkspace::TestWorkspace() : TestWorkspace(small()) {}

TestWorkspace::TestWorkspace(const DemoOptions& options, Odbc odbc)
{
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("no temporary folder: ") + m_folder.errorString();
        return;
    }
    DemoOptions wanted = options;
    if (wanted.extensionPath.isEmpty())
        wanted.extensionPath =
            QDir(testsupport::binaryDir()).filePath(QStringLiteral("varrow_sqlext.so"));
    if (testsupport::postgresMaster()) {
        m_postgresHost = testsupport::postgresSocketFolderOrSkip();
        m_postgresDatabase = testsupport::newPostgresDatabaseName();
        wanted.postgresMaster = true;
        wanted.postgresHost = m_postgresHost;
        wanted.postgresDatabase = m_postgresDatabase;
    }
    try {
        m_report = DemoWorkspace::create(m_folder.path(), wanted);
    } catch (const SchemaError& e) {
        m_error = e.message();
        return;
    }
    if (hasPostgresMaster()) {
        // The few SQLite functions the tests' own queries use, for the same queries to read a
        // PostgreSQL master; only the tests' connections look into this schema.
        try {
            master()->exec(QStringLiteral(
                "create schema varrow_test;"
                "create function varrow_test.concat_step(so_far text, value text, separator "
                "text) returns text language sql immutable as $$ select case when value is null "
                "then so_far when so_far is null then value else so_far || separator || value "
                "end $$;"
                "create function varrow_test.concat_step(so_far text, value text) returns text "
                "language sql immutable as $$ select varrow_test.concat_step(so_far, value, "
                "',') $$;"
                "create aggregate varrow_test.group_concat(text, text) (sfunc = "
                "varrow_test.concat_step, stype = text);"
                "create aggregate varrow_test.group_concat(text) (sfunc = "
                "varrow_test.concat_step, stype = text);"
                "create function varrow_test.quote(value anyelement) returns text language sql "
                "immutable as $$ select quote_nullable(value::text) $$;"
                "create view varrow_test.sqlite_master as select c.relname::text as name from "
                "pg_class c where c.relnamespace in ('mt'::regnamespace, "
                "'public'::regnamespace)"));
        } catch (const SchemaError& e) {
            m_error = e.message();
            return;
        }
    }
    if (odbc == PointOdbcHere) {
        qputenv("ODBCSYSINI", QFile::encodeName(m_folder.path()));
        qputenv("ODBCINI", QFile::encodeName(m_report.odbcIni));
    }
}

DemoOptions TestWorkspace::small(DemoOptions::Remote remote)
{
    DemoOptions options;
    options.items = 24;
    options.seed = 7;
    options.remote = remote;
    return options;
}

std::unique_ptr<SqliteDatabase> TestWorkspace::openMaster() const
{
    auto db =
        std::make_unique<SqliteDatabase>(m_report.masterFile, SqliteDatabase::Mode::OpenExisting);
    db->loadExtension(m_report.extension);
    return db;
}

std::unique_ptr<MasterDatabase> TestWorkspace::master() const
{
    if (hasPostgresMaster())
        return MasterDatabase::postgres(std::make_unique<PostgresDatabase>(
            PostgresDatabase::Address{m_postgresHost, {}, m_postgresDatabase, {}, {}}));
    return MasterDatabase::sqlite(openMaster());
}

bool TestWorkspace::keepMaster()
{
    if (!isValid())
        return false;
    if (!hasPostgresMaster())
        return QFile::copy(m_report.masterFile, m_report.masterFile + QStringLiteral(".orig"));
    try {
        PostgresDatabase server({m_postgresHost, {}, QStringLiteral("postgres"), {}, {}});
        server.exec(QStringLiteral("create database %1_orig template %1").arg(m_postgresDatabase));
    } catch (const SchemaError& e) {
        qWarning("%s", qPrintable(e.message()));
        return false;
    }
    return true;
}

bool TestWorkspace::restoreMaster()
{
    if (!hasPostgresMaster()) {
        const QString& file = m_report.masterFile;
        for (const char* suffix : {"-wal", "-shm"})
            QFile::remove(file + QLatin1String(suffix));
        QFile::remove(file);
        return QFile::copy(file + QStringLiteral(".orig"), file);
    }
    try {
        PostgresDatabase server({m_postgresHost, {}, QStringLiteral("postgres"), {}, {}});
        server.exec(
            QStringLiteral("drop database if exists %1 with (force)").arg(m_postgresDatabase));
        server.exec(QStringLiteral("create database %1 template %1_orig").arg(m_postgresDatabase));
    } catch (const SchemaError& e) {
        qWarning("%s", qPrintable(e.message()));
        return false;
    }
    return true;
}

std::unique_ptr<SqliteDatabase> TestWorkspace::openRemote() const
{
    auto db =
        std::make_unique<SqliteDatabase>(m_report.remoteFile, SqliteDatabase::Mode::OpenExisting);
    db->loadExtension(m_report.extension);
    return db;
}

QString TestWorkspace::stored(SqliteDatabase& db, const QString& column, const QString& from)
{
    const QVariantList row =
        db.rows(QStringLiteral("select typeof(%1), %1, hex(%1) from %2").arg(column, from))
            .value(0);
    if (row.isEmpty())
        return QStringLiteral("(no row)");
    const QString type = row[0].toString();
    if (type == QLatin1String("real"))
        return type + QLatin1Char(':') +
               QString::number(std::bit_cast<quint64>(row[1].toDouble()), 16);
    return type + QLatin1Char(':') + row[2].toString();
}

TestWorkspace::IsqlResult TestWorkspace::isql(const QString& dataSource, const QString& user,
                                              const QString& password,
                                              const QString& statements) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ODBCSYSINI"), m_folder.path());
    environment.insert(QStringLiteral("ODBCINI"), m_report.odbcIni);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("isql"), {QStringLiteral("-b"), dataSource, user, password});
    IsqlResult result;
    if (!process.waitForStarted()) {
        result.output = QStringLiteral("isql did not start: ") + process.errorString();
        return result;
    }
    process.write(statements.toUtf8());
    process.closeWriteChannel();
    process.waitForFinished(-1);
    result.output = QString::fromUtf8(process.readAll());
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}
