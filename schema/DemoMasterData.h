#pragma once

#include "schema/DemoCatalogue.h"
#include "schema/DemoOptions.h"
#include "schema/DemoRecords.h"

#include <QDate>
#include <QTime>

class SqliteDatabase;

// The master's content: years of a laboratory's records, and the master's own work after
// the remote copy was taken (records the field unit will also make, under its own keys).
class DemoMasterData
{
public:
    // What the master did after the copy, which the field work repeats.
    struct LaterWork
    {
        QString customerNumber;
        DemoCatalogue::Customer customer;
        QString asset; // an item registered on the master and, in other letter case, in the field
        int assetKind = 0;
        DemoRecords::Item calibratedItem;
        QDate calibrationDate;
        QTime calibrationStart;
        DemoRecords::Item movedItem;
        QDate moveDate;
        QString place;
        DemoRecords::Item repairedItem;
        QDate repairDate;
        QString repairOrder;
    };

    // Fills an empty schema (dbremote 0). Runs in one transaction.
    static void fill(SqliteDatabase& master, const DemoOptions& options);
    // Writes the history row of the copy and the master's own later work.
    static LaterWork workAfterCopy(SqliteDatabase& master, const DemoOptions& options);
};
