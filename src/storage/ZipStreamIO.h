// minizip's file callbacks laid over an engine stream. Each handle minizip opens keeps its own
// position: reads are positional (ReadAt) and writes seek first under the stream's lock, so the archive
// and its member streams can share one source stream.
#pragma once

#include <minizip/ioapi.h>

#include "core/StreamPipe.h"

namespace PM {

// Fills `def` so that minizip reads and writes `stream`; the stream must outlive every handle that
// minizip opens through `def` (each handle also holds its own reference).
void FillZipStreamIO(zlib_filefunc64_def* def, StreamPipe* stream);

}  // namespace PM
