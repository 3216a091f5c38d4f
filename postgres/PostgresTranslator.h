#pragma once

#include <QStringList>

// Turns one command text of the program into the PostgreSQL statements that carry it out, in
// order. Pure, as SqliteTranslator is, and built from the same tokenizer, splitter and rules;
// where the two engines differ the rules take PostgreSQL's forms:
//
// * owners are dropped: the connection's search path is the schema "mt", then "sys" (the
//   catalogue views and system functions), then "public";
// * "set option blocking_timeout = n" becomes "set lock_timeout = n" (0: no limit in both);
// * now(*) is varrow_now(); left and right are PostgreSQL's own; locate is a function of the
//   database;
// * "call sa_db_info(...)" and "call sa_eng_properties()" read the functions of "sys";
// * 0x... is a bytea literal; temporary tables take citext for character columns (the engine
//   compares text without regard to case), bytea for binary ones, smallint for BIT and
//   TINYINT, double precision for DOUBLE and FLOAT (the remote keeps every real in 8 bytes).
class PostgresTranslator
{
public:
    // Throws DbError for statements the stand-in cannot carry out.
    static QStringList translate(const QString& commandText);

    // A temporary table's column type in PostgreSQL (see TemporaryTableRule::ColumnType).
    static QString columnType(const QString& declared, bool hasCollation);
};
