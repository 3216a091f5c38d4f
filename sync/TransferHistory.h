#pragma once

#include <QString>

struct CopyContext;

// The transfer-history row of a synchronisation (new and modified records), written on the
// Master Database at the end of the modified-records transfer. The per-table counts are read
// back from the statistics sheet, where the transfers keep them; text values are quoted with
// their quotes doubled.
QString synchronizeHistoryStatement(const CopyContext& context, const QString& comment);

// The transfer-history row of a merge of all records: type 'Merged', the rows inserted per
// table as the statistics sheet shows them, no modification counts.
QString mergeHistoryStatement(const CopyContext& context, qint32 inserted, const QString& comment);
