// SGeometry and TGeometry: the abstract bases of everything drawn from a vertex set. The T-side
// carries the material, the depth-sort settings and the per-instance colour.
#pragma once

#include "core/Vector4f.h"
#include "scene/Leaf.h"
#include "scene/SimpleTransform.h"

namespace PM {

class RenderEngine;

class SGeometry_I : public EngineClass<SGeometry_I, SLeaf_I, ClassId::SGeometry, "SGeometry"> {
 public:
  static void Define();

  // Draws into the engine's current pass. `colors` addresses the instance's multiplier followed by its
  // additive colour. Nonzero when something went to the engine; 0 when the pass draws no geometry.
  virtual int32_t Draw(RenderEngine* engine, const Vector4f* colors);
};

class TGeometry_I : public EngineClass<TGeometry_I, TLeaf_I, ClassId::TGeometry, "TGeometry"> {
 public:
  virtual int32_t GetUpdateStamp() { return m_updateStamp; }
  virtual void SetUpdateStamp(int32_t stamp) { m_updateStamp = stamp; }
  // Draws the S-geometry with this instance's colours; a successful draw records the frame stamp.
  virtual int32_t DrawFromSNode(RenderEngine* engine, int32_t frameStamp);

  ScriptObject* GetShader() const { return m_shader.Get(); }
  // Accepts nil or a RenderShader (a render class, so tested by id); anything else is reported and
  // stored as nil.
  void SetShader(ScriptObject* shader);

  Obj<ScriptObject> m_shader;  // a RenderShader
  WeakObj<TSimpleTransform_I> m_sortCenter;
  int32_t m_sortIndex = 0;
  int32_t m_updateStamp = -1;
  // Read as one pair through the address of m_colorMul: keep them adjacent and in this order.
  Vector4f m_colorMul{1, 1, 1, 1};
  Vector4f m_colorAdd{0, 0, 0, 0};
};

}  // namespace PM
