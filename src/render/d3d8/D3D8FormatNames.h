// Names of Direct3D 8 formats and device types as the engine's log lines write them.
#pragma once

#include "platform/d3d8/D3D8.h"

namespace PM {

const char* D3D8ColorFormatName(D3DFORMAT format);  // "X8R8G8B8", ..., "UNKNOWN"
const char* D3D8DepthFormatName(D3DFORMAT format);  // "D3DFMT_D16", ..., "UNKNOWN"
const char* D3D8DeviceTypeName(uint32_t type);      // "D3DDEVTYPE_HAL", ..., "D3DDEVTYPE_?"

}  // namespace PM
