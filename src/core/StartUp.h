// Start-up and shutdown of the library: DLLInitialize and DLLDeInitialize, reference counted, and the
// registry through which the subsystems plug their set-up and teardown in without this layer
// knowing them.
#pragma once

#include <cstdint>

#include "core/ResultCode.h"

namespace PM {

// The steps the first DLLInitialize runs, in this order. The last DLLDeInitialize undoes them: the engine
// classes first (UninitEngineClasses), then the hashes and tables in reverse order.
enum ModuleStage : int {
  kStageMasterTables = 1,    // the object model's master class tables
  kStageBuiltinClasses = 2,  // built-in classes and functions
  kStageEngineClasses = 3,   // the engine class table (RegisterEngineClasses, widget classes last)
  kStageMemberHashes = 4,    // member-name hashes
  kStageClassHash = 5,       // the class-name hash
  kStageFunctionHash = 6,    // the function-name hash
};

// Per-thread state released on every DLLDeInitialize of the calling thread, in this order.
enum ThreadStage : int {
  kThreadStorage = 1,       // Storage's per-thread read path
  kThreadWidgets = 2,       // the widget state (ExitWidgetTLS)
  kThreadScratchStore = 3,  // the blocks kept for the thread's next step (subdivision, stripifier)
};

using ModuleFn = void (*)();

// Hooks of one stage run in the order they were registered (their teardowns in reverse). Either
// function may be null. `name` must live for the whole process; it appears in the log.
void RegisterModuleHook(int stage, const char* name, ModuleFn init, ModuleFn deinit);
void RegisterThreadHook(int stage, const char* name, ModuleFn release);

// Registers at static initialisation: static const ModuleHookRegistration r(kStage..., "Name", Init, Deinit);
struct ModuleHookRegistration {
  ModuleHookRegistration(int stage, const char* name, ModuleFn init, ModuleFn deinit) {
    RegisterModuleHook(stage, name, init, deinit);
  }
};

// The argument is not used (hosts pass 1, worker threads 0); it is logged.
ResultCode DLLInitialize(int reserved);
ResultCode DLLDeInitialize(int reserved);
int ModuleInitCount();

// True when the file name (the part after the last '/') contains the build number "010276".
bool LibraryNameMatchesVersion(const char* path);
// The path of the loaded library file, found with dladdr (empty when unknown).
const char* LibraryPath();

}  // namespace PM
