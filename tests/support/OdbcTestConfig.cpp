#include "tests/support/OdbcTestConfig.h"

#include "schema/DemoOdbcFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

QString OdbcTestConfig::sqliteDriverPath()
{
    return DemoOdbcFiles::installedDriver();
}

QString OdbcTestConfig::systemDirectory()
{
    return qEnvironmentVariable("ODBCSYSINI");
}

void OdbcTestConfig::addDriver(const QString& name, const QString& library,
                               const QString& description)
{
    Keys keys = {{QStringLiteral("Driver"), library}};
    if (!description.isEmpty())
        keys.prepend({QStringLiteral("Description"), description});
    m_drivers.append({name, keys});
}

void OdbcTestConfig::addDataSource(const QString& name, const QString& driver, const Keys& keys)
{
    Keys all = {{QStringLiteral("Driver"), driver}};
    all.append(keys);
    m_dataSources.append({name, all});
}

void OdbcTestConfig::addSqliteDataSource(const QString& name, const QString& driver,
                                         const QString& databaseFile, const Keys& extraKeys)
{
    Keys keys = {{QStringLiteral("Database"), databaseFile},
                 {QStringLiteral("NoCreat"), QStringLiteral("0")}};
    keys.append(extraKeys);
    addDataSource(name, driver, keys);
}

bool OdbcTestConfig::write(QString* error) const
{
    const QString directory = systemDirectory();
    if (directory.isEmpty()) {
        if (error)
            *error = QStringLiteral("ODBCSYSINI is not set; run the test through ctest");
        return false;
    }
    QDir().mkpath(directory);
    QList<Section> drivers = m_drivers;
    // The driver manager reads its own defaults from this section.
    drivers.prepend({QStringLiteral("ODBC"), {}});
    return writeIni(directory + QStringLiteral("/odbcinst.ini"), drivers, error) &&
           writeDataSources(directory + QStringLiteral("/odbc.ini"), error);
}

bool OdbcTestConfig::writeDataSources(const QString& file, QString* error) const
{
    return writeIni(file, m_dataSources, error);
}

bool OdbcTestConfig::writeIni(const QString& file, const QList<Section>& sections, QString* error)
{
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(file, out.errorString());
        return false;
    }
    QTextStream stream(&out);
    for (const Section& section : sections) {
        stream << '[' << section.name << "]\n";
        for (const auto& [key, value] : section.keys)
            stream << key << '=' << value << '\n';
        stream << '\n';
    }
    stream.flush();
    return out.error() == QFileDevice::NoError;
}
