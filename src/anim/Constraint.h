// Base of the constraints: weighted targets, parent numbers and the parent manager that supplies them.
#pragma once

#include "scene/BaseTransform.h"
#include "scene/EngineClass.h"
#include "scene/Object.h"

namespace PM {

class ParentManager_I;

class Constraint_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF05A;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<Constraint_I>("Constraint"); }

  // The fill values of the indexed members: a weight past the end is 0.0, a parent number -1.
  static float NoWeight() { return 0.0f; }
  static int32_t NoParentID() { return -1; }

  float WeightAt(int32_t i) const { return i >= 0 && i < m_weightArray.Count() ? m_weightArray[i] : 0.0f; }
  int32_t ParentIDAt(int32_t i) const { return i >= 0 && i < m_parentIDArray.Count() ? m_parentIDArray[i] : -1; }

  Array<WeakObj<TBaseTransform_I>> m_targetArray;
  Array<float> m_weightArray;
  Array<int32_t> m_parentIDArray;
  WeakObj<ParentManager_I> m_parentManager;
  uint32_t m_excludeMask = 0;
};

enum : uint32_t {
  kMemberConstraintTargetArray = 0x01FFF05A,
  kMemberConstraintWeightArray = 0x02FFF05A,
  kMemberConstraintParentIDArray = 0x03FFF05A,
  kMemberConstraintParentManager = 0x04FFF05A,
  kMemberConstraintExcludeMask = 0x05FFF05A,
};

}  // namespace PM
