// Pose blend: the weight bounds, each operator, the write-back into F32 and masked Vector3f members,
// its warnings, and inputs shorter than the outputs.
#include "AnimWorld.h"
#include "anim/BlendControl.h"
#include "anim/ConnectionGroup.h"
#include "anim/PoseBlend.h"

namespace PM::Test {
namespace {

// A first Add input of weight 1 puts `start` into the output; the case's input then acts on it.
struct BlendCase {
  const char* name;
  uint32_t op;
  float weight, start, input, out;
};

constexpr float kBound = 0.0009765625f;
const BlendCase kCases[] = {
    {"add", PoseBlend_I::kOperatorAdd, 0.5f, 1, 4, 3},
    {"weight at the upper bound applies", PoseBlend_I::kOperatorAdd, kBound, 1, 1024, 2},
    {"weight at the lower bound applies", PoseBlend_I::kOperatorAdd, -kBound, 1, 1024, 0},
    {"smaller weight skipped", PoseBlend_I::kOperatorAdd, 0.0009f, 1, 1024, 1},
    {"blend replaces at 1", PoseBlend_I::kOperatorBlend, 1, 1, 5, 5},
    {"min raises to the input", PoseBlend_I::kOperatorMin, 1, 1, 5, 5},
    {"min leaves higher values", PoseBlend_I::kOperatorMin, 1, 1, -5, 1},
    {"max lowers to the input", PoseBlend_I::kOperatorMax, 1, 1, -5, -5},
    {"mul halves", PoseBlend_I::kOperatorMul, 0.5f, 1, 1, 0.5f},
    {"mul skips huge inputs", PoseBlend_I::kOperatorMul, 0.5f, 1, 2e10f, 1},
    {"unknown operator ignored", 0x09FFF0C3, 1, 1, 5, 1},
};

class PoseBlendTest : public AnimWorld {
 protected:
  Obj<PoseBlend_I> Blend(std::initializer_list<float> defaults) {
    Obj<PoseBlend_I> pb(static_cast<PoseBlend_I*>(PoseBlend_I::Create()));
    pb->m_poseDefault = defaults;
    pb->m_connectionGroup = static_cast<ConnectionGroup_I*>(ConnectionGroup_I::Create());
    return pb;
  }
  static void Input(PoseBlend_I* pb, uint32_t op, float weight, std::initializer_list<float> values) {
    Obj<BlendControl_I> c(static_cast<BlendControl_I*>(BlendControl_I::Create()));
    c->m_weight = weight;
    Obj<VertexDataF32_I> v(static_cast<VertexDataF32_I*>(VertexDataF32_I::Create()));
    v->m_data = values;
    pb->m_blendControl.Append(c);
    pb->m_operatorArray.Append(op);
    pb->m_valueArray.Append(v);
  }
  static void Connect(PoseBlend_I* pb, ScriptObject* o, uint32_t member, uint32_t mask = 0) {
    CGConnection c;
    c.object = o, c.member = member, c.memberMask = mask;
    pb->m_connectionGroup->m_connections.Append(c);
  }
};

TEST_F(PoseBlendTest, Operators) {
  for (const BlendCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Obj<PoseBlend_I> pb = Blend({0});
    Obj<BlendControl_I> target(static_cast<BlendControl_I*>(BlendControl_I::Create()));
    Connect(pb.Get(), target.Get(), 0x01FFF08E);  // Weight
    Input(pb.Get(), PoseBlend_I::kOperatorAdd, 1, {c.start});
    Input(pb.Get(), c.op, c.weight, {c.input});
    pb->Evaluate();
    EXPECT_FLOAT_EQ(target->m_weight, c.out);
  }
  EXPECT_EQ(TakeLog(), "Warn  PoseBlend: unsupported operator 9.\n");
}

TEST_F(PoseBlendTest, WriteBack) {
  Obj<PoseBlend_I> pb = Blend({1, 2, 3, 4});
  Input(pb.Get(), PoseBlend_I::kOperatorAdd, 1, {10, 20});  // shorter than the outputs: W[2], W[3] kept
  Input(pb.Get(), PoseBlend_I::kOperatorAdd, 1, {});
  Obj<TTransform_I> node = New<TTransform_I>("node");
  auto* s = SOf<SSimpleTransform_I>(node.Get());
  s->SetTranslation({7, 8, 9});
  Obj<BlendControl_I> target(static_cast<BlendControl_I*>(BlendControl_I::Create()));
  Connect(pb.Get(), s, kMemberSSimpleTransformTranslation, 0x5);
  Connect(pb.Get(), s, kMemberSSimpleTransformTranslation, 0);
  Connect(pb.Get(), target.Get(), 0x02FFF08E);  // StaticBlend: I32
  Connect(pb.Get(), target.Get(), 0x01FFF08E);
  pb->Evaluate();
  EXPECT_VEC_NEAR(s->m_translation, (Vector3f{11, 8, 11}), 0);
  EXPECT_EQ(target->m_weight, 4.0f);
  EXPECT_EQ(target->m_staticBlend, 0);
  EXPECT_EQ(TakeLog(), "Warn  PoseBlend: unsupported attribute type.\n");

  // Controls shorter than the inputs skip the rest; nothing is written without outputs.
  pb->m_blendControl.Remove(0, -1);
  pb->m_poseDefault.Clear();
  target->m_weight = 9;
  pb->Evaluate();
  EXPECT_EQ(target->m_weight, 9.0f);
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
