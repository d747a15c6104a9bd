// Snapshots of the running processes, the threads of a process and the modules mapped into it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace PM {

struct ProcessEntry {
  uint32_t pid = 0;
  uint32_t parentPid = 0;
  uint32_t threadCount = 0;
  std::string exeName;  // the executable's file name without its folder
};

struct ThreadEntry {
  uint32_t tid = 0;
  uint32_t ownerPid = 0;
};

struct ModuleEntry {
  uint32_t pid = 0;
  uintptr_t base = 0;  // lowest mapped address
  size_t size = 0;     // from the base to the end of the highest mapping
  std::string name;    // file name without its folder
  std::string path;
};

class ProcessInfo {
 public:
  static uint32_t CurrentProcessId();
  // Processes that vanish while the snapshot is taken are left out.
  static std::vector<ProcessEntry> Processes();
  // Threads of one process (0: the calling process); empty when it does not exist.
  static std::vector<ThreadEntry> Threads(uint32_t pid = 0);
  // Mapped files of one process in address order (0: the calling process).
  static std::vector<ModuleEntry> Modules(uint32_t pid = 0);
  // The CPUs the calling thread may run on (its affinity mask, which taskset and cgroups narrow), at
  // least 1: what work spread over threads should count on.
  static unsigned UsableCpus();
};

}  // namespace PM
