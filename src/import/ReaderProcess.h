// ReaderProcess: what the importer's host side and its reader program agree on besides the stream: the
// program's name, its arguments and the limits' defaults. ReadModelFile (ImportScene.h) runs it.
#pragma once

#include <cstdint>
#include <string>

#include "import/ImportScene.h"

namespace PM::Import {

// The reader program, found beside the module's own file; PM_IMPORT_READER names another one.
inline constexpr char kReaderProgram[] = "pm-import-reader";
inline constexpr char kReaderOverride[] = "PM_IMPORT_READER";

// The reader's arguments: these three options with their values, then "--" and the file.
inline constexpr char kArgAddressSpace[] = "--address-space";
inline constexpr char kArgCpuSeconds[] = "--cpu-seconds";
inline constexpr char kArgOutputBytes[] = "--output-bytes";

inline constexpr uint64_t kDefaultAddressSpace = uint64_t{8} << 30;
inline constexpr uint32_t kDefaultCpuSeconds = 60;
inline constexpr uint64_t kDefaultOutputBytes = uint64_t{2} << 30;
inline constexpr uint32_t kDefaultWallSeconds = 120;

// `limits` with every zero replaced by its default.
inline ReaderLimits WithDefaults(ReaderLimits limits) {
  if (limits.addressSpace == 0) limits.addressSpace = kDefaultAddressSpace;
  if (limits.cpuSeconds == 0) limits.cpuSeconds = kDefaultCpuSeconds;
  if (limits.outputBytes == 0) limits.outputBytes = kDefaultOutputBytes;
  if (limits.wallSeconds == 0) limits.wallSeconds = kDefaultWallSeconds;
  return limits;
}

// A byte count as people read it: "8 GiB", "512 MiB", "1000 bytes".
inline std::string FormatBytes(uint64_t bytes) {
  if (bytes >= (uint64_t{1} << 30) && bytes % (uint64_t{1} << 30) == 0) return std::to_string(bytes >> 30) + " GiB";
  if (bytes >= (uint64_t{1} << 20) && bytes % (uint64_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace PM::Import
