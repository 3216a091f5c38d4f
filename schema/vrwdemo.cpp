// vrwdemo: makes a demo workspace (two ODBC data sources over SQLite databases of the
// calibration schema) for trying the program and for tests.
#include "schema/DemoCatalogue.h"
#include "schema/DemoOptions.h"
#include "schema/DemoWorkspace.h"
#include "schema/SchemaError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

const QList<QPair<QString, DemoOptions::Remote>> remoteModes = {
    {QStringLiteral("full"), DemoOptions::Remote::FieldWork},
    {QStringLiteral("inserts"), DemoOptions::Remote::InsertsOnly},
    {QStringLiteral("updates"), DemoOptions::Remote::UpdatesOnly},
    {QStringLiteral("none"), DemoOptions::Remote::Untouched},
    {QStringLiteral("unprepared"), DemoOptions::Remote::Unprepared},
};

QString loginsHelp()
{
    QString text =
        QStringLiteral("\nLogins of both databases (user / password, segregate, level):\n");
    for (const DemoCatalogue::User& user : DemoCatalogue::users())
        text += QStringLiteral("  %1 / %2, %3, %4\n")
                    .arg(user.login, user.password, user.segregate)
                    .arg(user.level);
    const DemoCatalogue::User admin = DemoCatalogue::administrator();
    text += QStringLiteral("  %1 / %2, administrator (no row in mt.userlist)\n")
                .arg(admin.login, admin.password);
    return text;
}

bool parseNumber(const QString& text, qint64 low, qint64 high, qint64& value)
{
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok && value >= low && value <= high;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vrwdemo"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "Makes a demo workspace in DIR: odbcinst.ini and odbc.ini with the data sources "
            "VarrowMaster "
            "and VarrowRemote, master/caldata.db (a calibration laboratory's records) and "
            "remote/caldata.db (a copy of it on which logged field work was done).\n"
            "Use it with ODBCSYSINI=DIR ODBCINI=DIR/odbc.ini.") +
        loginsHelp());
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("DIR"),
                                 QStringLiteral("The workspace folder (made when missing)."));
    const QCommandLineOption items(
        QStringLiteral("items"),
        QStringLiteral("Inventory items of the master (default 300, at least 20)."),
        QStringLiteral("N"), QStringLiteral("300"));
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral(
            "Seed of the generated data (default 1); the same seed and size give the same data."),
        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption remote(
        QStringLiteral("remote"),
        QStringLiteral(
            "State of the remote: full (field work of every kind, default), inserts (only new "
            "records "
            "logged), updates (only column updates logged), none (prepared, empty change log), "
            "unprepared (never prepared: no change log, the first-time path)."),
        QStringLiteral("MODE"), QStringLiteral("full"));
    const QCommandLineOption version(
        QStringLiteral("schema-version"),
        QStringLiteral("dbconfig.version of both databases (default 8.2.0)."),
        QStringLiteral("TEXT"), QStringLiteral("8.2.0"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace an existing workspace in DIR."));
    const QCommandLineOption extension(
        QStringLiteral("extension"),
        QStringLiteral("The stand-in's varrow_sqlext.so (default: beside vrwdemo, or the "
                       "installed one)."),
        QStringLiteral("PATH"));
    const QCommandLineOption driver(
        QStringLiteral("driver"),
        QStringLiteral(
            "The SQLite ODBC driver library (default: the installed libsqlite3odbc.so)."),
        QStringLiteral("PATH"));
    const QCommandLineOption master(
        QStringLiteral("master"),
        QStringLiteral("Engine of the master: sqlite (a file, default) or postgresql (a database "
                       "of a PostgreSQL server, reached as libpq's PGHOST, PGPORT, PGUSER and "
                       "password file say, by a role that may create databases and roles; the "
                       "logins become roles of the server)."),
        QStringLiteral("ENGINE"), QStringLiteral("sqlite"));
    const QCommandLineOption pgHost = postgresHostOption();
    const QCommandLineOption pgPort(QStringLiteral("pg-port"),
                                    QStringLiteral("PostgreSQL server's port (default 5432)."),
                                    QStringLiteral("PORT"));
    const QCommandLineOption pgDatabase(
        QStringLiteral("pg-database"),
        QStringLiteral("The master's PostgreSQL database (default caldata; --force replaces it)."),
        QStringLiteral("NAME"), QStringLiteral("caldata"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Print only the summary, not the steps."));
    parser.addOptions({items, seed, remote, version, force, extension, driver, master, pgHost,
                       pgPort, pgDatabase, quiet});
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1) {
        err << "vrwdemo: give exactly one workspace folder (see vrwdemo --help)\n";
        return 2;
    }

    DemoOptions options;
    qint64 number = 0;
    if (!parseNumber(parser.value(items), 20, 200000, number)) {
        err << "vrwdemo: --items must be a number from 20 to 200000\n";
        return 2;
    }
    options.items = int(number);
    if (!parseNumber(parser.value(seed), 0, 0xffffffffLL, number)) {
        err << "vrwdemo: --seed must be a number from 0 to 4294967295\n";
        return 2;
    }
    options.seed = quint32(number);
    bool known = false;
    for (const auto& [name, mode] : remoteModes) {
        if (parser.value(remote) == name) {
            options.remote = mode;
            known = true;
        }
    }
    if (!known) {
        err << "vrwdemo: --remote must be one of full, inserts, updates, none, unprepared\n";
        return 2;
    }
    options.schemaVersion = parser.value(version);
    options.overwrite = parser.isSet(force);
    options.extensionPath = parser.value(extension);
    options.driverPath = parser.value(driver);
    if (parser.value(master) == QLatin1String("postgresql")) {
        options.postgresMaster = true;
        options.postgresHost = parser.value(pgHost);
        options.postgresPort = parser.value(pgPort);
        options.postgresDatabase = parser.value(pgDatabase);
    } else if (parser.value(master) != QLatin1String("sqlite")) {
        err << "vrwdemo: --master must be sqlite or postgresql\n";
        return 2;
    }

    try {
        const bool verbose = !parser.isSet(quiet);
        const DemoWorkspace::Report report =
            DemoWorkspace::create(arguments.first(), options, [&](const QString& step) {
                if (verbose)
                    out << step << "...\n" << Qt::flush;
            });
        out << DemoWorkspace::describe(report);
    } catch (const SchemaError& e) {
        err << "vrwdemo: " << e.message() << '\n';
        return 1;
    }
    return 0;
}
