// The reads every walk over the tree shares: a class test that answers a typed pointer, the S-node of
// a T-node, a node's visibility, its parent's matrix and the level an LOD group shows.
#pragma once

#include "scene/BaseTransform.h"
#include "scene/LODGroup.h"
#include "scene/Node.h"

namespace PM {

// o as a T when it is one (or derived), else null; nil and null answer null.
template <class T>
T* As(ScriptObject* o) {
  return o && o->IsA(T::kClassId) ? static_cast<T*>(o) : nullptr;
}
template <class T>
T* As(const WeakObj<T>& o) {
  return o.IsNil() ? nullptr : o.Get();
}

// The S-node of a T-node as class S, or null.
template <class S>
S* SNodeOf(const TNode_I* node) {
  return As<S>(node->m_sNode.Get());
}
// The same for any object: null unless it is a T-node (nil and null answer null) whose S-node is an S.
template <class S>
S* SNodeOf(ScriptObject* node) {
  TNode_I* t = As<TNode_I>(node);
  return t ? As<S>(t->GetSNode()) : nullptr;
}

// The node's S-node Visibility; anything that is not a node with an S-node has none.
inline uint32_t VisibilityOf(const ScriptObject* node) {
  if (!node->IsA(TNode_I::kClassId)) return 0;
  const SNode_I* s = SNodeOf<SNode_I>(static_cast<const TNode_I*>(node));
  return s ? s->m_visibility : 0;
}

// The model-view matrix of the node's nearest transform ancestor; `root` (the pass's starting matrix)
// when there is none.
inline const Matrix4f& ParentMatrixOf(const TNode_I* node, const Matrix4f& root) {
  const TBaseTransform_I* p = As<TBaseTransform_I>(node->GetParentTransform());
  return p ? p->m_modelViewMatrix : root;  // NOLINT(bugprone-return-const-ref-from-parameter): callers' roots live on
}

// The child level an LOD group shows at the squared distance `d2` from the eye; its S-node chooses,
// and a group without one shows none (-1). The caller checks the level against the child count.
inline int32_t SelectLODLevel(const TNode_I* group, float d2) {
  SLODGroup_I* s = SNodeOf<SLODGroup_I>(group);
  return s ? s->SelectLevel(d2) : -1;
}

}  // namespace PM
