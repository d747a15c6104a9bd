// The reports of the Direct3D 8 engine's set-up and frame operations, as one table: code, function
// field and text of each. Report() logs one through LogMsg (mode 2) and returns its code.
#pragma once

#include <cstdint>

#include "core/LogMsg.h"

namespace PM {

enum class D3D8Message : uint32_t {
  kNullWindow,
  kLoadD3D8,
  kNoDirect3DCreate8,
  kDirect3DCreate8Failed,
  kOutdated,
  kAdapterDisplayMode,
  kNoDevice,
  kNoSoftwareRendering,
  kSoftwareStreams,
  kHardwareStreams,
  kHardwareIndices,
  kSoftwareIndices,
  kPureSoftware,
  kGetBackBuffer,
  kNoHardwareBackground,
  kNoSoftwareBackground,
  kNoDirectDrawCreateEx,
  kDirectDrawCreateEx,
  kCooperativeLevel,
  kFrontBuffer,
  kBufferLockActive,
  kBackgroundCopy,
  kBackBufferTooLarge,
  kCount
};

struct D3D8MessageRow {
  ResultCode code;
  const char* function;
  const char* text;  // null: the report has no description
};

const D3D8MessageRow& D3D8MessageOf(D3D8Message m);

// Logs the message at `location`, with up to two arguments (#1, #2).
ResultCode Report(D3D8Message m, const char* location);
ResultCode Report(D3D8Message m, const char* location, const LogArg& a1);
ResultCode Report(D3D8Message m, const char* location, const LogArg& a1, const LogArg& a2);

// The name of a DirectDraw result ("DDERR_INVALIDCAPS"), "UNKNOWN" for others.
const char* DirectDrawErrorName(int32_t result);

}  // namespace PM
