// The named result codes of the chunked archive. Interim values: they move to the registry of named
// result codes once it exists; callers use the names, never the numbers.
#pragma once

#include <cstdint>

namespace PM {

enum ArchiveResult : uint32_t {
  kArchiveOk = 0,
  kArchiveENotFound = 0x8000000A,        // the shared ENotFound: no such archive or no such file in it
  kArchiveENotArchive = 0x80CA0001,      // the file does not begin with an ARCH chunk
  kArchiveETruncated = 0x80CA0002,       // a chunk or the file ends before its stated length
  kArchiveEOversized = 0x80CA0003,       // a length larger than the format allows, or bytes after the ARCH chunk
  kArchiveECorrupt = 0x80CA0004,         // a wrong chunk, length, offset, count or method
  kArchiveEBadName = 0x80CA0005,         // an empty, duplicate or unsafe name ("..", "/", "\", NUL)
  kArchiveECrcMismatch = 0x80CA0006,     // file bytes whose crc32 differs from the recorded one
  kArchiveEBadVersion = 0x80CA0007,      // an INDX version or flags this reader does not know
  kArchiveEWriteFailed = 0x80CA0008,     // the writer's target refused bytes or cannot seek
};

// "EArchiveCorrupt" etc.; "SOK" for 0, "ENotFound" for the shared code, "???" for others.
const char* ArchiveResultName(uint32_t code);

}  // namespace PM
