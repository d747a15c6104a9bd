// The named result codes of zip archives, registered with the engine's result codes (each value
// follows from its name, so it is the same in every run).
#pragma once

#include "core/ResultCode.h"

namespace PM {

extern const ResultCode EZipFormat;      // not a zip, truncated, or a directory pointing past the end
extern const ResultCode EZipNoTrailer;   // no integrity trailer and the caller did not accept that
extern const ResultCode EZipBadTrailer;  // a trailer is there but damaged (tag, layout or placement)
extern const ResultCode EZipChecksum;    // the archive's bytes do not match the trailer's crc32
extern const ResultCode EZipUnsafeName;  // a member name with "..", an absolute path or a drive
extern const ResultCode EZipBomb;        // a member or the whole archive above the size or ratio limits
extern const ResultCode EZipBadMember;   // member data disagrees with its declared size or crc32
extern const ResultCode EZipWrite;       // the target refused bytes while writing an archive

}  // namespace PM
