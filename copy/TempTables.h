#pragma once

#include <QList>
#include <QString>
#include <optional>

struct CopyContext;

// One row of the column catalogue query, as the declaration of a temporary copy needs it.
struct CatalogueColumn
{
    QString name;
    std::optional<QString> defaultText; // SQL text of the default, if any
    QString nulls;                      // "N": NOT NULL
    QString domain;
    QString width;
    QString scale;
};

// The type clause of a column in a temporary table's declaration, with its leading blank
// (" CHAR(20)", " NUMERIC(10,2)"). Every domain gets one, so no declaration fails on a type.
QString temporaryColumnType(const QString& domain, const QString& width, const QString& scale);

// "declare local temporary table temp_<table> (...) on commit preserve rows".
QString temporaryTableDeclaration(const QString& tableName, const QList<CatalogueColumn>& columns);

// Declares temp_<tableName> as an empty copy of a table's structure in the other database:
// sourceSide "R" (any case) copies a Remote Database table into the Master Database, "M" a
// Master Database table into the Remote Database. A table already declared there this run
// is not declared again. Returns the temporary table's name; empty after a lost connection.
QString CreateTempTable(const CopyContext& context, const QString& tableName,
                        const QString& sourceSide);

// Drops every temporary table declared this run, in both databases, ignoring failures, and
// empties both lists. A database with nothing listed is not asked anything.
void DropTempTables(const CopyContext& context);

// Makes sure the Remote Database holds the template table mt.qel_vr_scratch. Creating it
// needs the schema owner: unless the user is "MT" already, the remote connection is reopened
// as "MT" with the owner's configured password and stays so.
void CreateScratchTable(const CopyContext& context);
