#include "tools/engine/EngineUtility.h"

#include "db/DataSources.h"
#include "db/DbError.h"
#include "schema/SchemaError.h"
#include "schema/SqliteDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace engineutility {

QHash<QString, QString> connectionParameters(const QString& text)
{
    QHash<QString, QString> parameters;
    for (const QString& part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        parameters.insert(part.left(equals).trimmed().toLower(), part.mid(equals + 1).trimmed());
    }
    return parameters;
}

void MessageLog::line(const QString& text)
{
    m_lines.append(text);
}

bool MessageLog::flush()
{
    const QByteArray text =
        (m_lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
    m_lines.clear();
    if (m_path.isEmpty()) {
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
        return true;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(text) != text.size()) {
        std::fprintf(stderr, "Cannot write the message log %s\n", qPrintable(m_path));
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
        return false;
    }
    return true;
}

namespace {

ServedDatabase served(const QString& dataSource)
{
    ServedDatabase database;
    database.dataSource = dataSource;
    database.file = DataSources::value(dataSource, QStringLiteral("Database")).value_or(QString());
    database.extension =
        DataSources::value(dataSource, QStringLiteral("LoadExt")).value_or(QString());
    if (database.extension.isEmpty())
        database.extension = QDir(QCoreApplication::applicationDirPath())
                                 .filePath(QStringLiteral("varrow_sqlext.so"));
    const QString server =
        DataSources::value(dataSource, QStringLiteral("Servername")).value_or(QString()).trimmed();
    if (!server.isEmpty())
        database.server = PostgresDatabase::Address{
            server,
            DataSources::value(dataSource, QStringLiteral("Port")).value_or(QString()).trimmed(),
            database.file.trimmed(),
            {},
            {}};
    return database;
}

QString engineNameOf(const QString& dataSource)
{
    for (const char* key : {"EngineName", "DatabaseName"}) {
        const QString value =
            DataSources::value(dataSource, QLatin1String(key)).value_or(QString()).trimmed();
        if (!value.isEmpty())
            return value;
    }
    return QFileInfo(DataSources::value(dataSource, QStringLiteral("Database")).value_or(QString()))
        .completeBaseName();
}

} // namespace

std::optional<ServedDatabase> databaseOfEngine(const QString& engineName)
{
    for (const DataSources::Entry& entry : DataSources::list()) {
        if (engineNameOf(entry.name).compare(engineName, Qt::CaseInsensitive) == 0) {
            ServedDatabase database = served(entry.name);
            if (!database.file.isEmpty())
                return database;
        }
    }
    return std::nullopt;
}

std::optional<ServedDatabase> databaseOfDataSource(const QString& dataSource)
{
    ServedDatabase database = served(dataSource);
    if (database.file.isEmpty())
        return std::nullopt;
    return database;
}

QString checkLogin(const ServedDatabase& database, const QString& user, const QString& password)
{
    if (!QFileInfo(database.file).isFile())
        return QStringLiteral("Database file %1 not found").arg(database.file);
    try {
        SqliteDatabase db(database.file, SqliteDatabase::Mode::OpenExisting);
        db.loadExtension(database.extension);
        const QVariant valid =
            db.scalar(QStringLiteral("select varrow_check_login(?, ?)"), {user, password});
        if (valid.toInt() != 1)
            return QStringLiteral("Invalid user ID or password");
        return {};
    } catch (const SchemaError& error) {
        return error.message();
    }
}

QString banner(const QString& utility)
{
    return QStringLiteral("Varrow stand-in %1 Utility Version %2.%3.%4")
        .arg(utility)
        .arg(VARROW_VERSION_MAJOR)
        .arg(VARROW_VERSION_MINOR)
        .arg(VARROW_VERSION_PATCH);
}

int runUtility(int argc, char** argv,
               const std::function<int(MessageLog&, const QStringList&)>& work,
               const QStringList& failureLines)
{
    QCoreApplication app(argc, argv);
    MessageLog log;
    int status = 1;
    try {
        status = work(log, QCoreApplication::arguments().mid(1));
    } catch (const DbError& error) {
        for (const QString& line : failureLines)
            log.line(line.contains(QLatin1String("%1")) ? line.arg(error.description()) : line);
    }
    return log.flush() ? status : 1;
}

} // namespace engineutility
