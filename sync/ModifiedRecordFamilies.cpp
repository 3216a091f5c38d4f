#include "sync/ModifiedRecordFamilies.h"

#include "copy/FieldFormat.h"
#include "copy/SqlLiteral.h"

namespace ModifiedRecords {

namespace {

// The validation field's second key is the value's own key (see the transfer's
// transferValField).
const FamilyFacts familyTable[] = {
    {Family::Inventory, "inv", "Inventory", singleKey, "mtag", nullptr,
     OrderedByEvent | ReadFormatted, 403, 40},
    {Family::Calibration, "cal", "Calibration", singleKey, "ctag", nullptr,
     OrderedByEvent | ReadFormatted, 404, 50},
    {Family::Standards, "std", "Standards", twoKeys, "ctag", "c2430", OrderedByEvent, 405, 60},
    {Family::CalResults, "crs", "Results", twoKeys, "ctag", "c2502", 0, 415, 65},
    {Family::Results, "frs", "FullResults", twoKeys, "ctag", "row_num", VersionGated, 416, 70},
    {Family::ResultsRaw, "rrs", "RawResults", twoKeys, "ctag", "row_num", VersionGated, 406, 75},
    {Family::Location, "loc", "Location", singleKey, "ltag", nullptr,
     OrderedByEvent | ReadFormatted, 407, 80},
    {Family::Repair, "rep", "Repair", singleKey, "rtag", nullptr, OrderedByEvent | ReadFormatted,
     408, 90},
    {Family::Customers, "cus", "Customers", singleKey, "ktag", nullptr, OrderedByEvent, 0, 0},
    {Family::ValField, "vfd", "ValFields", valFieldLog, "fldnum", "val", Validation, 0, 0},
    // Its log rows carry the new values, so the last one logged must be written last.
    {Family::ValLinkData, "vld", "ValLinks", valLinkLog, "root", "rootdata",
     Validation | OrderedByEvent, 0, 0},
};

} // namespace

std::span<const FamilyFacts> families()
{
    return familyTable;
}

QStringList logColumns(const LogLayout& log)
{
    QStringList columns{QStringLiteral("xtag")};
    for (const char* column : {log.secondKey, log.column, log.value}) {
        if (column)
            columns.append(QLatin1String(column));
    }
    columns.append(QStringLiteral("event_date"));
    return columns;
}

namespace {

QString pendingStretch(const FamilyFacts& facts, const std::optional<QString>& after,
                       const std::optional<QString>& upTo)
{
    return QStringLiteral(" from mt.qel_vr_log where sync_date is null and affected_table='") +
           ChangeLog::affectedTable(facts.family) + QStringLiteral("' and action='UPD'") +
           (after ? QStringLiteral(" and event_date>") + *after : QString()) +
           (upTo ? QStringLiteral(" and event_date<=") + *upTo : QString());
}

} // namespace

QString logQuery(const FamilyFacts& facts, const std::optional<QString>& after,
                 const std::optional<QString>& upTo)
{
    return QStringLiteral("select ") + logColumns(facts.log).join(QLatin1Char(',')) +
           pendingStretch(facts, after, upTo) +
           (facts.has(OrderedByEvent) ? QStringLiteral(" order by event_date") : QString());
}

QString stretchEndQuery(const FamilyFacts& facts, const std::optional<QString>& after,
                        const std::optional<QString>& upTo, int rows)
{
    return QStringLiteral("select top 1 start at ") + QString::number(rows) +
           QStringLiteral(" event_date") + pendingStretch(facts, after, upTo) +
           QStringLiteral(" order by event_date");
}

QString countQuery(Family f)
{
    return QStringLiteral("select count(xtag) from mt.qel_vr_log where sync_date is null and "
                          "action='UPD' and affected_table='") +
           ChangeLog::affectedTable(f) + QLatin1Char('\'');
}

LogRow readLogRow(const LogLayout& log, Recordset& rs)
{
    int at = 0;
    auto next = [&rs, &at](const char* column) -> DbValue {
        return column ? rs.value(at++) : DbValue();
    };
    LogRow row;
    row.key = next("xtag").value_or(QString());
    row.secondKey = next(log.secondKey).value_or(QString());
    row.column = next(log.column).value_or(QString());
    row.value = next(log.value);
    row.eventDate = next("event_date").value_or(QString());
    return row;
}

QString qualifiedTable(const FamilyFacts& facts, const QString& segregate)
{
    return (facts.has(Validation) ? QStringLiteral("mt") : segregate) + QLatin1Char('.') +
           ChangeLog::tableName(facts.family);
}

QString keyCondition(const FamilyFacts& facts, const LogRow& row)
{
    QString condition = QStringLiteral(" where ") + QLatin1String(facts.keyColumn) +
                        QLatin1Char('=') + sqlText(row.key);
    if (facts.secondKeyColumn)
        condition += QStringLiteral(" and ") + QLatin1String(facts.secondKeyColumn) +
                     QLatin1Char('=') + sqlText(row.secondKey);
    return condition;
}

QString markStatement(const FamilyFacts& facts, const LogRow& row)
{
    const std::optional<QString> loggedAt =
        fieldLiteral(row.eventDate, FieldFormat{FieldFormat::Timestamp, false});
    if (row.eventDate.isEmpty() || !loggedAt)
        throw DbError(0,
                      QStringLiteral("The change log holds an unreadable event date: %1 (key %2)")
                          .arg(row.eventDate, row.key));
    QString text = QStringLiteral("update mt.qel_vr_log set sync_date=now(*) where sync_date is "
                                  "null and action='UPD' and affected_table=") +
                   sqlText(ChangeLog::affectedTable(facts.family)) + QStringLiteral(" and xtag=") +
                   sqlText(row.key);
    if (facts.log.secondKey)
        text += QStringLiteral(" and ") + QLatin1String(facts.log.secondKey) + QLatin1Char('=') +
                sqlText(row.secondKey);
    text += QStringLiteral(" and ") + QLatin1String(facts.log.column) + QLatin1Char('=') +
            sqlText(row.column);
    if (facts.log.value)
        text += QStringLiteral(" and ") + QLatin1String(facts.log.value) +
                (row.value ? QLatin1Char('=') + sqlText(*row.value) : QStringLiteral(" is null"));
    return text + QStringLiteral(" and event_date<=") + *loggedAt + QStringLiteral(";commit");
}

} // namespace ModifiedRecords
