#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The ODBC configuration of one test process: drivers into $ODBCSYSINI/odbcinst.ini, data
// sources into $ODBCSYSINI/odbc.ini (or a file of the test's choice). Write it before the
// first ODBC call of the process: the driver manager reads these files once.
class OdbcTestConfig
{
public:
    using Keys = QList<QPair<QString, QString>>;

    // The SQLite ODBC driver library of this machine, or empty when it is not installed.
    static QString sqliteDriverPath();

    void addDriver(const QString& name, const QString& library, const QString& description = {});
    void addDataSource(const QString& name, const QString& driver, const Keys& keys = {});
    // A data source on a SQLite database file through a driver added with addDriver().
    void addSqliteDataSource(const QString& name, const QString& driver,
                             const QString& databaseFile, const Keys& extraKeys = {});

    // Writes odbcinst.ini and odbc.ini into $ODBCSYSINI; false (with a reason) on failure.
    bool write(QString* error = nullptr) const;
    // Writes only the data sources into the given file (the user data sources of $ODBCINI,
    // say).
    bool writeDataSources(const QString& file, QString* error = nullptr) const;

    static QString systemDirectory(); // $ODBCSYSINI

private:
    struct Section
    {
        QString name;
        Keys keys;
    };
    static bool writeIni(const QString& file, const QList<Section>& sections, QString* error);

    QList<Section> m_drivers;
    QList<Section> m_dataSources;
};
