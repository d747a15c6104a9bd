// ReaderProcess: what the importer's host side and its reader program agree on besides the stream: the
// program's name, its arguments, its notes and the limits' defaults. ReadModelFile (ImportScene.h) runs it.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "import/ImportScene.h"

namespace PM::Import {

// The reader program, found beside the module's own file; PM_IMPORT_READER names another one (read with
// secure_getenv: a set-user-ID host never takes it from its caller).
inline constexpr char kReaderProgram[] = "pm-import-reader";
inline constexpr char kReaderOverride[] = "PM_IMPORT_READER";

// The reader is started with no arguments and sent its request (ReaderRequest.h), each argument ended by a
// zero byte, on its standard input. It writes its stream on kReaderStreamFd (its standard output, moved).
inline constexpr int kReaderStreamFd = 3;
// The reader's end of a pipe whose other end only the host holds: when the host is gone the pipe hangs up
// and the reader, which asked for SIGIO on it, ends (no reader outlives its host).
inline constexpr int kReaderWatchFd = 4;
// Lines of the reader's standard error that are notes for the host's log.
inline constexpr char kNoteWarn[] = "PMIW ";
inline constexpr char kNoteInfo[] = "PMII ";

// The memory budget when none is asked for: 64 times the bytes of the model and the files it names, at
// least 1 GiB, at most half the machine's memory.
inline constexpr uint64_t kMinAddressSpace = uint64_t{1} << 30;
inline constexpr uint64_t kAddressSpacePerFileByte = 64;
inline constexpr uint64_t kDefaultAddressSpace = uint64_t{8} << 30;  // when the machine's memory is unknown
inline constexpr uint32_t kDefaultCpuSeconds = 60;
inline constexpr uint64_t kDefaultOutputBytes = uint64_t{2} << 30;
inline constexpr uint32_t kDefaultWallSeconds = 120;

// The memory budget for a model of `fileBytes` bytes: where it starts and the cap it may grow to as the
// model names more files. A budget asked for (`asked` not zero) is both.
inline void AddressSpaceFor(uint64_t asked, uint64_t fileBytes, uint64_t& start, uint64_t& cap) {
  if (asked) {
    start = cap = asked;
    return;
  }
  const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  cap = pages > 0 && pageSize > 0 ? uint64_t(pages) * uint64_t(pageSize) / 2 : kDefaultAddressSpace;
  const uint64_t mib = uint64_t{1} << 20;
  const uint64_t scaled = fileBytes > (UINT64_MAX >> 8) ? UINT64_MAX : fileBytes * kAddressSpacePerFileByte;
  start = std::min(cap, std::max(kMinAddressSpace, (scaled + mib - 1) / mib * mib));
  cap = std::max(cap, start);
}

// `limits` with every zero replaced by its default, but the address space (which follows the file).
inline ReaderLimits WithDefaults(ReaderLimits limits) {
  if (limits.cpuSeconds == 0) limits.cpuSeconds = kDefaultCpuSeconds;
  if (limits.outputBytes == 0) limits.outputBytes = kDefaultOutputBytes;
  if (limits.wallSeconds == 0) limits.wallSeconds = kDefaultWallSeconds;
  return limits;
}

// What a reader said for the host's log: a path it refused (a warning), a confinement the kernel lacks.
struct ReaderNote {
  bool warning = false;
  std::string text;
};

// One import: the file, the folder its reader may read beneath (empty: the file's own folder), limits, and
// the folders textures are looked for in by file name after the model's own (which the reader may read
// textures beneath).
struct ReadRequest {
  std::string path;
  std::string assetRoot;
  ReaderLimits limits;
  std::vector<std::string> texturePath;
};

// As ReadModelFile, with the asset root and the reader's notes (kept in `notes` when given). A reader
// started ahead serves the import when there is one; another is started ahead for the next.
bool ReadModelFile(const ReadRequest& request, Scene& scene, std::string& error, std::vector<ReaderNote>* notes,
                   const std::function<void(uint64_t)>& progress = {});
// Starts a reader ahead of the next import, unless one waits already.
void StartSpareReader();

// A byte count as people read it: "8 GiB", "512 MiB", "1000 bytes".
inline std::string FormatBytes(uint64_t bytes) {
  if (bytes >= (uint64_t{1} << 30) && bytes % (uint64_t{1} << 30) == 0) return std::to_string(bytes >> 30) + " GiB";
  if (bytes >= (uint64_t{1} << 20) && bytes % (uint64_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace PM::Import
