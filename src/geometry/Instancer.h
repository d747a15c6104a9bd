// SInstancer and TInstancer: per-instance translations, rotations and appearances on the
// description, and the input nodes on the instance (held weakly).
#pragma once

#include "scene/Node.h"

namespace PM {

class SInstancer_I : public SNode_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SInstancer;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SInstancer_I>("SInstancer"); }
  static ScriptObject* Create() { return NewEngineObject<SInstancer_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SInstancer_I>(extraBytes); }

  Array<Vector3f> m_translations;
  Array<Vector3f> m_rotations;
  Array<float> m_appearanceSelect;
};

class TInstancer_I : public TNode_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TInstancer;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TInstancer_I>("TInstancer"); }
  static ScriptObject* Create() { return NewEngineNode<TInstancer_I, SInstancer_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TInstancer_I, SInstancer_I>(n); }

  Array<WeakObj<TNode_I>> m_inputNodes;
};

}  // namespace PM
