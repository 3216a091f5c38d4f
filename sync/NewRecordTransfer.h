#pragma once

struct CopyContext;

// Carries the rows inserted on the Remote Database since the last transfer into the Master
// Database, with the logged insertions and deletions of validation data. New rows are
// gathered into temporary tables on the Master Database, re-keyed (an item the master already
// holds under the same asset number keeps the master's mtag, and its dependants follow it),
// cut down to what the master lacks, inserted with the data-source marker 'VRW', and their
// change-log entries stamped. When no modification is pending the run also cleans the change
// log and records itself in the transfer history; otherwise the modified-records transfer
// that follows does both. Rows that fail go to syncerr.log and the run goes on; any other
// failure is reported (a lost connection ends the run early, anything else the program).
void TransferNewRecords(const CopyContext& context);
