// SIKHandle and TIKHandle: the goal of an IK chain from a start joint to an end effector.
#pragma once

#include "scene/IKEffector.h"

namespace PM {

class SIKHandle_I : public EngineClass<SIKHandle_I, STransform_I, ClassId::SIKHandle, "SIKHandle"> {
 public:
  static void Define();
  float m_twist = 0;
  Vector3f m_poleVector{0, 0, 1};
  int32_t m_solverMode = 1;
  bool m_solverEnable = true;
};

class TIKHandle_I : public EngineClass<TIKHandle_I, TTransform_I, ClassId::TIKHandle, "TIKHandle", SIKHandle_I> {
 public:
  // The first joint of the chain. The joint's IKDependency names this handle; moving the handle to
  // another joint clears the old joint's back link when it still names this handle (two handles may
  // share a start joint). j is a TJoint or nil.
  TJoint_I* GetStartJoint() const { return m_startJoint.Get(); }
  void SetStartJoint(TJoint_I* j);

  WeakObj<TJoint_I> m_startJoint;
  WeakObj<TIKEffector_I> m_endEffector;
};

}  // namespace PM
