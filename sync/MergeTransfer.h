#pragma once

struct CopyContext;

// The maintenance merge: every row of the Remote Database's record tables that the Master
// Database lacks is inserted into it, without the change log. The remote tables are copied
// into temporary tables on the Master Database, their items re-keyed onto the master's keys
// by asset number (customers by customer number), cut down to what the master lacks (items by
// asset number and mtag, calibrations by ctag and, when both tables held rows, by the confirm
// function and the master's inventory; calibrations dated before 1970 never), marked 'VRW'
// and inserted; the run is recorded as a 'Merged' history row. The change log is neither read
// nor touched. Rows that fail go to syncerr.log and the merge goes on; any other failure is
// reported (a lost connection ends the run early, anything else the program). True when the
// run completed and wrote its history row.
bool TransferAllRecords(const CopyContext& context);
