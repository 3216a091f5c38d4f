#pragma once

#include <QString>

// The names a demo workspace gives its two databases. The two data sources act as two
// machines with two engines, as a laboratory server and a field laptop would.
namespace DemoNames {

inline QString driver() { return QStringLiteral("Varrow SQL Anywhere stand-in"); }
inline QString masterDsn() { return QStringLiteral("VarrowMaster"); }
inline QString remoteDsn() { return QStringLiteral("VarrowRemote"); }
inline QString databaseFile() { return QStringLiteral("caldata.db"); }
inline QString masterDatabase() { return QStringLiteral("caldata"); }
inline QString remoteDatabase() { return QStringLiteral("caldata_field"); }
inline QString masterEngine() { return QStringLiteral("LabServer"); }
inline QString remoteEngine() { return QStringLiteral("FieldUnit07"); }
inline QString masterMachine() { return QStringLiteral("LAB-SERVER-01"); }
inline QString remoteMachine() { return QStringLiteral("FIELD-LAPTOP-07"); }
// Prefix of the keys the field unit makes, so they never meet a master key.
inline QString fieldOrigin() { return QStringLiteral("F7"); }

} // namespace DemoNames
