#pragma once

#include "schema/TableDefinition.h"

#include <QString>
#include <QStringList>

// Generates the triggers that log every inserted, deleted and updated row of a logged table
// into qel_vr_log, only while dbconfig marks the database as a remote copy (dbremote = 1).
//
// Keyed tables log INS and DEL with their key in xtag/xtag_additional and one UPD per changed
// column. valfield logs a changed column's name in xtag_additional; vallinkdata logs root in
// xtag, the new value in xtag_additional and rootdata in i4201. A change of a validation
// row's key is logged as DEL of the old row and INS of the new one.
class ChangeLogTriggers
{
public:
    // The connected user and the local time ("YYYY-MM-DD HH:NN:SS.SSS") as SQL expressions.
    static QString userExpression();
    static QString nowExpression();

    // CREATE TRIGGER statements for one table; none for a table that is not logged.
    static QStringList createStatements(const TableDefinition& table);
    // The same logging in PostgreSQL: a PL/pgSQL function of the table in schema mt and the
    // trigger that calls it after each row's INSERT, UPDATE and DELETE.
    static QStringList createPostgresStatements(const TableDefinition& table);
};
