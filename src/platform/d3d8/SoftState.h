// The process-wide state of our software Direct3D 8 module: the control's settings (caps, SDK
// versions, refusals, faults, lost state), the call log, the live objects and the DirectDraw primaries
// that Present fills.
#pragma once

#include <cstdarg>
#include <string>
#include <vector>

#include "platform/d3d8/D3D8Control.h"

namespace PM::SoftD3D {

class Device;
class DDSurface;

struct Refusal {
  uint32_t deviceType;
  uint32_t behaviorFlags;
  D3DFORMAT depthFormat;
};

struct ModuleState {
  D3DCAPS8 caps[2];  // hardware, software vertex processing
  UINT sdkLowest = D3D_SDK_VERSION;
  UINT sdkHighest = D3D_SDK_VERSION;
  std::vector<Refusal> refusals;
  HRESULT faults[kFaultCount] = {};
  bool lost = false;
  bool notReset = false;
  std::string callLog;
  D3DPRESENT_PARAMETERS lastParameters;
  D3DDEVTYPE lastType = D3DDEVTYPE_HAL;
  DWORD lastFlags = 0;
  int32_t live = 0;
  int32_t presents = 0;
  std::vector<Device*> devices;  // oldest first
  std::vector<DDSurface*> primaries;

  // The state a device answers TestCooperativeLevel with.
  HRESULT CooperativeLevel() const { return lost ? D3DERR_DEVICELOST : notReset ? D3DERR_DEVICENOTRESET : D3D_OK; }
};

ModuleState& State();
D3DCAPS8 BuildDefaultCaps();
// Appends one formatted line to the call log (bounded: the oldest half is dropped past 1 MiB).
void LogCall(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace PM::SoftD3D
