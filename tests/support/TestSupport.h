#pragma once

#include "db/Connection.h"

#include <QMetaType>
#include <QString>
#include <optional>

namespace testsupport {

// The folder holding the built executables and the SQLite extension (the tests run from it).
QString binaryDir();

// Runs `action` and returns the DbError it threw, or nothing when it threw none.
template <typename Action> std::optional<DbError> thrownBy(Action&& action)
{
    try {
        action();
    } catch (const DbError& error) {
        return error;
    }
    return std::nullopt;
}

// The first field of the first row of a query, "(NULL)" for NULL. Throws DbError.
QString firstValue(Connection& connection, const QString& query);

// For a data-driven test: a column "type" (CursorType) with one row per cursor type.
void addCursorTypeRows();

} // namespace testsupport

Q_DECLARE_METATYPE(CursorType)
