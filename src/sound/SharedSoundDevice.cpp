#include "sound/SharedSoundDevice.h"

#include "core/Log.h"

namespace PM {

namespace {
// Scene nodes live on the host's thread; nothing here is locked.
Ptr<SoundDevice> g_shared;
int g_users = 0;
}  // namespace

bool SharedSoundDevice::Acquire(Ptr<SoundDevice>& held) {
  if (held) return true;
  if (!g_shared) g_shared = SoundDevice::Create(kSDDefault, kSpeakersDefault, kQualityDefault, nullptr);
  if (!g_shared) return false;
  ++g_users;
  held = g_shared;
  return true;
}

void SharedSoundDevice::Release(Ptr<SoundDevice>& held, bool warnRefs) {
  if (!held) return;
  held.Clear();
  if (--g_users >= 1) return;
  g_users = 0;
  if (warnRefs && g_shared && BlockRefCount(g_shared.Get()) != 1) {
    LogWarn("SoundDevice.RefCount = ", BlockRefCount(g_shared.Get()));
  }
  g_shared.Clear();
}

int SharedSoundDevice::UserCount() { return g_users; }

}  // namespace PM
