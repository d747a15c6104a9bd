// SGeometry and TGeometry: the abstract bases of everything drawn from a vertex set. The T-side
// carries the material, the depth-sort settings and the per-instance colour.
#pragma once

#include "core/Vector4f.h"
#include "scene/Leaf.h"
#include "scene/SimpleTransform.h"

namespace PM {

class SGeometry_I : public EngineClass<SGeometry_I, SLeaf_I, ClassId::SGeometry, "SGeometry"> {
 public:
  static void Define();
};

class TGeometry_I : public EngineClass<TGeometry_I, TLeaf_I, ClassId::TGeometry, "TGeometry"> {
 public:
  Obj<ScriptObject> m_shader;  // a RenderShader
  WeakObj<TSimpleTransform_I> m_sortCenter;
  int32_t m_sortIndex = 0;
  int32_t m_updateStamp = -1;
  Vector4f m_colorMul{1, 1, 1, 1};
  Vector4f m_colorAdd{0, 0, 0, 0};
};

}  // namespace PM
