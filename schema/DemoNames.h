#pragma once

#include <QLatin1String>

// The names a demo workspace gives its two databases. The two data sources act as two
// machines with two engines, as a laboratory server and a field laptop would.
namespace DemoNames {

struct DataSource
{
    QLatin1String dsn;
    QLatin1String database; // DatabaseName: the alias the engine reports
    QLatin1String engine;
    QLatin1String machine;
    QLatin1String description;
};

inline constexpr QLatin1String driver("Varrow SQL Anywhere stand-in");
inline constexpr QLatin1String databaseFile("caldata.db"); // in master/ and in remote/
inline constexpr DataSource master{
    QLatin1String("VarrowMaster"), QLatin1String("caldata"), QLatin1String("LabServer"),
    QLatin1String("LAB-SERVER-01"),
    QLatin1String("Varrow demo Master Database (laboratory server)")};
inline constexpr DataSource remote{QLatin1String("VarrowRemote"), QLatin1String("caldata_field"),
                                   QLatin1String("FieldUnit07"), QLatin1String("FIELD-LAPTOP-07"),
                                   QLatin1String("Varrow demo Remote Database (field laptop)")};
// Prefix of the keys the field unit makes, so they never meet a master key.
inline constexpr QLatin1String fieldOrigin("F7");

} // namespace DemoNames
