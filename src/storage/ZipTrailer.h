// The integrity trailer of the engine's zip archives: the zip's global comment
// "PELMORAZIP PMC XXXXXXXX", where XXXXXXXX is the crc32 (upper-case hexadecimal) of every byte of
// the archive before the comment. The layout is described in docs/formats.md.
#pragma once

#include <cstdint>

#include "core/StreamPipe.h"

namespace PM {

constexpr int kZipTrailerSize = 23;
constexpr int kZipEndRecordSize = 22;  // the end-of-central-directory record without its comment

// What the end of an archive holds.
enum class ZipTrailerState { Valid, Missing, Damaged, Mismatch, Unreadable };

// The trailer text for a crc32 (no terminator is written).
void FormatZipTrailer(uint32_t crc, char out[kZipTrailerSize]);

// Examines the last bytes of `source` and, when a well-formed trailer is there, checks the crc32.
// A trailer is taken as present when either tag stands in its place, so one damaged byte can never
// make a trailer look missing.
ZipTrailerState CheckZipTrailer(StreamPipe* source);

// The crc32 of the first `length` bytes of `source`; false when they cannot all be read.
bool CrcOfStreamPrefix(StreamPipe* source, int64_t length, uint32_t* crc);

}  // namespace PM
