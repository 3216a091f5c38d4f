#include "sync/ChangeLog.h"

#include "copy/SqlLiteral.h"

namespace ChangeLog {

QString affectedTable(Family family)
{
    return tableName(family).toUpper();
}

QString tableName(Family family)
{
    switch (family) {
    case Family::Inventory:
        return QStringLiteral("inventory");
    case Family::Calibration:
        return QStringLiteral("calibration");
    case Family::Standards:
        return QStringLiteral("standards");
    case Family::CalResults:
        return QStringLiteral("calresults");
    case Family::Results:
        return QStringLiteral("results");
    case Family::ResultsRaw:
        return QStringLiteral("results_raw");
    case Family::Location:
        return QStringLiteral("location");
    case Family::Repair:
        return QStringLiteral("repair");
    case Family::Customers:
        return QStringLiteral("customers");
    case Family::ValField:
        return QStringLiteral("valfield");
    case Family::ValLinkData:
        return QStringLiteral("vallinkdata");
    }
    return QString();
}

bool resultsTakePart(const QString& remoteSchemaVersion)
{
    return remoteSchemaVersion.compare(QLatin1String("6.9")) > 0;
}

QString pendingCountQuery(const QString& action)
{
    return QStringLiteral(
               "select count(*) from mt.qel_vr_log where sync_date is null and action=") +
           sqlText(action);
}

QString markedCountQuery()
{
    return QStringLiteral("select count(xtag) from mt.qel_vr_log where sync_date is not null");
}

QString historyCountQuery(const QString& hostName)
{
    return QStringLiteral("select count(*) from mt.qel_vr_transfer_log where host_name=") +
           sqlText(hostName);
}

QString clearStatement()
{
    return QStringLiteral("delete from mt.qel_vr_log;commit");
}

QString stampInserted(Family family, const QString& key)
{
    return QStringLiteral("update mt.qel_vr_log set sync_date=now(*) where xtag=") + sqlText(key) +
           QStringLiteral(" and affected_table=") + sqlText(affectedTable(family)) +
           QStringLiteral(" and action='INS';commit");
}

QString stampPair(Family family, const QString& ctag, const QString& secondKey)
{
    return QStringLiteral("update mt.qel_vr_log set sync_date=now(*) where xtag=") + sqlText(ctag) +
           QStringLiteral(" and xtag_additional=") + sqlText(secondKey) +
           QStringLiteral(" and affected_table=") + sqlText(affectedTable(family)) +
           QStringLiteral(" and action in ('INS','DEL');commit");
}

QString stampResult(Family family, const QString& ctag, const QString& rowNumber)
{
    return QStringLiteral("update mt.qel_vr_log set sync_date=now(*) where xtag=") + sqlText(ctag) +
           QStringLiteral(" and xtag_additional=") + sqlText(rowNumber) +
           QStringLiteral(" and affected_table=") + sqlText(affectedTable(family)) +
           QStringLiteral(" and action='INS';commit");
}

} // namespace ChangeLog
