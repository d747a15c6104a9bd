#include "sound/SoundReceiver.h"

#include <atomic>

#include "sound/SoundDevice.h"

namespace PM {

namespace {
std::atomic<SoundReceiver*> g_receiver{nullptr};
}

SoundReceiver::~SoundReceiver() {
  SoundReceiver* self = this;
  g_receiver.compare_exchange_strong(self, nullptr);
}

SoundReceiver* SoundReceiver::Current() { return g_receiver.load(); }

SoundReceiver* SoundReceiver::Create(SoundDevice* device) {
  if (SoundReceiver* r = Current()) return r;
  if (device == nullptr) return nullptr;
  return device->CreateReceiver();
}

void SoundReceiver::Attach(SoundDevice* device) {
  m_device = device;
  m_attachment = device ? device->AttachReceiver(this) : 0;
  g_receiver.store(this);
}

void SoundReceiver::Commit() {
  if (m_device) m_device->CommitReceiver(*this);
}

#define PM_RECEIVER_SETTER(Name, Type, field)     \
  void SoundReceiver::Name(Type v, bool commit) { \
    m_values.field = v;                           \
    if (commit) Commit();                         \
  }
PM_RECEIVER_SETTER(SetPosition, const Vector3f&, position)
PM_RECEIVER_SETTER(SetVelocity, const Vector3f&, velocity)
PM_RECEIVER_SETTER(SetFront, const Vector3f&, front)
PM_RECEIVER_SETTER(SetUp, const Vector3f&, up)
PM_RECEIVER_SETTER(SetGain, float, gain)
PM_RECEIVER_SETTER(SetDopplerFactor, float, dopplerFactor)
PM_RECEIVER_SETTER(SetDistanceFactor, float, distanceFactor)
#undef PM_RECEIVER_SETTER

void SoundReceiver::SetOrientation(const Vector3f& front, const Vector3f& up, bool commit) {
  m_values.front = front;
  m_values.up = up;
  if (commit) Commit();
}

void SoundReceiver::SetAll(const SoundReceiverValues& v, bool commit) {
  m_values = v;
  if (commit) Commit();
}

}  // namespace PM
