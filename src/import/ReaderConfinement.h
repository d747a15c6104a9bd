// ReaderConfinement: what the reader program gives up before it parses a byte of a model, as a browser's
// parser processes do. The reader's sandbox, every layer and where it lives:
//   - Process: its own process group, every signal at its default and none blocked, none of the host's
//     environment; a child with no exit signal, waited for through its pidfd (ReaderSpawn.cpp,
//     ReaderProcess.cpp); killed with its group at its end or its time-out.
//   - Descriptors: 0, 1, 2 and its watch pipe, each named; every other one closed before its exec,
//     3 included (ReaderSpawn.cpp).
//   - Its host's end: SIGKILL as its parent-death signal, set before its exec from a thread that lasts as
//     long as the module, which no handler or mask stops and no prctl (refused by the filter) unsets
//     (ReaderSpawn.cpp); first, SIGIO on the hang-up of a pipe only the host holds (ReaderMain.cpp,
//     WatchHost). No reader outlives its host.
//   - Signals out: the filter lets it signal itself only (kill, tgkill) and refuses every fcntl command
//     that names a process to signal (F_SETOWN*, F_SETSIG, O_ASYNC), leases a file or watches a folder;
//     Landlock's scopes (ABI 6, Linux 6.12 and later) refuse any signal to a process outside its domain
//     and abstract Unix sockets too. On older kernels the filter alone holds there (no socket at all).
//   - Limits: address space (a budget that grows with the files the model names, never past the hard
//     limit), CPU time, file size, no core; never above the host's hard limits (ReaderMain.cpp, SetLimits,
//     MemoryBudget); the output and the wall-clock time-out, counted by the host (ReaderProcess.cpp).
//   - Privileges: no_new_privs, and every capability given up, bounding and ambient sets too (here).
//   - File system: Landlock reads beneath the asset root and of the loaded libraries only, no write
//     anywhere (here).
//   - System calls: a seccomp-BPF filter killing the process on any call reading and answering do not need:
//     no socket, exec, new process, prctl, write but to its stream and standard error, limit set but its
//     address space, fcntl but on descriptor flags and copies (here).
//   - Paths: every file opened through AssetRoot, which refuses a path leaving the root and anything not a
//     regular file (AssetRoot.cpp, ReaderIOSystem.cpp).
//   - The host's checks: the model exists, may be read and is a regular file before a reader is asked for
//     it; the stream is checked count by count; the scene's bounds before anything is built
//     (ReaderProcess.cpp, SceneStream.cpp, SceneBounds.cpp).
//   - The shipped reader has no test hooks: those are in pm-import-reader-test alone.
#pragma once

#include <string>
#include <vector>

namespace PM::Import {

struct ConfinementResult {
  bool landlock = false, seccomp = false;
  // What the kernel lacks, as one sentence for an Info line, or empty.
  std::string lacking;
};

// The confinement of one reader: made before its file is known (the system-call filter, the rules for the
// loaded libraries), so that a reader started ahead has that done while it waits, and applied once it is.
class ReaderConfinement {
 public:
  // Prepares a confinement answering on `streamFd` and standard error.
  explicit ReaderConfinement(int streamFd);
  ~ReaderConfinement();
  ReaderConfinement(const ReaderConfinement&) = delete;
  ReaderConfinement& operator=(const ReaderConfinement&) = delete;

  // Confines the calling process for reading beneath `folders` (the asset root's and the texture path's).
  // False, with `error`, when a step the kernel offers fails.
  bool Apply(const std::vector<std::string>& folders, ConfinementResult& result, std::string& error);

 private:
  bool m_landlock = false, m_seccomp = false;
  int m_ruleset = -1;
  void* m_filter = nullptr;  // libseccomp's filter context
  std::string m_error;
};

}  // namespace PM::Import
