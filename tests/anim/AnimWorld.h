// Shared fixture of the constraint and IK tests: scene trees built from the node classes and one call
// of the tree update slot per pass.
#pragma once

#include <cmath>

#include "anim/Constraint.h"
#include "render/TreeUpdateHook.h"
#include "scene/EngineWorld.h"
#include "scene/IKSplineHandle.h"
#include "scene/Joint.h"
#include "scene/Transform.h"

namespace PM::Test {

class AnimWorld : public EngineWorldTest {
 protected:
  // A new node (or object) of class T named `name`, placed under `parent` when one is given.
  template <class T>
  Obj<T> New(const char* name, TBranch_I* parent = nullptr) {
    Obj<T> o(static_cast<T*>(T::Create()));
    SetNodeName(o.Get(), String(name));
    if (parent) parent->SetChild(parent->ChildCount(), o.Get());
    return o;
  }
  template <class S>
  static S* SOf(TNode_I* n) {
    return static_cast<S*>(n->m_sNode.Get());
  }
  static void Place(TNode_I* n, Vector3f t) { SOf<SSimpleTransform_I>(n)->SetTranslation(t); }
  static Vector3f Position(const TBaseTransform_I* n) { return n->m_modelViewMatrix.Row(3); }
  // One pass over root through the installed slot.
  static void Pass(ScriptObject* root, uint32_t frame, TreeUpdatePass::Kind kind = TreeUpdatePass::kTree,
                   ScriptObject* camera = nullptr, uint32_t excludeMask = 0) {
    TreeUpdatePass p;
    p.kind = kind;
    p.root = root;
    p.frame = frame;
    p.camera = camera;
    p.excludeMask = excludeMask;
    ASSERT_NE(GetTreeUpdate(), nullptr);
    GetTreeUpdate()(p);
  }
  static void Target(Constraint_I* c, TBaseTransform_I* t, float w) {
    const int32_t i = c->m_targetArray.Count();
    c->m_targetArray.Grow(i + 1);
    c->m_targetArray[i] = t;
    c->m_weightArray.SetCountFill(i + 1, 0.0f);
    c->m_weightArray[i] = w;
  }
  static void Constrain(TBaseTransform_I* owner, Constraint_I* c) { owner->SetConstraint(owner->ConstraintCount(), c); }
  static bool Finite(const Vector3f& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
};

#define EXPECT_VEC_NEAR(a, b, eps)           \
  do {                                       \
    const ::PM::Vector3f va = (a), vb = (b); \
    EXPECT_NEAR(va.x, vb.x, eps) << #a " x"; \
    EXPECT_NEAR(va.y, vb.y, eps) << #a " y"; \
    EXPECT_NEAR(va.z, vb.z, eps) << #a " z"; \
  } while (0)

}  // namespace PM::Test
