// SBaseTransform and TBaseTransform: the abstract bases of every transform. The S-side holds the local
// matrix built from the user's values; the T-side what one placement derives in a frame.
#pragma once

#include "core/Matrix4f.h"
#include "scene/Branch.h"

namespace PM {

class SBaseTransform_I : public SBranch_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF048;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SBaseTransform_I>("SBaseTransform"); }

  Matrix4f m_localMatrix = kIdentityMatrix4f;  // member LocalMatrix
  uint32_t m_changeFlags = 0;                      // one bit per component that is not neutral
  uint32_t m_localState = 1;                       // 0 stale, 1 identity, 2 built
};

class TBaseTransform_I : public TBranch_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF049;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TBaseTransform_I>("TBaseTransform"); }

  Matrix4f m_worldMatrix = kIdentityMatrix4f;
  Matrix4f m_modelViewMatrix = kIdentityMatrix4f;
  Matrix4f m_modelViewMatrixInverse = kIdentityMatrix4f;
  int32_t m_reparentId = -1;
  uint32_t m_matrixFrame = 0;
  bool m_inverseCurrent = true;
  Array<Obj<ScriptObject>> m_constraints;  // member ConstraintArray: Constraint objects
};

}  // namespace PM
