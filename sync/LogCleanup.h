#pragma once

struct CopyContext;
struct SessionContext;

// Empty the change log of the Master Database / the Remote Database; never report. What the
// remote log still holds untransferred is written to syncerr.log first; when that cannot be
// read or written, the log is kept (the copy state's syncLogUnwritable tells the latter). A
// master locked by another program throws its DbError: the caller's work cannot go on.
void ClearMasterLog(const SessionContext& context);
void ClearRemoteLog(const CopyContext& context);
