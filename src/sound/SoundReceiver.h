// SoundReceiver: the listener, one per process, attached to the device that made it. Each setter
// takes a commit flag; committing hands all values to the device at once.
#pragma once

#include "classes/InterfaceBase.h"
#include "core/Obj.h"
#include "core/Vector3f.h"

namespace PM {

class SoundDevice;

struct SoundReceiverValues {
  Vector3f position{0, 0, 0};
  Vector3f front{0, 0, 1};
  Vector3f up{0, 1, 0};
  Vector3f velocity{0, 0, 0};
  float gain = 1.0f;
  float dopplerFactor = 1.0f;
  float distanceFactor = 1.0f;
};

class SoundReceiver final : public InterfaceBase {
 public:
  SoundReceiver() = default;
  ~SoundReceiver();  // clears the process's receiver
  SoundReceiver(const SoundReceiver&) = delete;
  SoundReceiver& operator=(const SoundReceiver&) = delete;

  /* 1 */ virtual void SetPosition(const Vector3f& v, bool commit);
  /* 2 */ virtual void SetOrientation(const Vector3f& front, const Vector3f& up, bool commit);
  /* 3 */ virtual void SetVelocity(const Vector3f& v, bool commit);
  /* 4 */ virtual void SetFront(const Vector3f& v, bool commit);
  /* 5 */ virtual void SetUp(const Vector3f& v, bool commit);
  /* 6 */ virtual void SetGain(float v, bool commit);
  /* 7 */ virtual void SetDopplerFactor(float v, bool commit);
  /* 8 */ virtual void SetDistanceFactor(float v, bool commit);
  /* 9 */ virtual void SetAll(const SoundReceiverValues& v, bool commit);
  /* 10 */ virtual SoundReceiverValues GetAll() const { return m_values; }
  /* 11 */ virtual void Commit();
  /* 12 */ virtual Vector3f GetPosition() const { return m_values.position; }
  /* 13 */ virtual Vector3f GetFront() const { return m_values.front; }
  /* 14 */ virtual Vector3f GetUp() const { return m_values.up; }
  /* 15 */ virtual Vector3f GetVelocity() const { return m_values.velocity; }
  /* 16 */ virtual float GetGain() const { return m_values.gain; }
  /* 17 */ virtual float GetDopplerFactor() const { return m_values.dopplerFactor; }
  /* 18 */ virtual float GetDistanceFactor() const { return m_values.distanceFactor; }
  /* 19 */ virtual SoundDevice* GetDevice() const { return m_device.Get(); }

  // The process's receiver; a new one from the device's slot 2 when none lives; null without a device.
  static SoundReceiver* Create(SoundDevice* device);
  static SoundReceiver* Current();

  // Holds the device (counted) and takes its attachment word. Used by the device's slot 2.
  void Attach(SoundDevice* device);
  uintptr_t GetAttachment() const { return m_attachment; }

 private:
  SoundReceiverValues m_values;
  Ptr<SoundDevice> m_device;
  uintptr_t m_attachment = 0;
};

}  // namespace PM
