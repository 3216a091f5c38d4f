#pragma once

#include "db/Recordset.h"
#include "sync/ChangeLog.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <span>

// The kinds of logged modification the modified-records transfer carries, and the statements
// that list, read, find and mark their change-log rows.
namespace ModifiedRecords {

using ChangeLog::Family;

// The change-log columns that hold a family's second key, the changed column's name and the
// new value (null: the family's log rows have none). Every row also has its key in xtag and
// the moment it was logged in event_date.
struct LogLayout
{
    const char* secondKey;
    const char* column;
    const char* value;
};

constexpr LogLayout singleKey{nullptr, "affected_column", nullptr};
constexpr LogLayout twoKeys{"xtag_additional", "affected_column", nullptr};
constexpr LogLayout valFieldLog{nullptr, "xtag_additional", nullptr};
constexpr LogLayout valLinkLog{"i4201", "affected_column", "xtag_additional"};

enum Trait : unsigned
{
    OrderedByEvent = 1, // the log rows are carried in the order they were logged
    VersionGated = 2,   // takes part only when the remote schema carries the table
    Validation = 4,     // a validation table: always the schema owner's, whatever the segregate
    ReadFormatted = 8,  // long text columns are read through a cast so they arrive whole
};

// Everything that sets one kind of logged modification apart: how its log rows are listed and
// read, the key columns its rows are found by, which boxes count it, the procedure named in
// syncerr.log, and the status shown once it is done (0: unchanged).
struct FamilyFacts
{
    Family family;
    const char* suffix; // count boxes
    const char* procedure;
    LogLayout log;
    const char* keyColumn;
    const char* secondKeyColumn;
    unsigned traits;
    int progressAfter;
    int barAfter;

    bool has(Trait trait) const { return (traits & trait) != 0; }
};

// The families in the order they are carried.
std::span<const FamilyFacts> families();

// The fields of one change-log row, as its family lists them. The value is null when the
// log holds a NULL (or the family logs none).
struct LogRow
{
    QString key, secondKey, column;
    DbValue value;
    QString eventDate;
};

// The log columns listed for a family, in the order readLogRow reads them.
QStringList logColumns(const LogLayout& log);
// The pending rows of a family logged after the timestamp literal after and up to upTo (each
// when given), and how many there are.
QString logQuery(const FamilyFacts& facts, const std::optional<QString>& after,
                 const std::optional<QString>& upTo);
// The event date of the pending row at position rows (from 1) of that stretch, in the order of
// event dates: where a stretch of about that many rows ends.
QString stretchEndQuery(const FamilyFacts& facts, const std::optional<QString>& after,
                        const std::optional<QString>& upTo, int rows);
QString countQuery(Family family);
LogRow readLogRow(const LogLayout& log, Recordset& rs);
// The table as a statement names it: the validation tables always belong to "mt", the others
// to the connected user's segregate.
QString qualifiedTable(const FamilyFacts& facts, const QString& segregate);
// "where mtag='M1'" or "where ctag='C1' and c2430='M2'", keys quoted with quotes doubled.
QString keyCondition(const FamilyFacts& facts, const LogRow& row);
// Marks as carried the log rows of this change that were logged up to this row: the same
// table, key, second key, column (and, where the log holds it, value). Rows logged later, a
// failed column of the same key, deletions and other families' rows stay pending. Throws
// DbError when the row's event date cannot be read.
QString markStatement(const FamilyFacts& facts, const LogRow& row);

} // namespace ModifiedRecords
