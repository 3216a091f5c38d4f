#include "copy/TempTables.h"

#include "base/ErrorReporter.h"
#include "copy/Catalogue.h"
#include "copy/CopyContext.h"
#include "copy/CopyTrace.h"
#include "session/AdminCredentials.h"
#include "session/SchemaOwner.h"
#include "session/Sessions.h"

namespace {

QList<CatalogueColumn> catalogueColumns(Recordset& rs)
{
    QList<CatalogueColumn> columns;
    for (; !rs.eof(); rs.moveNext())
        columns.append({rs.value(0).value_or(QString()), rs.value(1),
                        rs.value(2).value_or(QString()), rs.value(3).value_or(QString()),
                        rs.value(4).value_or(QString()).trimmed(),
                        rs.value(5).value_or(QString()).trimmed()});
    return columns;
}

QString& tempTableList(const CopyContext& context, Side side)
{
    return side == Side::Master ? context.tableCopy.masterTempTables
                                : context.tableCopy.remoteTempTables;
}

// Drops the listed tables on one side. False when the connection could not be made.
bool dropListed(const CopyContext& context, Side side, bool (*connect)(const SessionContext&))
{
    QString& list = tempTableList(context, side);
    if (list.isEmpty())
        return true;
    if (!connect(context))
        return false;
    qsizetype at = 0;
    for (;;) {
        const qsizetype open = list.indexOf(QLatin1Char('\''), at);
        if (open < 0)
            break;
        const qsizetype close = list.indexOf(QLatin1Char('\''), open + 1);
        if (close < 0)
            break;
        const QString name = list.mid(open + 1, close - open - 1).trimmed();
        at = close + 1;
        try {
            // A table that is gone already (a connection opened since) is no concern.
            userConnection(context, side).execute(QStringLiteral("drop table ") + name);
        } catch (const DbError&) {
        }
    }
    list.clear();
    return true;
}

} // namespace

QString temporaryColumnType(const QString& domain, const QString& width, const QString& scale)
{
    const QString d = domain.trimmed().toUpper();
    auto sized = [&](const char* type) {
        return QStringLiteral(" %1(%2)").arg(QLatin1String(type), width);
    };
    if (d == QLatin1String("CHAR"))
        return sized("CHAR");
    if (d == QLatin1String("VARCHAR"))
        return sized("VARCHAR");
    if (d == QLatin1String("INTEGER"))
        return QStringLiteral(" INT");
    if (d == QLatin1String("NUMERIC") || d == QLatin1String("DECIMAL"))
        return QStringLiteral(" NUMERIC(%1,%2)").arg(width, scale);
    if (d == QLatin1String("BINARY"))
        return sized("BINARY");
    if (d == QLatin1String("VARBINARY"))
        return sized("VARBINARY");
    // The remaining domains are declared by their own names: DOUBLE, DATE, TIMESTAMP,
    // LONG VARCHAR, TIME, SMALLINT, TINYINT, BIGINT, BIT, FLOAT, LONG BINARY and others.
    if (!d.isEmpty())
        return QLatin1Char(' ') + d;
    return QStringLiteral(" LONG VARCHAR");
}

QString temporaryTableDeclaration(const QString& tableName, const QList<CatalogueColumn>& columns)
{
    QStringList definitions;
    for (const CatalogueColumn& c : columns) {
        QString definition = c.name + temporaryColumnType(c.domain, c.width, c.scale);
        if (c.defaultText)
            definition += QStringLiteral(" DEFAULT ") + *c.defaultText;
        if (c.nulls.toUpper() == QLatin1String("N"))
            definition += QStringLiteral(" NOT NULL");
        definitions.append(definition);
    }
    return QStringLiteral("declare local temporary table temp_") + tableName +
           QStringLiteral(" (") + definitions.join(QLatin1Char(',')) +
           QStringLiteral(") on commit preserve rows");
}

QString CreateTempTable(const CopyContext& context, const QString& tableName,
                        const QString& sourceSide)
{
    context.ui.setBusy(true);
    appendCopyTrace(context, QStringLiteral("CreateTempTable"));
    const QString procedure = QStringLiteral("VRW1,CreateTempTable");
    const QString code = sourceSide.toUpper();
    if (code != QLatin1String("M") && code != QLatin1String("R")) {
        ReportError(context, 5,
                    QStringLiteral("Invalid procedure call or argument: database code \"%1\"")
                        .arg(sourceSide),
                    procedure, QString());
        return QString();
    }
    const Side source = code == QLatin1String("R") ? Side::Remote : Side::Master;
    const Side target = source == Side::Remote ? Side::Master : Side::Remote;
    const QString name = QStringLiteral("temp_") + tableName;
    QString& list = tempTableList(context, target);
    // Names compare as the engine compares them: a second spelling is the same table.
    if (list.contains(QLatin1Char('\'') + name + QLatin1Char('\''), Qt::CaseInsensitive))
        return name;

    QString sql = columnCatalogueQuery(tableName);
    try {
        auto rs = userConnection(context, source).openRecordset(sql, CursorType::Static);
        const QList<CatalogueColumn> columns = catalogueColumns(*rs);
        rs->close();
        if (columns.isEmpty())
            throw DbError(-141, QStringLiteral("Table '%1' not found").arg(tableName),
                          QStringLiteral("42S02"));
        sql = temporaryTableDeclaration(tableName, columns);
        userConnection(context, target).execute(sql);
    } catch (const DbError& e) {
        ReportError(context, e, procedure, sql);
        return QString();
    }
    list += QStringLiteral(" '") + name + QLatin1Char('\'');
    return name;
}

void DropTempTables(const CopyContext& context)
{
    if (!dropListed(context, Side::Master, ConnectToMaster))
        return;
    if (!dropListed(context, Side::Remote, ConnectToRemote))
        return;
    context.ui.setBusy(false);
}

void CreateScratchTable(const CopyContext& context)
{
    SessionState& s = context.state;
    QString sql =
        QStringLiteral("SELECT table_name FROM sys.systable WHERE table_name = 'qel_vr_scratch'");
    try {
        if (!userConnection(context, Side::Remote).openRecordset(sql)->eof())
            return;
        const QString create = QStringLiteral(
            "CREATE TABLE mt.qel_vr_scratch (asset CHAR(80),mtag CHAR(80),xtag CHAR(80));");
        if (isSchemaOwner(s.remoteUser)) {
            // Signed in as the owner already: a new connection would be the same login.
            sql = create;
            userConnection(context, Side::Remote).execute(sql);
            return;
        }
        const AdminCredentials credentials = AdminCredentials::load(context);
        if (credentials.ownerPassword.isEmpty()) {
            // Reconnecting without it would only lose the user's working connection.
            context.ui.setBusy(false);
            context.ui.message(
                {QStringLiteral("The Remote Database lacks the table mt.qel_vr_scratch, and only "
                                "the schema owner may create it, but the owner's password is not "
                                "configured. Put it into %1 (section [Owner], key Password) or "
                                "set VARROW_OWNER_PASSWORD.")
                     .arg(AdminCredentials::filePath()),
                 context.phrase(101), MessageIcon::Exclamation, MessageButtons::Ok, std::nullopt});
            return;
        }
        DisconnectFromRemote(context);
        s.remoteUser = SchemaOwner;
        s.remotePassword = credentials.ownerPassword;
        ConnectToRemote(context);
        sql = create;
        userConnection(context, Side::Remote).execute(sql);
    } catch (const DbError& e) {
        ReportError(context, e, QStringLiteral("VRW1,CreateScratchTable"), sql);
    }
}
