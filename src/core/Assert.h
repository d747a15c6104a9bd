// Assertions: a failed condition is logged at Error with its text, file and line. The strict form
// then breaks into the debugger when one is attached; the lenient form says "(assertion ignored)".
// Both go on.
#pragma once

namespace PM {

void AssertFailed(const char* expression, const char* file, int line, bool lenient);
// True when a debugger (a tracer) is attached to the process.
bool DebuggerAttached();

}  // namespace PM

#define PM_ASSERT(cond) ((cond) ? (void)0 : ::PM::AssertFailed(#cond, __FILE__, __LINE__, false))
#define PM_ASSERT_LENIENT(cond) ((cond) ? (void)0 : ::PM::AssertFailed(#cond, __FILE__, __LINE__, true))
