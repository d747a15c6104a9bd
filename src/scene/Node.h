// SNode and TNode: the roots of the description (S) and instance (T) class trees. A T-node is one
// placement in the scene tree; it holds a counted reference to its S-node, which several T-nodes may
// share. Both are abstract: scripts create only their concrete descendants.
#pragma once

#include "classes/Object.h"
#include "core/Spheref.h"

namespace PM {

class TBranch_I;

class SNode_I : public EngineClass<SNode_I, Object_I, ClassId::SNode, "SNode"> {
 public:
  static void Define();
  // 1.0 when visible, else 0.0; setting it makes Visibility 1 from |v| >= 2^-24 on, else 0.
  float GetVisibilityF32() const { return m_visibility ? 1.0f : 0.0f; }
  void SetVisibilityF32(float v);

  uint32_t m_visibility = 1;  // member Visibility
};

class TNode_I : public EngineClass<TNode_I, Object_I, ClassId::TNode, "TNode"> {
 public:
  // The attached S-object, borrowed.
  virtual ScriptObject* GetSNode();
  // Attaches an S-object through the SNode member's setter (factories, cloning, importers).
  virtual void SetSNodeMember(ScriptObject* s);
  virtual void OnUpdate() {}
  // Returns the count before the call; a count of 0 is first made 1, so the first call leaves 2.
  virtual int32_t AddUse();
  virtual int32_t ReleaseUse() { return --m_useCount; }
  virtual int32_t GetUseCount() { return m_useCount; }

  // The SNode setter: an S-object of another type than the attached one is refused with an error.
  void SetSNode(ScriptObject* s);
  TBranch_I* GetParent() const { return m_parent.Get(); }
  // The Parent setter: nil detaches, a branch re-parents (appended to its children, removed from the
  // old parent's); anything else, or this node or one of its descendants, is refused.
  void SetParent(ScriptObject* p);
  // Is this node `ancestor` itself or below it (following the Parent links).
  bool IsSelfOrBelow(const TNode_I* ancestor) const;
  // The nearest ancestor that is a transform, or nil.
  ScriptObject* GetParentTransform() const;
  // Visibility is the attached S-node's.
  uint32_t GetVisibility() const;
  void SetVisibility(uint32_t v);

  WeakObj<TBranch_I> m_parent;               // member Parent: the parent owns its children
  uint32_t m_boundingMode = 0x01FFF0AD;      // member BoundingMode: BoundingDynamic
  Spheref m_boundingSphere = kEmptySpheref;  // member BoundingSphere
  int32_t m_useCount = 0;
  // Last, so that it sits beside a branch's children and a transform's world matrix: the three are
  // what a world-matrix update reads of every node.
  Obj<ScriptObject> m_sNode;  // member SNode
};

// Sets the object's Name; a T-node's attached S-node is named too, with "S" put in front of the last
// part of the name ("body:arm" names the S-node "body:Sarm", "arm" names it "Sarm").
void SetNodeName(ScriptObject* node, const String& name);

enum : uint32_t {
  kMemberSNodeVisibility = 0x01FFF042,
  kMemberSNodeVisibilityF32 = 0x02FFF042,
  kMemberTNodeSNode = 0x01FFF043,
  kMemberTNodeParent = 0x02FFF043,
  kMemberTNodeParentTransform = 0x03FFF043,
  kMemberTNodeBoundingMode = 0x04FFF043,
  kMemberTNodeBoundingSphere = 0x05FFF043,
  kMemberTNodeVisibility = 0x06FFF043,
};

// TNode.BoundingModeEnum.
enum : uint32_t {
  kEnumBoundingMode = 0xFFFFF0AD,
  kBoundingDynamic = 0x01FFF0AD,
  kBoundingStatic = 0x02FFF0AD,
  kBoundingStaticSubtree = 0x03FFF0AD,
};

}  // namespace PM
