// The script targets' run of one input: the library is started once per process (starting it takes
// tens of milliseconds) and every input runs in a fresh engine, whose root namespace holds the classes,
// functions, variables and named objects the script defines and takes them with it when it goes. What
// stays from one input to the next is the static class table and the built-in functions, which scripts
// read but cannot change (their run-time classes get indices that are given back and cleared).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/Block.h"
#include "core/CrashHandler.h"
#include "core/Log.h"
#include "core/StartUp.h"
#include "script/lang/Parser.h"
#include "script/object/ClassDatabase.h"
#include "script/object/ScriptEngine.h"

namespace PM::Fuzz {

// Every log line and print is formatted (so its code is exercised) and then discarded.
inline bool StartLibraryOnce() {
  static const bool started = [] {
    g_LogLevel = 0;
    LogOutPipe() = DiscardPipe();
    LogErrPipe() = DiscardPipe();
    PrintPipe() = DiscardPipe();
    const bool ok = DLLInitialize(1) == 0;
    RemoveCrashHandler();  // libFuzzer's own handlers save the input that crashed
    return ok;
  }();
  return started;
}

// Runs one script in a fresh engine. What the engine does not take with it would carry one input's
// state into the next and hide faults there, so blocks or run-time classes left alive abort the run.
template <class Run>
void RunScriptInput(Run&& run) {
  if (!StartLibraryOnce()) return;
  const int64_t blocks = LiveBlockCount();
  const uint32_t classes = ClassCount();
  {
    Obj<ScriptEngine> engine(static_cast<ScriptEngine*>(ScriptEngine::Create()));
    run(engine);
  }
  if (LiveBlockCount() != blocks || ClassCount() != classes) {
    std::fprintf(stderr, "script state outlived its engine: blocks %lld -> %lld, classes %u -> %u\n",
                 static_cast<long long>(blocks), static_cast<long long>(LiveBlockCount()), classes, ClassCount());
    std::abort();
  }
}

}  // namespace PM::Fuzz
