// SIKEffector and TIKEffector: the end of an IK chain, optionally linked to a joint whose translation
// it follows.
#pragma once

#include "scene/Joint.h"
#include "scene/Transform.h"

namespace PM {

class SIKEffector_I : public STransform_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SIKEffector;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SIKEffector_I>("SIKEffector"); }
  static ScriptObject* Create() { return NewEngineObject<SIKEffector_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SIKEffector_I>(extraBytes); }
};

class TIKEffector_I : public TTransform_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TIKEffector;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TIKEffector_I>("TIKEffector"); }
  static ScriptObject* Create() { return NewEngineNode<TIKEffector_I, SIKEffector_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TIKEffector_I, SIKEffector_I>(n); }

  WeakObj<TJoint_I> m_translationLink;
};

}  // namespace PM
