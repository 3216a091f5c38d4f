#include "sync/TransferHistory.h"

#include "copy/CopyContext.h"
#include "copy/SqlLiteral.h"

QString synchronizeHistoryStatement(const CopyContext& context, const QString& comment)
{
    const SessionState& s = context.state;
    const StatisticsSheet& sheet = context.statistics;
    const QChar comma = QLatin1Char(',');
    QString text = QStringLiteral(
        "insert into mt.qel_vr_transfer_log(host_name,user_name,start_time,transfer_type,"
        "num_records,num_mods,stop_time,"
        "inv_new,cal_new,resc_new,resf_new,resr_new,std_new,loc_new,rep_new,cus_new,"
        "inv_mod,cal_mod,loc_mod,rep_mod,cus_mod,user_account,comments)values(");
    text += sqlText(s.remoteMachineName) + comma + sqlText(s.masterUser) + comma +
            sqlText(s.transferStartTime) + comma + QStringLiteral("'Synchronize',") +
            sqlText(QString::number(s.newRecordTotal)) + comma +
            sqlText(QString::number(s.modifiedRecordTotal)) + comma + sqlText(s.transferStopTime) +
            comma;
    for (const char* box : {"Rinvnumber", "Rcalnumber", "Rcrsnumber", "Rfrsnumber", "Rrrsnumber",
                            "Rstdnumber", "Rlocnumber", "Rrepnumber", "Rcusnumber", "Minvnumber",
                            "Mcalnumber", "Mlocnumber", "Mrepnumber", "Mcusnumber"})
        text += sqlText(sheet.numberText(QLatin1String(box))) + comma;
    text += sqlText(s.operatingSystemUser) + comma + sqlText(comment) + QStringLiteral(");commit");
    return text;
}

QString mergeHistoryStatement(const CopyContext& context, qint32 inserted, const QString& comment)
{
    const SessionState& s = context.state;
    const StatisticsSheet& sheet = context.statistics;
    const QChar comma = QLatin1Char(',');
    QString text = QStringLiteral(
        "insert into mt.qel_vr_transfer_log(host_name,user_name,start_time,transfer_type,"
        "num_records,stop_time,inv_new,cal_new,resc_new,resf_new,resr_new,std_new,loc_new,"
        "rep_new,cus_new,user_account,comments)values(");
    text += sqlText(s.remoteMachineName) + comma + sqlText(s.masterUser) + comma +
            sqlText(s.transferStartTime) + comma + QStringLiteral("'Merged',") +
            sqlText(QString::number(inserted)) + comma + sqlText(s.transferStopTime) + comma;
    for (const char* box : {"Minvnumber", "Mcalnumber", "Mcrsnumber", "Mfrsnumber", "Mrrsnumber",
                            "Mstdnumber", "Mlocnumber", "Mrepnumber", "Mcusnumber"})
        text += sqlText(sheet.numberText(QLatin1String(box))) + comma;
    text += sqlText(s.operatingSystemUser) + comma + sqlText(comment) + QStringLiteral(");commit");
    return text;
}
