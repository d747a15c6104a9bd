// ReaderConfinement: what the reader program gives up before it parses a byte of a model, as a browser's
// parser processes do: new privileges (no_new_privs), the file system beyond its asset root and the
// libraries it has loaded (Landlock), and every system call reading and answering do not need (a
// seccomp-BPF filter that kills the process on any other: no socket, no exec, no new process, no write
// but to its stream and standard error).
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
