// The animation, constraint, particle, field and spline classes in the engine class table: ids, bases,
// member counts, member records, enum values, factories and field-backed members.
#include "support/EngineClassWorld.h"

#include "anim/AnimationScheduler.h"
#include "anim/Particles.h"
#include "anim/PoseBlend.h"
#include "anim/TransformConstraint.h"

namespace PM::Test {
namespace {

constexpr uint32_t kObject = 0xFFFFF040;
constexpr uint32_t kSLeaf = 0xFFFFF044;
constexpr uint32_t kTLeaf = 0xFFFFF045;
constexpr uint32_t kMemberSNode = 0x01FFF043;

const ClassExpectation kAnimClasses[] = {
    {0xFFFFF05A, kObject, "Constraint", 5, false},
    {0xFFFFF05D, 0xFFFFF05A, "AimConstraint", 6, true},
    {0xFFFFF05B, 0xFFFFF05A, "TransformConstraint", 2, true},
    {0xFFFFF05E, 0xFFFFF05A, "PoleVectorConstraint", 0, true},
    {0xFFFFF066, kSLeaf, "SParticles", 6, true},
    {0xFFFFF067, kTLeaf, "TParticles", 3, true},
    {0xFFFFF068, kSLeaf, "SEmitter", 9, true},
    {0xFFFFF069, kTLeaf, "TEmitter", 0, true},
    {0xFFFFF06A, kSLeaf, "SField", 4, false},
    {0xFFFFF06B, kTLeaf, "TField", 0, false},
    {0xFFFFF06C, 0xFFFFF06A, "SGravityField", 1, true},
    {0xFFFFF06D, 0xFFFFF06B, "TGravityField", 0, true},
    {0xFFFFF06E, 0xFFFFF06A, "SRadialField", 1, true},
    {0xFFFFF06F, 0xFFFFF06B, "TRadialField", 0, true},
    {0xFFFFF08E, kObject, "BlendControl", 2, true},
    {0xFFFFF0F0, kObject, "ParentControl", 3, true},
    {0xFFFFF0F1, kObject, "ParentManager", 3, true},
    {0xFFFFF0C2, kObject, "PoseBlend", 5, true},
    {0xFFFFF090, kObject, "AnimationClip", 14, true},
    {0xFFFFF091, 0xFFFFF090, "AnimationClipEvent", 0, true},
    {0xFFFFF092, kObject, "AnimationLibrary", 4, true},
    {0xFFFFF093, kObject, "AnimationScheduler", 6, true},
    {0xFFFFF094, kObject, "ConnectionGroup", 4, true},
    {0xFFFFF095, kObject, "SplineBase", 1, false},
    {0xFFFFF096, 0xFFFFF095, "SplineScalarf", 3, true},
    {0xFFFFF097, 0xFFFFF095, "SplineVector2f", 3, true},
    {0xFFFFF098, 0xFFFFF095, "SplineVector3f", 3, true},
    {0xFFFFF099, 0xFFFFF095, "SplineVector4f", 3, true},
    {0xFFFFF09A, 0xFFFFF095, "SplineQuaternionf", 0, true},
};

using AnimClassesTest = EngineClassWorld;

TEST_F(AnimClassesTest, ClassesHaveTheirIdsBasesMemberCountsAndFactories) {
  EXPECT_EQ(m_startLog.find("already exists"), std::string::npos) << m_startLog;
  ExpectClasses(kAnimClasses);
}

TEST_F(AnimClassesTest, MemberRecordsCarryTheirNamesFlagsAndValueTypes) {
  ExpectMember(0x01FFF05A, "TargetArray", 0x2600, kClassScriptObject);
  ExpectMember(0x02FFF05A, "WeightArray", 0x400, kClassF32);
  ExpectMember(0x03FFF05A, "ParentIDArray", 0x400, kClassI32);
  ExpectMember(0x04FFF05A, "ParentManager", 0x1200, kClassScriptObject);
  ExpectMember(0x01FFF05B, "ConstraintType", 0x0, kClassEnum);
  ExpectMember(0x02FFF0C2, "PoseDefault", 0x800, kClassF32);
  ExpectMember(0x03FFF0C2, "OperatorArray", 0x800, kClassEnum);
  ExpectMember(0x07FFF090, "EndTime", 0x5, kClassF64);
  ExpectMember(0x08FFF090, "Duration", 0x5, kClassF64);
  ExpectMember(0x04FFF093, "TrackEndTime", 0x405, kClassF64);
  ExpectMember(0x05FFF093, "HighestEndTime", 0x5, kClassF64);
  ExpectMember(0x02FFF094, "Member", 0x400, kClassMemberID);
  ExpectMember(0x04FFF094, "MemberMask", 0x400, kClassU32);
  ExpectMember(0x01FFF095, "KeyTime", 0x400, kClassF32);
  ExpectMember(0x03FFF099, "KeyTangentOut", 0x400, kClassVector4f);
  ExpectMember(0x02FFF067, "Emitter", 0x2600, kClassScriptObject);
  ExpectMember(0x04FFF06A, "UseMaxDistance", 0x0, kClassBool);
  // The fields answer their bases' members: SField's, and SNode's Visibility; TNode's SNode.
  EXPECT_EQ(FindMemberID(0xFFFFF06C, "Magnitude"), 0x01FFF06Au);
  EXPECT_EQ(FindMemberID(0xFFFFF06E, "Visibility"), 0x01FFF042u);
  EXPECT_EQ(FindMemberID(0xFFFFF06D, "SNode"), kMemberSNode);
  EXPECT_EQ(FindMemberID(0xFFFFF098, "KeyTime"), 0x01FFF095u);
}

TEST_F(AnimClassesTest, OwnedEnumsFollowTheirOwners) {
  ExpectEnum(0xFFFFF05C, "TransformConstraint", "ConstraintTypeEnum", {"Point", "Orient", "Parent", "Scale"});
  ExpectEnum(0xFFFFF0C3, "PoseBlend", "OperatorEnum", {"Add", "Blend", "Min", "Max", "Mul"});
  EXPECT_EQ(FindClassID("PoseBlend.OperatorEnum"), 0xFFFFF0C3u);
}

TEST_F(AnimClassesTest, TNodesCarryAnSNodeOfTheMatchingClass) {
  const std::pair<uint32_t, uint32_t> pairs[] = {
      {0xFFFFF067, 0xFFFFF066}, {0xFFFFF069, 0xFFFFF068}, {0xFFFFF06D, 0xFFFFF06C}, {0xFFFFF06F, 0xFFFFF06E}};
  for (auto [t, s] : pairs) {
    Obj<ScriptObject> node = ScriptObject::Create(t);
    EXPECT_EQ(MemberGet<VObject>(node, kMemberSNode)->GetClassID(), s) << ClassName(t);
    Obj<ScriptObject> extra = ScriptObject::CreateExtra(t, 32);
    EXPECT_EQ(MemberGet<VObject>(extra, kMemberSNode)->GetClassID(), s) << ClassName(t);
  }
  // Visibility of the T-node is its S-node's, which the field's own members sit beside.
  Obj<ScriptObject> gravity = ScriptObject::Create(0xFFFFF06D);
  ScriptObject* s = MemberGet<VObject>(gravity, kMemberSNode);
  EXPECT_EQ(MemberGet<VVector3f>(s, 0x01FFF06C).y, -1.0f);
  EXPECT_EQ(MemberGet<VF32>(s, 0x01FFF06A), 1.0f);
  EXPECT_EQ(MemberGet<VU32>(s, 0x01FFF042), 1u);
}

TEST_F(AnimClassesTest, FreshObjectsHoldTheirDefaults) {
  Obj<ScriptObject> tc = ScriptObject::Create(TransformConstraint_I::kClassId);
  EXPECT_EQ(MemberGet<VEnum>(tc, 0x01FFF05B), 0x03FFF05Cu);  // Parent
  Obj<ScriptObject> scheduler = ScriptObject::Create(AnimationScheduler_I::kClassId);
  EXPECT_EQ(MemberSize(scheduler, 0x04FFF093), 32);
  EXPECT_EQ(MemberGetAt<VF64>(scheduler, 0x04FFF093, 31), -1.0);
  EXPECT_EQ(MemberGet<VF64>(scheduler, 0x05FFF093), -1.0);
  Obj<ScriptObject> particles = ScriptObject::Create(SParticles_I::kClassId);
  EXPECT_EQ(MemberGet<VEnum>(particles, 0x01FFF066), 0x01FFF07Cu);  // LiveForever
  EXPECT_EQ(MemberGet<VI32>(particles, 0x04FFF066), -1);
  Obj<ScriptObject> control = ScriptObject::Create(0xFFFFF0F0);
  EXPECT_EQ(MemberGet<VI32>(control, 0x03FFF0F0), -1);
}

TEST_F(AnimClassesTest, EveryValueTypeAndFormIsStoredAndReadBack) {
  Obj<ScriptObject> clip = ScriptObject::Create(0xFFFFF090);
  MemberSet<VBool>(clip, 0x02FFF090, false);
  MemberSet<VF64>(clip, 0x06FFF090, 2.5);
  MemberSet<VF32>(clip, 0x0AFFF090, 0.5f);
  MemberSet<VI32>(clip, 0x0BFFF090, 3);
  MemberSet<VString>(clip, 0x01FFF040, String("walk"));
  EXPECT_FALSE(MemberGet<VBool>(clip, 0x02FFF090));
  EXPECT_EQ(MemberGet<VF64>(clip, 0x06FFF090), 2.5);
  EXPECT_EQ(MemberGet<VF32>(clip, 0x0AFFF090), 0.5f);
  EXPECT_EQ(MemberGet<VI32>(clip, 0x0BFFF090), 3);
  EXPECT_EQ(String::Compare(MemberGet<VString>(clip, 0x01FFF040), String("walk")), 0);

  // Read-only derived values: the write is reported and changes nothing.
  MemberSet<VF64>(clip, 0x08FFF090, 9.0);
  MemberSet<VF64>(clip, 0x07FFF090, 9.0);
  EXPECT_EQ(MemberGet<VF64>(clip, 0x08FFF090), 1.0);
  EXPECT_EQ(MemberGet<VF64>(clip, 0x07FFF090), 1.0);
  EXPECT_NE(TakeLog(), "");

  // Typed single reference, and an indexed writable derived table.
  Obj<ScriptObject> scheduler = ScriptObject::Create(0xFFFFF093);
  Obj<ScriptObject> group = ScriptObject::Create(0xFFFFF094);
  MemberSet<VObject>(scheduler, 0x01FFF093, group);
  EXPECT_EQ(MemberGet<VObject>(scheduler, 0x01FFF093), group.Get());
  MemberSet<VObject>(scheduler, 0x01FFF093, clip);
  EXPECT_TRUE(MemberGet<VObject>(scheduler, 0x01FFF093) == NilScriptObject());
  EXPECT_NE(TakeLog(), "");
  MemberSetAt<VF64>(scheduler, 0x04FFF093, 2, 7.0);
  EXPECT_EQ(MemberGetAt<VF64>(scheduler, 0x04FFF093, 2), 7.0);
  MemberSetAt<VObject>(scheduler, 0x02FFF093, 0, clip);
  EXPECT_EQ(MemberGetAt<VObject>(scheduler, 0x02FFF093, 0), clip.Get());
  MemberRemove(scheduler, 0x02FFF093, 0, 1);
  EXPECT_EQ(MemberSize(scheduler, 0x02FFF093), 0);

  // Indexed MemberID, U32 and object elements of a connection group.
  MemberSetAt<VMemberID>(group, 0x02FFF094, 0, 0x04FFF090);
  MemberSetAt<VU32>(group, 0x04FFF094, 1, 0xFu);
  MemberSetAt<VObject>(group, 0x01FFF094, 0, clip);
  EXPECT_EQ(MemberGetAt<VMemberID>(group, 0x02FFF094, 0), 0x04FFF090u);
  EXPECT_EQ(MemberGetAt<VU32>(group, 0x04FFF094, 1), 0xFu);
  EXPECT_EQ(MemberSize(group, 0x04FFF094), 2);
  MemberRemove(group, 0x01FFF094, 0, -1);

  // Arrays of floats and of enum values.
  Obj<ScriptObject> pose = ScriptObject::Create(PoseBlend_I::kClassId);
  MemberSetArray<VF32>(pose, 0x02FFF0C2, Array<float>{0.25f, 0.5f});
  MemberSetArray<VEnum>(pose, 0x03FFF0C2, Array<uint32_t>{PoseBlend_I::kOperatorMax});
  EXPECT_EQ(MemberGetArray<VF32>(pose, 0x02FFF0C2)[1], 0.5f);
  EXPECT_EQ(MemberGetArray<VEnum>(pose, 0x03FFF0C2)[0], 0x04FFF0C3u);

  // Vector keys, element by element.
  Obj<ScriptObject> spline = ScriptObject::Create(0xFFFFF098);
  MemberSetAt<VF32>(spline, 0x01FFF095, 0, 0.0f);
  MemberSetAt<VVector3f>(spline, 0x01FFF098, 1, Vector3f{1, 2, 3});
  EXPECT_EQ(MemberGetAt<VVector3f>(spline, 0x01FFF098, 1).z, 3.0f);
  EXPECT_EQ(MemberSize(spline, 0x01FFF098), 2);

  // A weakly held reference reads nil once its object has gone.
  Obj<ScriptObject> constraint = ScriptObject::Create(0xFFFFF05D);
  {
    Obj<ScriptObject> manager = ScriptObject::Create(0xFFFFF0F1);
    MemberSet<VObject>(constraint, 0x04FFF05A, manager);
    EXPECT_EQ(MemberGet<VObject>(constraint, 0x04FFF05A), manager.Get());
  }
  EXPECT_TRUE(MemberGet<VObject>(constraint, 0x04FFF05A) == NilScriptObject());

  // So do the targets of a constraint (transforms) and the emitters of a particle system.
  Obj<ScriptObject> particles = ScriptObject::Create(0xFFFFF067);
  {
    Obj<ScriptObject> target = ScriptObject::Create(0xFFFFF04B);
    Obj<ScriptObject> emitter = ScriptObject::Create(0xFFFFF069);
    MemberSetAt<VObject>(constraint, 0x01FFF05A, 1, target);
    MemberSetAt<VObject>(particles, 0x02FFF067, 0, emitter);
    EXPECT_EQ(MemberGetAt<VObject>(constraint, 0x01FFF05A, 1), target.Get());
    EXPECT_EQ(MemberGetAt<VObject>(particles, 0x02FFF067, 0), emitter.Get());
  }
  EXPECT_EQ(MemberSize(constraint, 0x01FFF05A), 2);
  EXPECT_TRUE(MemberGetAt<VObject>(constraint, 0x01FFF05A, 1) == NilScriptObject());
  EXPECT_TRUE(MemberGetAt<VObject>(particles, 0x02FFF067, 0) == NilScriptObject());
}

}  // namespace
}  // namespace PM::Test
