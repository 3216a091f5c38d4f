#pragma once

#include "copy/FieldTypeCache.h"

#include <QString>

// What the table-copy engine keeps for the whole run of the context.
struct CopyState
{
    // The temporary tables declared in each database during this run, every name quoted and
    // preceded by a blank: " 'temp_inventory' 'temp_calibration'". Emptied by DropTempTables.
    QString masterTempTables;
    QString remoteTempTables;

    // Shown in the trace box under DEBUGGING: the transfer's current step, and the title line
    // of the copy in progress.
    QString traceText;
    QString copyHeader;

    // Set when a row failed and went to syncerr.log; cleared only when the databases are
    // connected again.
    bool syncError = false;
    // Blocks written to syncerr.log since the program started that a person must look at
    // (failed rows, and pending changes dropped that the transfers should have carried); an
    // unattended run reports them in its exit status. Entries dropped by design do not count.
    int syncLogBlocks = 0;
    // Set when syncerr.log could not be written: what it should have recorded stays in the
    // change log, and the user is told.
    bool syncLogUnwritable = false;

    FieldTypeCache fieldTypes;
};
