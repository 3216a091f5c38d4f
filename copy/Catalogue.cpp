#include "copy/Catalogue.h"

#include "base/ErrorReporter.h"
#include "copy/CopyContext.h"
#include "copy/CopyTrace.h"
#include "copy/SqlLiteral.h"
#include "db/Command.h"
#include "session/Sessions.h"

#include <QRegularExpression>

namespace {

const QChar quote = QLatin1Char('"');

QString longTextCast(const QString& columnName)
{
    return QStringLiteral("cast(") + columnName + QStringLiteral(" AS char(32767))");
}

bool isLongText(const DbValue& domain)
{
    return domain.value_or(QString()).toUpper() == QLatin1String("LONG VARCHAR");
}

// The select list and the column expression differ only in how many rows they read.
QString selectListOf(Recordset& rs, bool allRows)
{
    QString list;
    while (!rs.eof()) {
        const QString name = rs.value(0).value_or(QString());
        list += isLongText(rs.value(3)) ? longTextCast(name) : name;
        if (!allRows)
            break;
        rs.moveNext();
        if (!rs.eof())
            list += QLatin1Char(',');
    }
    return list;
}

// A table name as the catalogue knows it: the copies the transfers declare carry the name
// of their model table behind "temp_".
QString catalogueTableName(const QString& tableName)
{
    if (tableName.left(5).toLower() == QLatin1String("temp_"))
        return tableName.mid(5);
    return tableName;
}

QString domainQuery(const QString& columnName, const QString& tableName)
{
    return QStringLiteral("select domain_name from sys.sysdomain where domain_id=(select "
                          "max(domain_id) from sys.syscolumn where column_name='") +
           doubledQuotes(columnName) +
           QStringLiteral("' and table_id in (select table_id from sys.systable where "
                          "table_name='") +
           doubledQuotes(tableName) + QStringLiteral("'))");
}

} // namespace

bool TableExists(const CopyContext& context, const QString& which, const QString& tableName)
{
    return tableExistsChecked(context, which, tableName).value_or(false);
}

std::optional<bool> tableExistsChecked(const CopyContext& context, const QString& which,
                                       const QString& tableName)
{
    std::optional<Side> side;
    if (which == QLatin1String("M"))
        side = Side::Master;
    else if (which == QLatin1String("R"))
        side = Side::Remote;
    if (!side)
        return false;
    const QString sql = QStringLiteral("SELECT table_name FROM sys.systable WHERE table_name = ") +
                        sqlText(tableName);
    try {
        return !userConnection(context, *side).openRecordset(sql)->eof();
    } catch (const DbError& e) {
        ReportError(context, e, QStringLiteral("VRW1,TableExists"), sql);
        return std::nullopt;
    }
}

QString resultColumnName(const QString& fieldName)
{
    static const QRegularExpression cast(
        QStringLiteral("^\\s*cast\\s*\\(\\s*([A-Za-z_][A-Za-z0-9_$#@]*)\\s+as\\s+.*\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = cast.match(fieldName);
    return m.hasMatch() ? m.captured(1) : fieldName;
}

QString columnCatalogueQuery(const QString& tableName)
{
    return QStringLiteral("select column_name,cast(") + quote + QStringLiteral("default") + quote +
           QStringLiteral(" as char),nulls,(select domain_name from sys.sysdomain where "
                          "sys.sysdomain.domain_id = sys.syscolumn.domain_id),width,scale from "
                          "sys.syscolumn where table_id = (select table_id from sys.systable where "
                          "table_name = '") +
           doubledQuotes(tableName) +
           QStringLiteral("' and table_type = 'base') order by column_id asc");
}

QString columnCatalogueQuery(const QString& tableName, const QString& columnName)
{
    return QStringLiteral("select column_name,cast(") + quote + QStringLiteral("default") + quote +
           QStringLiteral(" as char),nulls,") +
           QStringLiteral("(select domain_name from sys.sysdomain where sys.sysdomain.domain_id = "
                          "sys.syscolumn.domain_id),") +
           QStringLiteral("width,scale from sys.syscolumn where table_id=(select table_id from "
                          "sys.systable ") +
           QStringLiteral("where table_name = '") + doubledQuotes(tableName) +
           QStringLiteral("' and table_type = 'base')") + QStringLiteral(" and column_name='") +
           doubledQuotes(columnName) + QStringLiteral("'");
}

QString CreateSelectList(const CopyContext& context, const QString& tableName)
{
    context.ui.setBusy(true);
    appendCopyTrace(context, QStringLiteral("CreateSelectList"));
    Command command;
    command.setCommandText(columnCatalogueQuery(tableName));
    try {
        command.setActiveConnection(&userConnection(context, Side::Remote));
        return selectListOf(*command.open(), true);
    } catch (const DbError& e) {
        ReportError(context, e, QStringLiteral("VRW1,CreateSelectList"), command.commandText());
        return QString();
    }
}

QString ColumnFormatted(const CopyContext& context, const QString& columnName,
                        const QString& tableName)
{
    Command command;
    command.setCommandText(columnCatalogueQuery(tableName, columnName));
    try {
        command.setActiveConnection(&userConnection(context, Side::Remote));
        auto rs = command.open();
        // A column the table lacks is a fault of the caller's statement, not an empty list.
        const QString name = rs->value(0).value_or(QString());
        return isLongText(rs->value(3)) ? longTextCast(name) : name;
    } catch (const DbError& e) {
        ReportError(context, e, QStringLiteral("VRW1,ColumnFormatted"), command.commandText());
        return QString();
    }
}

int FieldType(const CopyContext& context, const QString& columnName, const QString& tableName)
{
    return fieldFormat(context, columnName, tableName).code;
}

FieldFormat fieldFormat(const CopyContext& context, const QString& columnName,
                        const QString& tableName)
{
    context.ui.setBusy(true);
    appendCopyTrace(context, QStringLiteral("FieldType"));
    if (FieldFormat::isVerbatimColumn(columnName))
        return {FieldFormat::Time, false};
    FieldTypeCache& cache = context.tableCopy.fieldTypes;
    if (const std::optional<FieldFormat> known = cache.find(columnName))
        return *known;

    const QString sql = domainQuery(columnName, catalogueTableName(tableName));
    FieldFormat format;
    try {
        auto rs = userConnection(context, Side::Remote).openRecordset(sql);
        if (!rs->eof())
            format = FieldFormat::forDomain(rs->value(0).value_or(QString()));
    } catch (const DbError& e) {
        ReportError(context, e, QStringLiteral("VRW1,FieldType"), sql);
        return FieldFormat();
    }
    cache.store(columnName, format);
    return format;
}

QString columnValueLiteral(const CopyContext& context, const QString& selectStatement,
                           const QString& tableName)
{
    auto rs = userConnection(context, Side::Remote).openRecordset(selectStatement);
    if (rs->eof())
        return DeletedRecord;
    const FieldFormat format = fieldFormat(context, resultColumnName(rs->fieldName(0)), tableName);
    const DbValue value = rs->value(0);
    const std::optional<QString> literal = fieldLiteral(value, format);
    if (!literal)
        throw conversionError(*value, format);
    return *literal;
}

QString ColumnValue(const CopyContext& context, const QString& selectStatement,
                    const QString& tableName)
{
    try {
        return columnValueLiteral(context, selectStatement, tableName);
    } catch (const DbError& e) {
        ReportError(context, e, QStringLiteral("VRW1,ColumnValue"), selectStatement);
        return QString();
    }
}
