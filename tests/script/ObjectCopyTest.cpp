// Clone, CopyTemplate and the object-graph walk.
#include <set>

#include "ObjectModelFixture.h"

namespace PM::Test {
namespace {

TEST_F(ObjectModelTest, CloneCopiesMembersWithoutTheNoCloneBit) {
  Obj<B> b(NewB());
  b->count = 3;
  b->label = "hello";
  b->derived = 8;  // 0x5
  b->extra = 1.5;
  b->points.Append({1, 2, 3});
  Obj<A> child(NewA());
  b->owned = child.Get();
  b->parent = child.Get();  // 0x7
  Obj<ScriptObject> copy(ScriptObject::Clone(b));
  ASSERT_EQ(copy->GetClassID(), B::kClassId);
  B* c = static_cast<B*>(copy.Get());
  EXPECT_EQ(BlockRefCount(c), 1);
  EXPECT_EQ(c->count, 3);
  EXPECT_EQ(c->label, String("hello"));
  EXPECT_EQ(c->extra, 1.5);
  EXPECT_EQ(c->derived, 0);
  EXPECT_EQ(c->points.Count(), 1);
  EXPECT_EQ(c->owned.Get(), child.Get());  // Clone shares references
  EXPECT_TRUE(c->parent.IsNil());
  EXPECT_TRUE(ScriptObject::Clone(NilScriptObject()) == NilScriptObject());
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ObjectModelTest, CopyTemplateDeepCopiesOwnedAndSharesSharedReferences) {
  Obj<A> root(NewA()), owned(NewA()), shared(NewA()), kid0(NewA()), kid1(NewB()), up(NewA());
  root->count = 1;
  owned->count = 2;
  kid0->count = 10;
  root->owned = owned.Get();
  root->shared = shared.Get();
  root->parent = up.Get();
  root->children.Append(Obj<ScriptObject>(kid0.Get()));
  root->children.Append(Obj<ScriptObject>());  // nil stays nil
  root->children.Append(Obj<ScriptObject>(kid1.Get()));
  kid0->parent = root.Get();  // a back link (0x2): neither copied nor followed
  kid1->owned = kid0.Get();   // the same object reached twice is copied once

  Obj<ScriptObject> copy(ScriptObject::CopyTemplate(root));
  A* c = static_cast<A*>(copy.Get());
  ASSERT_EQ(c->GetClassID(), A::kClassId);
  EXPECT_EQ(c->count, 1);
  EXPECT_NE(c->owned.Get(), owned.Get());
  EXPECT_EQ(static_cast<A*>(c->owned.Get())->count, 2);
  EXPECT_EQ(c->shared.Get(), shared.Get());
  EXPECT_TRUE(c->parent.IsNil());
  ASSERT_EQ(c->children.Count(), 3);
  EXPECT_NE(c->children[0].Get(), kid0.Get());
  EXPECT_EQ(static_cast<A*>(c->children[0].Get())->count, 10);
  EXPECT_TRUE(static_cast<A*>(c->children[0].Get())->parent.IsNil());
  EXPECT_TRUE(c->children[1].IsNil());
  EXPECT_EQ(c->children[2]->GetClassID(), B::kClassId);
  EXPECT_EQ(static_cast<A*>(c->children[2].Get())->owned.Get(), c->children[0].Get());
  EXPECT_EQ(TakeLog(), "");
  kid0->parent.Clear();  // break the cycle so every block goes
}

TEST_F(ObjectModelTest, CopyTemplateSurvivesOwnedCycles) {
  Obj<A> a(NewA()), b(NewA());
  a->owned = b.Get();
  b->owned = a.Get();
  {
    Obj<ScriptObject> copy(ScriptObject::CopyTemplate(a));
    A* c = static_cast<A*>(copy.Get());
    EXPECT_EQ(static_cast<A*>(c->owned.Get())->owned.Get(), c);
    static_cast<A*>(c->owned.Get())->owned.Clear();
  }
  b->owned.Clear();
}

TEST_F(ObjectModelTest, GraphWalkVisitsEachObjectOnceAndSkipsBackLinks) {
  Obj<A> root(NewA()), kid(NewA()), up(NewA()), shared(NewA());
  root->children.Append(Obj<ScriptObject>(kid.Get()));
  root->children.Append(Obj<ScriptObject>(kid.Get()));
  root->shared = shared.Get();
  root->parent = up.Get();  // 0x7: not followed
  kid->owned = root.Get();  // a cycle through an owned reference
  std::vector<ScriptObject*> seen;
  ScriptObject::WalkGraph(root, [&](ScriptObject* o) { seen.push_back(o); });
  std::set<ScriptObject*> unique(seen.begin(), seen.end());
  EXPECT_EQ(seen.size(), 3u);
  EXPECT_EQ(unique, (std::set<ScriptObject*>{root.Get(), kid.Get(), shared.Get()}));
  kid->owned.Clear();
}

}  // namespace
}  // namespace PM::Test
