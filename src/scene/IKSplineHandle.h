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

class TIKSplineHandle_I
    : public EngineClass<TIKSplineHandle_I, TIKHandle_I, ClassId::TIKSplineHandle, "TIKSplineHandle",
                         SIKSplineHandle_I> {
 public:
  Obj<TSplineCurve_I> m_splineCurve;
  Array<Obj<TSimpleTransform_I>> m_clusterHandles;
};

}  // namespace PM
