// The named result codes of the chunked archive, from the registry of named result codes. A file missing
// from an archive is the shared ENotFound.
#pragma once

#include "core/ResultCode.h"

namespace PM {

inline const ResultCode kArchiveOk = SOK;
inline const ResultCode kArchiveENotFound = ENotFound;
// The file does not begin with an ARCH chunk.
inline const ResultCode kArchiveENotArchive = RegisterResultCode("EArchiveNotArchive");
// A chunk or the file ends before its stated length.
inline const ResultCode kArchiveETruncated = RegisterResultCode("EArchiveTruncated");
// A length larger than the format allows, or bytes after the ARCH chunk.
inline const ResultCode kArchiveEOversized = RegisterResultCode("EArchiveOversized");
// A wrong chunk, length, offset, count or method.
inline const ResultCode kArchiveECorrupt = RegisterResultCode("EArchiveCorrupt");
// An empty, duplicate or unsafe name ("..", "/", "\", NUL).
inline const ResultCode kArchiveEBadName = RegisterResultCode("EArchiveBadName");
// File bytes whose crc32 differs from the recorded one.
inline const ResultCode kArchiveECrcMismatch = RegisterResultCode("EArchiveCrcMismatch");
// An INDX version or flags this reader does not know.
inline const ResultCode kArchiveEBadVersion = RegisterResultCode("EArchiveBadVersion");
// The writer's target refused bytes or cannot seek.
inline const ResultCode kArchiveEWriteFailed = RegisterResultCode("EArchiveWriteFailed");

}  // namespace PM
