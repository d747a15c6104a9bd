// The crash handler: on SIGSEGV, SIGBUS, SIGFPE, SIGILL or SIGABRT it writes a report (the signal,
// the two trace globals and every thread's trace ring) to stderr and the error log file, then lets the
// signal end the process as it would have without it.
#pragma once

namespace PM {

// Installs the handler (the calling thread also gets an alternate signal stack); a second call does
// nothing. Opens the error log file now, so the report has a descriptor to go to.
void InstallCrashHandler();
// Puts back the actions that were there before.
void RemoveCrashHandler();
bool CrashHandlerInstalled();

}  // namespace PM
