// What the world-matrix update must leave, as a plain recursion over the transforms of a tree, and what
// it did leave, in the same order: the tests of the update compare the two to the bit.
#pragma once

#include <vector>

#include "scene/BaseTransform.h"

namespace PM::Test {

inline void ReferenceWorldMatrices(TBaseTransform_I* t, const Matrix4f& parentWorld, std::vector<Matrix4f>& out) {
  auto* s = static_cast<SBaseTransform_I*>(t->m_sNode.Get());
  Matrix4f m;
  out.push_back(s->ApplyLocalMatrix(parentWorld, m));
  const Matrix4f world = out.back();
  for (const Obj<TNode_I>& c : t->m_children)
    if (c->IsA(TBaseTransform_I::kClassId)) ReferenceWorldMatrices(static_cast<TBaseTransform_I*>(c.Get()), world, out);
}

inline void CollectWorldMatrices(TBaseTransform_I* t, std::vector<Matrix4f>& out) {
  out.push_back(t->m_worldMatrix);
  for (const Obj<TNode_I>& c : t->m_children)
    if (c->IsA(TBaseTransform_I::kClassId)) CollectWorldMatrices(static_cast<TBaseTransform_I*>(c.Get()), out);
}

}  // namespace PM::Test
