// SafeFile: opens the files the library writes, and the files it reads whole, so that a symbolic
// link, a second hard link, a folder or a special file (device, FIFO, socket) standing where a
// regular file should be is refused: never followed out of its folder, never blocked on, never
// truncated or replaced.
#pragma once

#include <cstdint>
#include <string>

namespace PM {

// Opens `name` relative to the folder descriptor `dirFd` (AT_FDCWD for the working folder) with the
// open(2) flags `flags`, and answers a blocking descriptor on a regular file, or -1 with `error` set
// (the descriptor is never left open on a refusal):
//   ELOOP   the name is a symbolic link (only refused when opening for writing; reads follow links)
//   EISDIR  the name is a folder ("Is a directory", as the system says it)
//   ENODEV  the name is a device, FIFO or socket
//   EMLINK  opening for writing, and the file has other hard links that writing would change too
// O_TRUNC is applied only once the file is known to be a regular file of one link.
int OpenRegularFileAt(int dirFd, const char* name, int flags, int& error);
int OpenRegularFile(const char* path, int flags, int& error);  // relative to the working folder

// Why an open was refused, in words for a log line: the four refusals above, else strerror.
const char* OpenFailureText(int error);

// Reads a whole regular file into `out`. Fails (error set, `out` unchanged) on any refusal above,
// on a read error, or when the file holds more than maxBytes (EFBIG).
bool ReadRegularFile(const char* path, std::string& out, int64_t maxBytes, int& error);

}  // namespace PM
