// TSoundReceiver behaviour: the listener follows the parent transform each frame.
#include "core/Log.h"
#include "scene/BaseTransform.h"
#include "scene/SoundReceiverNode.h"
#include "script/object/MemberAccess.h"
#include "sound/SharedSoundDevice.h"

namespace PM {

TSoundReceiver_I::~TSoundReceiver_I() {
  m_receiver.Clear();
  SharedSoundDevice::Release(m_device, false);
}

bool TSoundReceiver_I::TakeReceiver() {
  if (m_receiver) return true;
  if (m_triedDevice || !SoundsEnabled()) return false;
  m_triedDevice = true;
  if (!SharedSoundDevice::Acquire(m_device)) return false;
  m_receiver = SoundReceiver::Create(m_device.Get());
  return bool(m_receiver);
}

bool SoundMotion::Step(ScriptObject* parent, double dt, Matrix4f& world, Vector3f& velocity) {
  if (IsNilObject(parent)) return false;
  world = MemberGet<VMatrix4f>(parent, kMemberTBaseTransformWorldMatrix);
  Vector3f position = world.Row(3);
  if (first) {
    last = position;
    first = false;
  }
  float scale = float(1.0 / dt);
  velocity = {(position.x - last.x) * scale, (position.y - last.y) * scale, (position.z - last.z) * scale};
  last = position;
  return true;
}

void TSoundReceiver_I::Update(double dt) {
  if (!TakeReceiver()) return;
  // No time passed: as the emitter does, start over rather than send an infinite velocity.
  if (dt <= 0) {
    m_motion.Restart();
    return;
  }
  Matrix4f world;
  Vector3f velocity;
  if (!m_motion.Step(GetParent(), dt, world, velocity)) return;
  Vector3f position = world.Row(3);
  Vector3f front = world.Row(2);
  Vector3f up = world.Row(1);
  if (front.LengthSquared() > 0) front.Normalize();
  if (up.LengthSquared() > 0) up.Normalize();
  m_receiver->SetPosition(position, false);
  m_receiver->SetOrientation({-front.x, -front.y, -front.z}, {-up.x, -up.y, -up.z}, false);
  m_receiver->SetVelocity(velocity, true);
}

#define PM_RECEIVER_FORWARD(Name, Params, Args) \
  void TSoundReceiver_I::Name Params {          \
    if (TakeReceiver()) m_receiver->Name Args;  \
  }
PM_RECEIVER_FORWARD(SetPosition, (const Vector3f& v, bool commit), (v, commit))
PM_RECEIVER_FORWARD(SetOrientation, (const Vector3f& front, const Vector3f& up, bool commit), (front, up, commit))
PM_RECEIVER_FORWARD(SetVelocity, (const Vector3f& v, bool commit), (v, commit))
PM_RECEIVER_FORWARD(SetFront, (const Vector3f& v, bool commit), (v, commit))
PM_RECEIVER_FORWARD(SetUp, (const Vector3f& v, bool commit), (v, commit))
PM_RECEIVER_FORWARD(SetGain, (float v, bool commit), (v, commit))
PM_RECEIVER_FORWARD(SetDopplerFactor, (float v, bool commit), (v, commit))
PM_RECEIVER_FORWARD(SetDistanceFactor, (float v, bool commit), (v, commit))
PM_RECEIVER_FORWARD(SetAll, (const SoundReceiverValues& v, bool commit), (v, commit))
PM_RECEIVER_FORWARD(Commit, (), ())
#undef PM_RECEIVER_FORWARD

SoundReceiverValues TSoundReceiver_I::GetAll() { return TakeReceiver() ? m_receiver->GetAll() : SoundReceiverValues(); }
Vector3f TSoundReceiver_I::GetPosition() { return GetAll().position; }
Vector3f TSoundReceiver_I::GetFront() { return GetAll().front; }
Vector3f TSoundReceiver_I::GetUp() { return GetAll().up; }
Vector3f TSoundReceiver_I::GetVelocity() { return GetAll().velocity; }
float TSoundReceiver_I::GetGain() { return GetAll().gain; }
float TSoundReceiver_I::GetDopplerFactor() { return GetAll().dopplerFactor; }
float TSoundReceiver_I::GetDistanceFactor() { return GetAll().distanceFactor; }
SoundDevice* TSoundReceiver_I::GetReceiverDevice() { return TakeReceiver() ? m_receiver->GetDevice() : nullptr; }

}  // namespace PM
