// vrwsql: runs command texts on one data source through the data-access layer, the way the
// program sends them, and prints what comes back. The interactive SQL tool of the project.

#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "db/OdbcConnection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

QString valueText(const Recordset& recordset, int field)
{
    return recordset.value(field).value_or(QStringLiteral("(NULL)"));
}

// One field a line, "name: value" with the values aligned, and an empty line after each row:
// for wide rows.
void printByField(Recordset& recordset)
{
    const int count = recordset.fieldCount();
    qsizetype width = 0;
    for (int i = 0; i < count; ++i)
        width = std::max(width, recordset.fieldName(i).size());
    while (!recordset.eof()) {
        for (int i = 0; i < count; ++i)
            out() << (recordset.fieldName(i) + QLatin1Char(':')).leftJustified(width + 2)
                  << valueText(recordset, i) << '\n';
        out() << '\n';
        recordset.moveNext();
    }
}

void printRecordset(Recordset& recordset, bool byField)
{
    const int count = recordset.fieldCount();
    if (count == 0)
        return; // a statement without a result prints nothing
    if (byField) {
        printByField(recordset);
        return;
    }
    QStringList line;
    for (int i = 0; i < count; ++i)
        line.append(recordset.fieldName(i));
    out() << line.join(QLatin1Char('\t')) << '\n';
    while (!recordset.eof()) {
        line.clear();
        for (int i = 0; i < count; ++i)
            line.append(valueText(recordset, i));
        out() << line.join(QLatin1Char('\t')) << '\n';
        recordset.moveNext();
    }
}

// False after printing the failure.
bool run(Connection& connection, const QString& commandText, bool byField)
{
    try {
        std::unique_ptr<Recordset> recordset = connection.openRecordset(commandText);
        printRecordset(*recordset, byField);
        out().flush();
        return true;
    } catch (const DbError& error) {
        out().flush();
        err() << error.description() << '\n';
        err().flush();
        return false;
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vrwsql"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs each COMMAND on one connection to the ODBC data source DSN and prints every result "
        "as a line of column names and one tab-separated line per row (NULL as (NULL)).\n"
        "Without COMMANDs it reads one command per line from standard input.\n"
        "Exits 1 at the first failure, after printing its description to standard error."));
    parser.addHelpOption();
    const QCommandLineOption dsnOption(QStringList{QStringLiteral("d"), QStringLiteral("dsn")},
                                       QStringLiteral("The ODBC data source."),
                                       QStringLiteral("DSN"));
    const QCommandLineOption userOption(QStringList{QStringLiteral("u"), QStringLiteral("user")},
                                        QStringLiteral("The user name."), QStringLiteral("USER"));
    const QCommandLineOption passwordOption(
        QStringList{QStringLiteral("p"), QStringLiteral("password")},
        QStringLiteral("The password (never shown)."), QStringLiteral("PASSWORD"));
    const QCommandLineOption rawOption(
        QStringLiteral("no-dialect"),
        QStringLiteral("Send the commands to the driver untouched, whatever the engine."));
    parser.addOption(dsnOption);
    parser.addOption(userOption);
    parser.addOption(passwordOption);
    const QCommandLineOption fieldsOption(
        QStringLiteral("fields"),
        QStringLiteral("Print each row one field a line (name: value), rows apart."));
    parser.addOption(rawOption);
    parser.addOption(fieldsOption);
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("A command text."),
                                 QStringLiteral("[COMMAND ...]"));

    if (!parser.parse(app.arguments())) {
        err() << parser.errorText() << '\n' << parser.helpText();
        return 1;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out() << parser.helpText();
        return 0;
    }
    if (!parser.isSet(dsnOption) || parser.value(dsnOption).isEmpty()) {
        err() << "vrwsql: -d DSN is required\n" << parser.helpText();
        return 1;
    }

    const DialectFactory dialects =
        parser.isSet(rawOption) ? DialectFactory() : DialectFactory(makeDialect);
    OdbcConnection connection(dialects);
    connection.setConnectionString(QStringLiteral("DSN=") +
                                   ConnectionString::quoteValue(parser.value(dsnOption)));
    connection.open(parser.value(userOption), parser.value(passwordOption));
    if (connection.state() != 1) {
        const std::optional<DbError> error = connection.lastError();
        err() << (error ? error->description() : QStringLiteral("Cannot connect")) << '\n';
        return 1;
    }

    const QStringList commands = parser.positionalArguments();
    if (!commands.isEmpty()) {
        for (const QString& command : commands) {
            if (!run(connection, command, parser.isSet(fieldsOption)))
                return 1;
        }
        return 0;
    }

    QTextStream in(stdin);
    QString line;
    while (in.readLineInto(&line)) {
        if (line.trimmed().isEmpty())
            continue;
        if (!run(connection, line, parser.isSet(fieldsOption)))
            return 1;
    }
    return 0;
}
