#include "core/StartUp.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/Block.h"
#include "core/CrashHandler.h"
#include "core/Log.h"
#include "core/LogMsg.h"
#include "platform/CriticalSection.h"

namespace PM {

namespace {
struct Hook {
  int stage;
  const char* name;
  ModuleFn init;
  ModuleFn deinit;
};

constexpr const char kBuildNumber[] = "010276";
// The order of teardown: UninitEngineClasses first, then the rest of the world backwards.
constexpr int kTeardownOrder[] = {kStageEngineClasses, kStageFunctionHash,   kStageClassHash,
                                  kStageMemberHashes,  kStageBuiltinClasses, kStageMasterTables};

// Made on first use, so that static initialisers of any unit may register.
struct ModuleState {
  CriticalSection lock;
  int count = 0;
  bool exitHandlerSet = false;
  long blocksBefore = 0;  // alive before the world was built: the log pipes and the host's own
  std::vector<Hook> hooks;
  std::vector<Hook> threadHooks;
};
ModuleState& State() {
  static ModuleState* s = new ModuleState;
  return *s;
}

// A copy, sorted by stage with registration order kept, so hooks may register further hooks.
std::vector<Hook> Sorted(const std::vector<Hook>& hooks) {
  std::vector<Hook> sorted = hooks;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Hook& a, const Hook& b) { return a.stage < b.stage; });
  return sorted;
}

// The library still initialised at exit: the crash filter goes and the log files are closed whole.
void AtExit() {
  ModuleState& s = State();
  CriticalSectionLock g(s.lock);
  if (s.count == 0) return;
  LogWarn("DLLDeInitialize was not called before the process ended.");
  RemoveCrashHandler();
  CloseLogFiles();
}
}  // namespace

void RegisterModuleHook(int stage, const char* name, ModuleFn init, ModuleFn deinit) {
  ModuleState& s = State();
  CriticalSectionLock g(s.lock);
  s.hooks.push_back({stage, name, init, deinit});
}

void RegisterThreadHook(int stage, const char* name, ModuleFn release) {
  ModuleState& s = State();
  CriticalSectionLock g(s.lock);
  s.threadHooks.push_back({stage, name, nullptr, release});
}

bool LibraryNameMatchesVersion(const char* path) {
  if (!path) return false;
  const char* slash = std::strrchr(path, '/');
  return std::strstr(slash ? slash + 1 : path, kBuildNumber) != nullptr;
}

const char* LibraryPath() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&DLLInitialize), &info) && info.dli_fname) return info.dli_fname;
  return "";
}

int ModuleInitCount() {
  ModuleState& s = State();
  CriticalSectionLock g(s.lock);
  return s.count;
}

ResultCode DLLInitialize(int reserved) {
  ModuleState& s = State();
  CriticalSectionLock g(s.lock);
  if (s.count++ > 0) return SOK;
  const char* path = LibraryPath();
  LogInfo("DLLInitialize() ver=F010276x arg=", reserved, " module=", path);
  s.blocksBefore = LiveBlockCount();
  InstallCrashHandler();
  if (!s.exitHandlerSet) s.exitHandlerSet = std::atexit(AtExit) == 0;
  if (!LibraryNameMatchesVersion(path))
    LogMsg(EFail, "Module.cpp", "DLLInitialize", kLogMsgNoDialog,
           "The library file \"#1\" does not carry the build number #2.", path, kBuildNumber);
  for (const Hook& h : Sorted(s.hooks)) {
    if (!h.init) continue;
    LogDebug("DLLInitialize() ", h.name);
    h.init();
  }
  LogInfo("DLLInitialize() ok.");
  return SOK;
}

ResultCode DLLDeInitialize(int reserved) {
  ModuleState& s = State();
  CriticalSectionLock g(s.lock);
  if (s.count == 0) {
    LogError("DLLDeInitialize: called without DLLInitialize (arg=", reserved, ").");
    return ENotActive;
  }
  for (const Hook& h : Sorted(s.threadHooks))
    if (h.deinit) h.deinit();
  if (--s.count > 0) return SOK;

  std::vector<Hook> hooks = Sorted(s.hooks);
  for (int stage : kTeardownOrder)
    for (auto h = hooks.rbegin(); h != hooks.rend(); ++h)
      if (h->stage == stage && h->deinit) {
        LogDebug("DLLDeInitialize() ", h->name);
        h->deinit();
      }
  // Hooks of stages outside the table, last.
  for (auto h = hooks.rbegin(); h != hooks.rend(); ++h)
    if (std::find(std::begin(kTeardownOrder), std::end(kTeardownOrder), h->stage) == std::end(kTeardownOrder) &&
        h->deinit)
      h->deinit();
  long live = LiveBlockCount() - s.blocksBefore;
  if (live > 0)
    LogWarn("DLLDeInitialize() blocks still alive: ", int64_t(live), ".");
  else
    LogInfo("DLLDeInitialize() no blocks alive.");
  RemoveCrashHandler();
  LogInfo("DLLDeInitialize() ok.");
  CloseLogFiles();
  return SOK;
}

}  // namespace PM
