#include "sync/TransferHistory.h"

#include "copy/CopyContext.h"
#include "copy/SqlLiteral.h"

namespace {

// A history row: the workstation, the user and the start time, the run's type and counts,
// the stop time, the per-table numbers the statistics sheet shows in `boxes` (for the columns
// `boxColumns`), the operating-system user and the comment.
QString historyStatement(const CopyContext& context, const char* type, const char* countColumns,
                         const QList<qint32>& counts, const char* boxColumns,
                         std::initializer_list<const char*> boxes, const QString& comment)
{
    const SessionState& s = context.state;
    const QChar comma = QLatin1Char(',');
    QString text = QStringLiteral("insert into mt.qel_vr_transfer_log(host_name,user_name,"
                                  "start_time,transfer_type,") +
                   QLatin1String(countColumns) + QStringLiteral(",stop_time,") +
                   QLatin1String(boxColumns) + QStringLiteral(",user_account,comments)values(");
    text += sqlText(s.remoteMachineName) + comma + sqlText(s.masterUser) + comma +
            sqlText(s.transferStartTime) + comma + sqlText(QLatin1String(type)) + comma;
    for (const qint32 count : counts)
        text += sqlText(QString::number(count)) + comma;
    text += sqlText(s.transferStopTime) + comma;
    for (const char* box : boxes)
        text += sqlText(context.statistics.numberText(QLatin1String(box))) + comma;
    text += sqlText(s.operatingSystemUser) + comma + sqlText(comment) + QStringLiteral(");commit");
    return text;
}

} // namespace

QString synchronizeHistoryStatement(const CopyContext& context, const QString& comment)
{
    const SessionState& s = context.state;
    return historyStatement(
        context, "Synchronize", "num_records,num_mods", {s.newRecordTotal, s.modifiedRecordTotal},
        "inv_new,cal_new,resc_new,resf_new,resr_new,std_new,loc_new,rep_new,cus_new,"
        "inv_mod,cal_mod,loc_mod,rep_mod,cus_mod",
        {"Rinvnumber", "Rcalnumber", "Rcrsnumber", "Rfrsnumber", "Rrrsnumber", "Rstdnumber",
         "Rlocnumber", "Rrepnumber", "Rcusnumber", "Minvnumber", "Mcalnumber", "Mlocnumber",
         "Mrepnumber", "Mcusnumber"},
        comment);
}

QString mergeHistoryStatement(const CopyContext& context, qint32 inserted, const QString& comment)
{
    return historyStatement(
        context, "Merged", "num_records", {inserted},
        "inv_new,cal_new,resc_new,resf_new,resr_new,std_new,loc_new,rep_new,cus_new",
        {"Minvnumber", "Mcalnumber", "Mcrsnumber", "Mfrsnumber", "Mrrsnumber", "Mstdnumber",
         "Mlocnumber", "Mrepnumber", "Mcusnumber"},
        comment);
}
