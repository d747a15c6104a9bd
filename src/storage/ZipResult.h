// The named result codes of zip archives, with their names for log lines.
#pragma once

#include <cstdint>

namespace PM {

// Stable values of the zip codes (0x8002_01xx: storage subsystem, zip family).
constexpr uint32_t EZipFormat = 0x80020101;     // not a zip, truncated, or a directory pointing past the end
constexpr uint32_t EZipNoTrailer = 0x80020102;  // no integrity trailer and the caller did not accept that
constexpr uint32_t EZipBadTrailer = 0x80020103; // a trailer is there but damaged (tag, layout or placement)
constexpr uint32_t EZipChecksum = 0x80020104;   // the archive's bytes do not match the trailer's crc32
constexpr uint32_t EZipUnsafeName = 0x80020105; // a member name with "..", an absolute path or a drive
constexpr uint32_t EZipBomb = 0x80020106;       // a member or the whole archive above the size or ratio limits
constexpr uint32_t EZipBadMember = 0x80020107;  // member data disagrees with its declared size or crc32
constexpr uint32_t EZipWrite = 0x80020108;      // the target refused bytes while writing an archive

// Codes shared with the rest of the engine.
constexpr uint32_t ZipOK = 0;
constexpr uint32_t ZipInvalidArgument = 0x80000003;  // EInvalidArgument
constexpr uint32_t ZipNotFound = 0x8000000A;         // ENotFound
constexpr uint32_t ZipNotOpen = 0x8000000B;          // ENotOpen

// "EZipFormat" and so on; "E???" for a value that is not a zip code.
const char* ZipResultName(uint32_t code);

}  // namespace PM
