// SInstancer and TInstancer: per-instance translations, rotations and appearances on the
// description, and the input nodes on the instance (held weakly).
#pragma once

#include "geometry/Geometry.h"

namespace PM {

// Carries the geometry data part so the render traversal can treat it as geometry; to scripts it is
// a plain SNode (its class row names SNode as the base).
class SInstancer_I : public SGeometry_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0F6;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SInstancer_I>("SInstancer"); }
  static ScriptObject* Create() { return NewEngineObject<SInstancer_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SInstancer_I>(extraBytes); }

  // An instancer description draws nothing through the geometry path.
  int32_t Draw(RenderEngine* engine, const Vector4f* colors) override;

  Array<Vector3f> m_translations;
  Array<Vector3f> m_rotations;
  Array<float> m_appearanceSelect;
};

class TInstancer_I : public TNode_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF0F7;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TInstancer_I>("TInstancer"); }
  static ScriptObject* Create() { return NewEngineNode<TInstancer_I, SInstancer_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TInstancer_I, SInstancer_I>(n); }

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
