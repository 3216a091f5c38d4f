#pragma once

#include <QString>
#include <optional>

class Program;

// Whether a table of that name (as the catalogue stores it, without owner) exists in the
// Master Database ("M") or the Remote Database ("R"). Any other database code is false and
// sends nothing. A failure is reported (VRW1,TableExists) and reads as false.
bool TableExists(Program& program, const QString& which, const QString& tableName);

// The same question, telling a failure (reported, nothing known) apart from an answer.
std::optional<bool> tableExistsChecked(Program& program, const QString& which, const QString& tableName);
