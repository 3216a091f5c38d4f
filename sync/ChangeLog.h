#pragma once

#include <QString>

// The change log (mt.qel_vr_log, Remote Database) and the transfer history
// (mt.qel_vr_transfer_log, Master Database): the statements every transfer and the menus
// share. Keys and values pasted between quotes have their quotes doubled.
namespace ChangeLog {

// The eleven kinds of rows the log speaks of, by their affected_table value.
enum class Family
{
    Inventory,
    Calibration,
    Standards,
    CalResults,
    Results,
    ResultsRaw,
    Location,
    Repair,
    Customers,
    ValField,
    ValLinkData,
};

// "INVENTORY", "RESULTS_RAW", ...: the affected_table value of a family.
QString affectedTable(Family family);
// The table of a family, as the schema names it ("inventory", "results_raw", ...).
QString tableName(Family family);

// Full and raw results take part in transfers only from schema version 7 on: the version's
// first character compares greater than "6.9" as text.
bool resultsTakePart(const QString& remoteSchemaVersion);

// Counting pending rows of one action ("INS", "UPD", "DEL") for the menus.
QString pendingCountQuery(const QString& action);
// Rows marked as carried by a run that was interrupted before it removed them: work still to
// be finished, so they count as pending modifications.
QString markedCountQuery();
// This workstation's history rows, counted for the menus.
QString historyCountQuery(const QString& hostName);

// Empties a change log; sent to either database.
QString clearStatement();

// Stamps the INS entry of a row of a single-key table as carried. Only that table's entry:
// a calibration shares its key with the entries of its standards and results, which are
// carried (or kept back) on their own.
QString stampInserted(Family family, const QString& key);
// Stamps INS and DEL entries of a two-part key (standards, calibration results) of that table
// only: a calibration result's key (ctag, test point) reads like a result row's (ctag, row).
QString stampPair(Family family, const QString& ctag, const QString& secondKey);
// Stamps the INS entry of a full or raw result row (family Results or ResultsRaw).
QString stampResult(Family family, const QString& ctag, const QString& rowNumber);

} // namespace ChangeLog
