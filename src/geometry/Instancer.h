// SInstancer and TInstancer: per-instance translations, rotations and appearances on the
// description, and the input nodes on the instance (held weakly).
#pragma once

#include "geometry/Geometry.h"

namespace PM {

// Carries the geometry data part so the render traversal can treat it as geometry; to scripts it is
// a plain SNode (its class row names SNode as the base).
class SInstancer_I : public EngineClass<SInstancer_I, SGeometry_I, ClassId::SInstancer, "SInstancer"> {
 public:
  static void Define();

  // An instancer description draws nothing through the geometry path.
  int32_t Draw(RenderEngine* engine, const Vector4f* colors) override;

  Array<Vector3f> m_translations;
  Array<Vector3f> m_rotations;
  Array<float> m_appearanceSelect;
};

class TInstancer_I : public EngineClass<TInstancer_I, TNode_I, ClassId::TInstancer, "TInstancer", SInstancer_I> {
 public:
  // The InputNodeArray member: Get past the end, or of a node that died, gives nil; Set grows the list
  // with nil entries and keeps a weak reference (anything but a TNode is reported and stored as nil);
  // Remove takes `count` entries from `first` (a negative count: to the end).
  ScriptObject* GetInputNode(int32_t i) const;
  void SetInputNode(int32_t i, TNode_I* node);
  int32_t InputNodeCount() const { return m_inputNodes.Count(); }
  void RemoveInputNodes(int32_t first, int32_t count) { m_inputNodes.Remove(first, count); }

  Array<WeakObj<TNode_I>> m_inputNodes;
};

enum : uint32_t {
  kMemberInstancerTranslationArray = 0x01FFF0F6,
  kMemberInstancerRotationArray = 0x02FFF0F6,
  kMemberInstancerAppearanceSelectArray = 0x03FFF0F6,
  kMemberInstancerInputNodeArray = 0x01FFF0F7,
};

}  // namespace PM
