#pragma once

#include "schema/PostgresDatabase.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// What the stand-in's dbstop and dbbackup share: their connection parameters, the data
// sources and database files behind them, the login check, and the message log.
namespace engineutility {

// "uid=mt;pwd=...;eng=X;UNC=YES" as lower-case keys with their values.
QHash<QString, QString> connectionParameters(const QString& text);

// The messages of one run: written to the -o file (appended, CR LF line ends) when one is
// given, else to standard output. Never given a password.
class MessageLog
{
public:
    void setFile(const QString& path) { m_path = path; }
    void line(const QString& text);
    // Writes the collected lines; false when the -o file cannot be written.
    bool flush();

private:
    QString m_path;
    QStringList m_lines;
};

// A database file the stand-in serves, with the data source that names it; or a database of
// a PostgreSQL server that a psqlODBC data source (one with a Servername key) names.
struct ServedDatabase
{
    QString dataSource;
    QString file;      // for a PostgreSQL database: its name
    QString extension; // the data source's LoadExt
    std::optional<PostgresDatabase::Address> server;
};

// The database of the engine called engineName (a data source's EngineName; without one, its
// DatabaseName; without that, the file name without extension).
std::optional<ServedDatabase> databaseOfEngine(const QString& engineName);
// The database a data source names.
std::optional<ServedDatabase> databaseOfDataSource(const QString& dataSource);

// Checks the login as the stand-in checks a connection's: an empty text when the pair is a
// login of the database file, else the reason.
QString checkLogin(const ServedDatabase& database, const QString& user, const QString& password);

// The version line every message log starts with.
QString banner(const QString& utility);

// The body of a utility's main(): runs the work on the command-line arguments, turns a
// DbError into the given closing lines (each formatted with the error's description as %1),
// writes the messages and returns the exit status (1 when the messages cannot be written).
int runUtility(int argc, char** argv,
               const std::function<int(MessageLog&, const QStringList&)>& work,
               const QStringList& failureLines);

} // namespace engineutility
