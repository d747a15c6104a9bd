// SSplineCurve and TSplineCurve: a cubic non-uniform B-spline (knots and control vertices) as a leaf.
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SSplineCurve_I : public EngineClass<SSplineCurve_I, SLeaf_I, ClassId::SSplineCurve, "SSplineCurve"> {
 public:
  static void Define();
  Array<float> m_knots;
  Array<Vector3f> m_cvs;
};

class TSplineCurve_I
    : public EngineClass<TSplineCurve_I, TLeaf_I, ClassId::TSplineCurve, "TSplineCurve", SSplineCurve_I> {
 public:
};

}  // namespace PM
