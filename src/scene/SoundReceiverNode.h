// SSoundReceiver and TSoundReceiver: the listener, placed in the scene.
#pragma once

#include "scene/Leaf.h"
#include "scene/SoundMotion.h"
#include "sound/SoundDevice.h"
#include "sound/SoundReceiver.h"

namespace PM {

class SSoundReceiver_I : public EngineClass<SSoundReceiver_I, SLeaf_I, ClassId::SSoundReceiver, "SSoundReceiver"> {
 public:
  static void Define();
};

class TSoundReceiver_I
    : public EngineClass<TSoundReceiver_I, TLeaf_I, ClassId::TSoundReceiver, "TSoundReceiver", SSoundReceiver_I> {
 public:
  ~TSoundReceiver_I();

  // Slots after the TNode ones: 7-25 forward to the receiver (nothing happens without one); the
  // device and the receiver are taken on the first call that needs them.
  /* 7 */ virtual void SetPosition(const Vector3f& v, bool commit);
  /* 8 */ virtual void SetOrientation(const Vector3f& front, const Vector3f& up, bool commit);
  /* 9 */ virtual void SetVelocity(const Vector3f& v, bool commit);
  /* 10 */ virtual void SetFront(const Vector3f& v, bool commit);
  /* 11 */ virtual void SetUp(const Vector3f& v, bool commit);
  /* 12 */ virtual void SetGain(float v, bool commit);
  /* 13 */ virtual void SetDopplerFactor(float v, bool commit);
  /* 14 */ virtual void SetDistanceFactor(float v, bool commit);
  /* 15 */ virtual void SetAll(const SoundReceiverValues& v, bool commit);
  /* 16 */ virtual SoundReceiverValues GetAll();
  /* 17 */ virtual void Commit();
  /* 18 */ virtual Vector3f GetPosition();
  /* 19 */ virtual Vector3f GetFront();
  /* 20 */ virtual Vector3f GetUp();
  /* 21 */ virtual Vector3f GetVelocity();
  /* 22 */ virtual float GetGain();
  /* 23 */ virtual float GetDopplerFactor();
  /* 24 */ virtual float GetDistanceFactor();
  /* 25 */ virtual SoundDevice* GetReceiverDevice();
  // 26: per frame; hands over the parent transform's position, (-front, -up) and velocity.
  /* 26 */ virtual void Update(double dt);

  SoundReceiver* GetReceiver() const { return m_receiver.Get(); }

  Ptr<SoundDevice> m_device;
  Ptr<SoundReceiver> m_receiver;
  SoundMotion m_motion;
  bool m_triedDevice = false;

 private:
  bool TakeReceiver();
};

}  // namespace PM
