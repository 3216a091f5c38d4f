#pragma once

#include "copy/FieldFormat.h"

#include <QString>
#include <optional>

struct CopyContext;

// The catalogue look-ups of the table-copy engine. Apart from TableExists they all ask the
// Remote Database, whose schema stands for both. Each reports its own failures
// (VRW1,<name>) and, after a lost connection, returns its empty result.

// Whether a table of that name (as the catalogue stores it, without owner) exists in the
// Master Database ("M") or the Remote Database ("R"). Any other database code is false and
// sends nothing. A failure is reported (VRW1,TableExists) and reads as false.
bool TableExists(const CopyContext& context, const QString& which, const QString& tableName);

// The same question, telling a failure (reported, nothing known) apart from an answer.
std::optional<bool> tableExistsChecked(const CopyContext& context, const QString& which,
                                       const QString& tableName);

// The column catalogue query of a base table: name, default text, nulls, domain, width and
// scale per column, in column order. With a column name: that column alone.
QString columnCatalogueQuery(const QString& tableName);
QString columnCatalogueQuery(const QString& tableName, const QString& columnName);

// The select list of a table in column order ("a,b,c"); long text columns are cast to
// char(32767) so they arrive whole. Empty for a table without columns.
QString CreateSelectList(const CopyContext& context, const QString& tableName);

// One column's select-list expression: the cast for a long text column, else its name.
QString ColumnFormatted(const CopyContext& context, const QString& columnName,
                        const QString& tableName);

// The field type code of a column (FieldFormat::Code). Cached by column name alone for the
// whole run; "C2333" and "C2334" are always 3. A leading "temp_" of the table name is
// ignored; an owner prefix is not, so an owner-qualified name finds no table and gives 0.
int FieldType(const CopyContext& context, const QString& columnName, const QString& tableName);
// The same look-up with the column's full format (whether it holds binary data).
FieldFormat fieldFormat(const CopyContext& context, const QString& columnName,
                        const QString& tableName);

// The column a result field stands for. Engines may name an unaliased cast after its text
// ("cast(i4218 AS char(32767))"), so the column inside such a cast is taken; any other
// field keeps its name.
QString resultColumnName(const QString& fieldName);

// What ColumnValue returns when the select finds no row: the record is gone.
inline const QString DeletedRecord = QStringLiteral("$DELETED RECORD$");

// Runs a one-column select on the Remote Database and returns the first row's value as SQL
// literal text ("NULL" for a null), or DeletedRecord when there is no row. A value that cannot
// be read or rendered throws DbError: the caller decides whether that ends the run.
QString columnValueLiteral(const CopyContext& context, const QString& selectStatement,
                           const QString& tableName);
// The same, with a failure reported (VRW1,ColumnValue).
QString ColumnValue(const CopyContext& context, const QString& selectStatement,
                    const QString& tableName);
