// ErrorTally: a process-wide count of the errors reported so far: error-level log lines, LogMsg reports
// of error codes and the script language's error reports (quiet ones included). A host compares the
// count before and after a piece of work to tell whether anything went wrong in it, wherever the
// report came from.
#pragma once

#include <cstdint>

namespace PM {

void CountErrorReport();
uint64_t ErrorReportCount();

}  // namespace PM
