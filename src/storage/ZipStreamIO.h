// minizip's file callbacks laid over an engine stream. Each handle minizip opens keeps its own
// position and seeks before every transfer, so the archive and its member streams can share one
// source stream (locked around each seek and transfer).
#pragma once

#include <minizip/ioapi.h>

#include "core/StreamPipe.h"

namespace PM {

// Fills `def` so that minizip reads and writes `stream`; the stream must outlive every handle that
// minizip opens through `def` (each handle also holds its own reference).
void FillZipStreamIO(zlib_filefunc64_def* def, StreamPipe* stream);

}  // namespace PM
