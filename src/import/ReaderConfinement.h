// ReaderConfinement: what the reader program gives up before it parses a byte of a model, as a browser's
// parser processes do: new privileges (no_new_privs), the file system beyond its asset root and the
// libraries it has loaded (Landlock), and every system call reading and answering do not need (a
// seccomp-BPF filter that kills the process on any other: no socket, no exec, no new process, no write
// but to its stream and standard error).
#pragma once

#include <string>

namespace PM::Import {

struct ConfinementResult {
  bool landlock = false, seccomp = false;
  // What the kernel lacks, as one sentence for an Info line, or empty.
  std::string lacking;
};

// Confines the calling process for reading beneath `root`, answering on `streamFd` and standard error.
// False, with `error`, when a step the kernel offers fails.
bool ConfineReader(const std::string& root, int streamFd, ConfinementResult& result, std::string& error);

}  // namespace PM::Import
