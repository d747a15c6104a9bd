// SInstancer and TInstancer: per-instance translations, rotations and appearances on the
// description, and the input nodes on the instance (held weakly).
#pragma once

#include "scene/Node.h"

namespace PM {

class SInstancer_I : public EngineClass<SInstancer_I, SNode_I, ClassId::SInstancer, "SInstancer"> {
 public:
  static void Define();
  Array<Vector3f> m_translations;
  Array<Vector3f> m_rotations;
  Array<float> m_appearanceSelect;
};

class TInstancer_I : public EngineClass<TInstancer_I, TNode_I, ClassId::TInstancer, "TInstancer", SInstancer_I> {
 public:
  Array<WeakObj<TNode_I>> m_inputNodes;
};

}  // namespace PM
