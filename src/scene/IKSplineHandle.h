// SIKSplineHandle and TIKSplineHandle: an IK handle whose chain follows a spline curve, bent by
// cluster handles.
#pragma once

#include "scene/IKHandle.h"
#include "scene/SplineCurve.h"

namespace PM {

class SIKSplineHandle_I
    : public EngineClass<SIKSplineHandle_I, SIKHandle_I, ClassId::SIKSplineHandle, "SIKSplineHandle"> {
 public:
  static void Define();
};

class TIKSplineHandle_I : public EngineClass<TIKSplineHandle_I, TIKHandle_I, ClassId::TIKSplineHandle,
                                             "TIKSplineHandle", SIKSplineHandle_I> {
 public:
  // The ClusterHandleArray member: Get past the end reads nil; Set past the end grows the array with
  // nil entries; Remove(first, -1) removes to the end.
  TSimpleTransform_I* GetClusterHandle(int32_t i) const;
  void SetClusterHandle(int32_t i, TSimpleTransform_I* handle);
  int32_t ClusterHandleCount() const { return m_clusterHandles.Count(); }
  void RemoveClusterHandles(int32_t first, int32_t count) { m_clusterHandles.Remove(first, count); }

  Obj<TSplineCurve_I> m_splineCurve;
  Array<Obj<TSimpleTransform_I>> m_clusterHandles;
};

enum : uint32_t {
  kMemberTIKSplineHandleSplineCurve = 0x01FFF0F5,
  kMemberTIKSplineHandleClusterHandleArray = 0x02FFF0F5,
};

}  // namespace PM
