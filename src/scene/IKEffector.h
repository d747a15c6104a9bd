// SIKEffector and TIKEffector: the end of an IK chain, optionally linked to a joint whose translation
// it follows.
#pragma once

#include "scene/Joint.h"
#include "scene/Transform.h"

namespace PM {

class SIKEffector_I : public EngineClass<SIKEffector_I, STransform_I, ClassId::SIKEffector, "SIKEffector"> {
 public:
  static void Define();
};

class TIKEffector_I
    : public EngineClass<TIKEffector_I, TTransform_I, ClassId::TIKEffector, "TIKEffector", SIKEffector_I> {
 public:
  WeakObj<TJoint_I> m_translationLink;
};

}  // namespace PM
