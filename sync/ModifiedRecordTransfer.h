#pragma once

struct CopyContext;

// Carries the column changes logged on the Remote Database into the Master Database, family
// by family, marks the carried log rows, cleans the change log and records the run in the
// transfer history. Rows that fail go to syncerr.log and the run goes on; any other failure
// is reported (a lost connection ends the run early, anything else the program).
void TransferModifiedRecords(const CopyContext& context);
