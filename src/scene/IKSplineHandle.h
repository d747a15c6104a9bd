// SIKSplineHandle and TIKSplineHandle: an IK handle whose chain follows a spline curve, bent by
// cluster handles.
#pragma once

#include "scene/IKHandle.h"
#include "scene/SplineCurve.h"

namespace PM {

class SIKSplineHandle_I : public SIKHandle_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SIKSplineHandle;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SIKSplineHandle_I>("SIKSplineHandle"); }
  static ScriptObject* Create() { return NewEngineObject<SIKSplineHandle_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SIKSplineHandle_I>(extraBytes); }
};

class TIKSplineHandle_I : public TIKHandle_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TIKSplineHandle;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TIKSplineHandle_I>("TIKSplineHandle"); }
  static ScriptObject* Create() { return NewEngineNode<TIKSplineHandle_I, SIKSplineHandle_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TIKSplineHandle_I, SIKSplineHandle_I>(n); }

  Obj<TSplineCurve_I> m_splineCurve;
  Array<Obj<TSimpleTransform_I>> m_clusterHandles;
};

}  // namespace PM
