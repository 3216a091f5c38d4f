#pragma once

#include "schema/ColumnDefinition.h"

#include <QList>
#include <QString>
#include <QStringList>

// How the change-log triggers describe a row of a table.
enum class ChangeLogForm
{
    None,            // not logged
    Keyed,           // INS/DEL/UPD with the key in xtag (and xtag_additional)
    ValidationField, // valfield: UPD names the column in xtag_additional
    ValidationLink,  // vallinkdata: UPD carries the new value and rootdata
};

// Where a logged row finds the asset number of the item it concerns.
enum class AssetSource
{
    None,              // not about an item
    Own,               // the row carries i4201 itself (inventory)
    Item,              // through its mtag
    ItemOrCalibration, // through its mtag, else through the calibration its ctag names
};

// A table of the calibration-management schema: columns, keys and the way its changes are
// logged on a remote copy.
struct TableDefinition
{
    QString name; // lower case; the schema owner "mt" is implied
    QList<ColumnDefinition> columns;
    QStringList primaryKey;
    QList<QStringList> uniqueKeys;
    QList<QStringList> indexes;

    ChangeLogForm logForm = ChangeLogForm::None;
    QString xtagColumn;
    QString xtagAdditionalColumn;
    AssetSource assetSource = AssetSource::None;

    const ColumnDefinition* column(const QString& columnName) const;
    QStringList columnNames() const;
    // "CREATE TABLE ..." for SQLite: every character column COLLATE NOCASE.
    QString createStatement() const;
    // "CREATE INDEX ..." for each secondary index.
    QStringList indexStatements() const;
};
