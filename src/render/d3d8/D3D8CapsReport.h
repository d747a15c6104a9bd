// The capabilities report the Direct3D 8 engine logs after creating a device.
#pragma once

#include "core/StreamPipe.h"
#include "platform/d3d8/D3D8.h"

namespace PM {

// "Direct3DDevice8 D3DCAPS8:" and one line per field of `caps`, each a message of `level` on `log`.
void WriteD3D8CapsReport(StreamPipeRef& log, int level, const D3DCAPS8& caps);

}  // namespace PM
