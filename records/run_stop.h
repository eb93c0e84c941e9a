// The two ways a run ends.
//
// StopRun is the orderly end: the file units are disconnected and the
// process ends with its exit status, without a word on the console.
// FailRun ends the run after a failure that no caller routes: it
// disconnects the file units, writes the failure report and the closing
// prompt on the console, waits for one typed line, and gives status 255.
// Both return the exit status for the caller to end the process with.
#ifndef TSF_RECORDS_RUN_STOP_H_
#define TSF_RECORDS_RUN_STOP_H_

#include "records/record_unit.h"
#include "records/status.h"

namespace tsf {

inline constexpr int kExitFailure = 255;

int FailRun(Units& units, const Failure& failure);
int StopRun(Units& units, int exit_status = 0);

// Ends the run as `status` says: a failure through FailRun; ok or a halt
// request through StopRun with `exit_status` (a halt always gives 0).
int EndRun(Units& units, const Status& status, int exit_status);

}  // namespace tsf

#endif  // TSF_RECORDS_RUN_STOP_H_
