#pragma once

#include <QSet>
#include <QString>

// What the engine's system procedures report about a connection, gathered once when the
// connection is made (see SqliteDialect::attach).
struct SessionFacts
{
    QString alias;   // the data source's DatabaseName, else the file's base name
    QString file;    // absolute path of the database file
    QString logName; // the file SQLite logs changes to before they reach the database
    qint64 pageSize = 0;
    bool readOnly = false;
    QString engineName;     // the data source's EngineName, else the alias
    QString productVersion; // SQLite's version
    QString platform;
    QString machineName; // the data source's MachineName, else the host name
    // Lower-case names of the columns, of any table, that may hold a real number (all but
    // those of text affinity), so that queries read their values whole (ExactValueRule).
    QSet<QString> realColumns;
};
