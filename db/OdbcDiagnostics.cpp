#include "db/OdbcDiagnostics.h"

#include "db/OdbcText.h"

#include <QList>
#include <QStringList>
#include <optional>
#include <sqlext.h>

namespace OdbcDiagnostics {

namespace {

struct Record
{
    QString state;
    long native = 0;
    QString message;
};

// One record, or nothing past the last. The message buffer grows when the driver says the
// text did not fit, so long driver messages (a whole failing statement) arrive whole.
std::optional<Record> readRecord(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT number)
{
    SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
    SQLINTEGER native = 0;
    QByteArray message(1024, '\0');
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(handleType, handle, number, state, &native,
                                 reinterpret_cast<SQLCHAR*>(message.data()),
                                 SQLSMALLINT(message.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= message.size()) {
        message.resize(qMin(length + 1, 32767)); // the length parameter is a SQLSMALLINT
        rc = SQLGetDiagRec(handleType, handle, number, state, &native,
                           reinterpret_cast<SQLCHAR*>(message.data()), SQLSMALLINT(message.size()),
                           &length);
    }
    if (!SQL_SUCCEEDED(rc))
        return std::nullopt;
    Record record;
    record.state = QString::fromLatin1(reinterpret_cast<const char*>(state));
    record.native = native;
    record.message = fromOdbcText(reinterpret_cast<const SQLCHAR*>(message.constData()),
                                  qMin<qsizetype>(length, message.size() - 1));
    return record;
}

} // namespace

DbError read(SQLSMALLINT handleType, SQLHANDLE handle, const char* call)
{
    QList<Record> records;
    // A guard against drivers that never stop answering; no real failure has this many.
    for (SQLSMALLINT number = 1; number <= 64; ++number) {
        std::optional<Record> record = readRecord(handleType, handle, number);
        if (!record)
            break;
        records.append(*record);
    }
    if (records.isEmpty())
        return DbError(
            DbErrors::DriverFailure,
            QStringLiteral("The ODBC call %1 failed without a diagnostic").arg(QLatin1String(call)),
            QStringLiteral("HY000"));

    // Warnings (class 01) may precede the error that matters.
    const Record* primary = &records.first();
    for (const Record& record : records) {
        if (!record.state.startsWith(QLatin1String("01"))) {
            primary = &record;
            break;
        }
    }
    QStringList messages;
    for (const Record& record : records) {
        if (!record.message.isEmpty() && !messages.contains(record.message))
            messages.append(record.message);
    }
    QString description = messages.join(QLatin1Char('\n'));
    if (DbErrors::isConnectionState(primary->state))
        description = DbErrors::markNotConnected(description);
    return DbError(primary->native, description, primary->state);
}

void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* call,
           bool noDataIsSuccess)
{
    if (SQL_SUCCEEDED(rc) || (noDataIsSuccess && rc == SQL_NO_DATA))
        return;
    if (rc == SQL_INVALID_HANDLE)
        throw DbError(
            DbErrors::DriverFailure,
            QStringLiteral("The ODBC call %1 was given an invalid handle").arg(QLatin1String(call)),
            QStringLiteral("HY000"));
    throw read(handleType, handle, call);
}

QString fromOdbcText(const SQLCHAR* text, qsizetype length)
{
    return OdbcText::decode(QByteArrayView(text, length));
}

QByteArray toOdbcText(const QString& text)
{
    return OdbcText::encode(text);
}

} // namespace OdbcDiagnostics
