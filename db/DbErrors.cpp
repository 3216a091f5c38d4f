#include "db/DbErrors.h"

namespace DbErrors {

namespace {
const QLatin1String notConnectedText("not connected");
}

DbError notConnected()
{
    return DbError(ObjectClosed, QStringLiteral("Database not connected"), QStringLiteral("08003"));
}

DbError resultSetClosed()
{
    // Deliberately not "not connected": a result set the program closed itself is a fault of
    // the program, not a lost connection that the user could mend by reconnecting.
    return DbError(ObjectClosed,
                   QStringLiteral("Operation is not allowed when the result set is closed"),
                   QStringLiteral("HY010"));
}

DbError alreadyOpen()
{
    return DbError(ObjectOpen, QStringLiteral("The connection is already open"),
                   QStringLiteral("08002"));
}

DbError noCurrentRecord()
{
    return DbError(
        NoCurrentRecord,
        QStringLiteral("Either BOF or EOF is True: the operation requires a current record"),
        QStringLiteral("24000"));
}

DbError fieldNotFound(const QString& nameOrIndex)
{
    return DbError(ItemNotFound,
                   QStringLiteral("Item cannot be found in the collection corresponding to the "
                                  "requested name or ordinal: %1")
                       .arg(nameOrIndex),
                   QStringLiteral("42S22"));
}

DbError notSupported(const QString& what)
{
    return DbError(NotSupported, what, QStringLiteral("HYC00"));
}

DbError lockedByAnotherProgram(const DbError& error, const QString& what)
{
    return DbError(
        error.number(),
        QStringLiteral("%1 (%2 is locked by another program)").arg(error.description(), what),
        error.sqlstate());
}

DbError noDataSource()
{
    return DbError(DataSourceMissing, QStringLiteral("No data source name was given"),
                   QStringLiteral("IM002"));
}

bool isRefusedConnect(const QString& sqlstate)
{
    return sqlstate.startsWith(QLatin1String("28")) || sqlstate.startsWith(QLatin1String("IM"));
}

bool isConnectionState(const QString& sqlstate)
{
    return sqlstate.startsWith(QLatin1String("08"));
}

QString markNotConnected(const QString& description)
{
    if (description.contains(notConnectedText))
        return description;
    if (description.isEmpty())
        return QStringLiteral("Database not connected");
    return description + QStringLiteral(" (not connected)");
}

} // namespace DbErrors
