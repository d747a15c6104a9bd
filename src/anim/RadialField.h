// A force field pushing particles away from (or towards) its origin.
#pragma once

#include "anim/Field.h"
#include "scene/EngineClass.h"

namespace PM {

class SRadialField_I : public SField_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF06E;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SRadialField_I>("SRadialField"); }
  static ScriptObject* Create() { return NewEngineObject<SRadialField_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SRadialField_I>(extraBytes); }

  float m_radialType = 1.0f;
};

class TRadialField_I : public TField_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF06F;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TRadialField_I>("TRadialField"); }
  static ScriptObject* Create() { return NewEngineNode<TRadialField_I, SRadialField_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineNode<TRadialField_I, SRadialField_I>(extraBytes); }

  void ApplyForce(TBaseTransform_I* P, const Array<Vector3f>& positions, Array<Vector3f>& velocities,
                  double dt) override;
};

}  // namespace PM
