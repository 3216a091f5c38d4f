#include "schema/PostgresDatabase.h"

#include "schema/SchemaError.h"

#include <libpq-fe.h>
#include <memory>

namespace {

QString serverMessage(const PGconn* conn)
{
    return QString::fromUtf8(PQerrorMessage(conn)).trimmed();
}

struct ResultDeleter
{
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

Result run(PGconn* conn, const QString& sql)
{
    Result result(PQexec(conn, sql.toUtf8().constData()));
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_COPY_IN)
        throw SchemaError(QStringLiteral("PostgreSQL failed: %1\n  in: %2")
                              .arg(serverMessage(conn), sql.left(400)));
    return result;
}

// A value in COPY's text format.
QByteArray copyField(const std::optional<QString>& value)
{
    if (!value)
        return QByteArrayLiteral("\\N");
    QByteArray text = value->toUtf8();
    text.replace('\\', "\\\\").replace('\t', "\\t").replace('\n', "\\n").replace('\r', "\\r");
    return text;
}

} // namespace

PostgresDatabase::PostgresDatabase(const Address& address)
{
    const QList<QPair<const char*, QString>> fields = {
        {"host", address.host},         {"port", address.port},
        {"dbname", address.database},   {"user", address.user},
        {"password", address.password}, {"application_name", QStringLiteral("varrow-schema")},
    };
    QList<QByteArray> keys, values;
    for (const auto& [key, value] : fields) {
        if (value.isEmpty())
            continue;
        keys.append(QByteArray(key));
        values.append(value.toUtf8());
    }
    QList<const char*> keyPointers, valuePointers;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        keyPointers.append(keys[i].constData());
        valuePointers.append(values[i].constData());
    }
    keyPointers.append(nullptr);
    valuePointers.append(nullptr);
    m_conn = PQconnectdbParams(keyPointers.constData(), valuePointers.constData(), 0);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString why = serverMessage(m_conn);
        PQfinish(m_conn);
        m_conn = nullptr;
        throw SchemaError(QStringLiteral("Cannot connect to PostgreSQL database \"%1\" at %2: %3")
                              .arg(address.database, address.host, why));
    }
    run(m_conn, QStringLiteral("set client_min_messages = warning"));
}

PostgresDatabase::~PostgresDatabase()
{
    PQfinish(m_conn);
}

void PostgresDatabase::exec(const QString& sql)
{
    run(m_conn, sql);
}

QList<PostgresDatabase::Row> PostgresDatabase::rows(const QString& sql)
{
    const Result result = run(m_conn, sql);
    QList<Row> rows;
    const int columns = PQnfields(result.get());
    for (int r = 0; r < PQntuples(result.get()); ++r) {
        Row row;
        for (int c = 0; c < columns; ++c)
            row.append(PQgetisnull(result.get(), r, c) ? std::nullopt
                                                       : std::optional<QString>(QString::fromUtf8(
                                                             PQgetvalue(result.get(), r, c))));
        rows.append(row);
    }
    return rows;
}

std::optional<QString> PostgresDatabase::scalar(const QString& sql)
{
    const QList<Row> all = rows(sql);
    return all.isEmpty() || all.first().isEmpty() ? std::nullopt : all.first().first();
}

void PostgresDatabase::copyIn(const QString& table, const QStringList& columns,
                              const QList<Row>& rows)
{
    run(m_conn,
        QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, columns.join(QLatin1Char(','))));
    QByteArray buffer;
    const auto flush = [this, &buffer]() {
        if (!buffer.isEmpty() && PQputCopyData(m_conn, buffer.constData(), int(buffer.size())) != 1)
            throw SchemaError(
                QStringLiteral("PostgreSQL refused copied rows: %1").arg(serverMessage(m_conn)));
        buffer.clear();
    };
    for (const Row& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                buffer.append('\t');
            buffer.append(copyField(row[c]));
        }
        buffer.append('\n');
        if (buffer.size() > (1 << 20))
            flush();
    }
    flush();
    if (PQputCopyEnd(m_conn, nullptr) != 1)
        throw SchemaError(
            QStringLiteral("PostgreSQL refused copied rows: %1").arg(serverMessage(m_conn)));
    Result result(PQgetResult(m_conn));
    const bool ok = result && PQresultStatus(result.get()) == PGRES_COMMAND_OK;
    const QString why = serverMessage(m_conn);
    while (Result rest{PQgetResult(m_conn)}) {
    }
    if (!ok)
        throw SchemaError(QStringLiteral("PostgreSQL refused the rows of %1: %2").arg(table, why));
}

QString PostgresDatabase::encryptedPassword(const QString& role, const QString& password)
{
    char* encrypted = PQencryptPasswordConn(m_conn, password.toUtf8().constData(),
                                            role.toUtf8().constData(), "scram-sha-256");
    if (!encrypted)
        throw SchemaError(QStringLiteral("Cannot encrypt the password of role %1: %2")
                              .arg(role, serverMessage(m_conn)));
    const QString text = QString::fromUtf8(encrypted);
    PQfreemem(encrypted);
    return text;
}

QString PostgresDatabase::literal(const QString& text) const
{
    const QByteArray utf8 = text.toUtf8();
    char* quoted = PQescapeLiteral(m_conn, utf8.constData(), size_t(utf8.size()));
    if (!quoted)
        throw SchemaError(QStringLiteral("Cannot quote a text: %1").arg(serverMessage(m_conn)));
    const QString result = QString::fromUtf8(quoted);
    PQfreemem(quoted);
    return result;
}

QString PostgresDatabase::identifier(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}
