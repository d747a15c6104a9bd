// Where a new scene node's records go: its T-node and S-node side by side in the node arena, nodes made
// one after another next to each other, large ones on the heap.
#include <cstdint>

#include "EngineWorld.h"
#include "core/BlockArena.h"
#include "scene/BaseTransform.h"

namespace PM::Test {
namespace {

class NodePlacementTest : public EngineWorldTest {
 protected:
  static uintptr_t Start(const void* payload) { return reinterpret_cast<uintptr_t>(HeaderOf(payload)); }
  // The room a block of `payload` bytes takes in the arena.
  static uintptr_t Room(const void* payload) {
    const size_t bytes = sizeof(BlockHeader) + HeaderOf(payload)->type->size;
    return (bytes + BlockArena::kGrain - 1) / BlockArena::kGrain * BlockArena::kGrain;
  }
  static ScriptObject* SNode(ScriptObject* t) { return static_cast<TNode_I*>(t)->m_sNode.Get(); }
};

TEST_F(NodePlacementTest, ANodesRecordsAndTheNextNodesFollowOneAnother) {
  for (const char* cls : {"TTransform", "TSimpleTransform", "TJoint", "TLight", "TCamera", "TLODGroup"}) {
    Obj<ScriptObject> a = Make(cls);
    Obj<ScriptObject> b = Make(cls);
    ScriptObject* sa = SNode(a);
    ASSERT_FALSE(IsNilObject(sa)) << cls;
    EXPECT_EQ(Start(sa), Start(a) + Room(a)) << cls << ": the S-node right after its T-node";
    EXPECT_EQ(Start(b), Start(sa) + Room(sa)) << cls << ": the next node right after";
    for (ScriptObject* o : {a.Get(), sa, b.Get()}) {
      EXPECT_EQ(Start(o) % BlockArena::kGrain, 0u) << cls;
      EXPECT_EQ(HeaderOf(o)->capacity, -int32_t(sizeof(BlockHeader) + HeaderOf(o)->type->size)) << cls;
    }
  }
}

// A node whose extra bytes are too many for the arena comes from the heap like any object; an S-node
// made on its own and attached in place of the first frees the arena's one. The fixture checks that
// every block went.
TEST_F(NodePlacementTest, LargeNodesAndReplacedSNodesComeAndGoLikeOthers) {
  const uint32_t cls = FindClassID("TTransform");
  Obj<ScriptObject> big(ScriptObject::CreateExtra(cls, uint32_t(BlockArena::kMaxBlockBytes)));
  ASSERT_FALSE(big.IsNil());
  EXPECT_EQ(HeaderOf(big.Get())->capacity, 0);
  EXPECT_LT(HeaderOf(SNode(big))->capacity, 0) << "its S-node still fits the arena";

  Obj<ScriptObject> t = Make("TTransform");
  Obj<ScriptObject> s(ScriptObject::Create(FindClassID("STransform")));
  EXPECT_EQ(HeaderOf(s.Get())->capacity, 0) << "made on its own, an S-node is an ordinary object";
  MemberSet<VObject>(t, kMemberTNodeSNode, s);
  EXPECT_EQ(SNode(t), s.Get());
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
