// The one device the scene's sound nodes share, with the count of the nodes that hold it.
#pragma once

#include "core/Obj.h"
#include "sound/SoundDevice.h"

namespace PM {

class SharedSoundDevice {
 public:
  // Makes `held` hold the shared device (creating it when there is none) and counts the caller as a
  // user; a node that gets no device is not counted. False when no device could be made.
  static bool Acquire(Ptr<SoundDevice>& held);
  // Releases `held` and the caller's use; the last user releases the shared device. `warnRefs`
  // logs the device's count first when something else still holds it (emitters do).
  static void Release(Ptr<SoundDevice>& held, bool warnRefs);
  static int UserCount();
};

}  // namespace PM
