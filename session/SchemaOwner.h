#pragma once

#include <QString>

// The schema owner "MT" owns every table; as a user it needs no administrator login, and as a
// segregate it sees every record. Names compare as the engine compares them, ignoring case.
inline const QString SchemaOwner = QStringLiteral("MT");

inline bool isSchemaOwner(const QString& userOrSegregate)
{
    return userOrSegregate.toUpper() == SchemaOwner;
}
