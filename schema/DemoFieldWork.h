#pragma once

#include "schema/DemoMasterData.h"
#include "schema/DemoOptions.h"

#include <QString>
#include <functional>

class SqliteDatabase;

// Field work on a remote copy, done through SQL so that the change-log triggers log it:
// new customers, items, calibrations with standards and results, moves and repairs; column
// updates of every table; deletes, a row updated and then deleted; validation data. Some of
// it repeats what the master did meanwhile, under the field unit's own keys.
class DemoFieldWork
{
public:
    // Switches the connection to the given demo user (whose name the triggers record).
    using ActAs = std::function<void(const QString& login)>;

    // Runs what options.remote asks for (nothing for Untouched and Unprepared).
    static void run(SqliteDatabase& remote, const DemoOptions& options,
                    const DemoMasterData::LaterWork& later, const ActAs& actAs);
};
