// SpawnReader: starts the reader program as the host's child, as posix_spawn would, but with a pidfd and
// no exit signal: only a wait through the pidfd (or with __WALL) sees its end, so that neither the host's
// SIGCHLD disposition nor another thread's waitpid(-1) takes it.
#pragma once

#include <sys/types.h>

#include <string>

namespace PM::Import {

// Starts `program` with no arguments and none of the host's environment, every signal at its default and
// none blocked, in a process group of its own, killed (SIGKILL, which nothing it runs can stop or unset)
// when its host ends, with `fds` (its standard input, output and error and its watch pipe, as the host
// holds them) as its descriptors 0, 1, 2 and kReaderWatchFd and no other: every other descriptor,
// kReaderStreamFd included, is closed before its exec. True, with `pid` and `pidfd`; false, with `why`
// ("clone: REASON", "dup2: REASON", or REASON alone for the exec), leaving nothing running.
bool SpawnReader(const std::string& program, const int (&fds)[4], pid_t& pid, int& pidfd, std::string& why);

}  // namespace PM::Import
