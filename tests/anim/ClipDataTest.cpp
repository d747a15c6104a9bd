// The data the character operations rely on: a connection group's one list of connections, a
// library's curves and ports that grow and shrink together, and the clip copy operations.
#include "anim/AnimationClipEvent.h"
#include "support/EngineClassWorld.h"

namespace PM::Test {
namespace {

constexpr uint32_t kObject = 0x01FFF094, kMember = 0x02FFF094, kMemberIndex = 0x03FFF094, kMask = 0x04FFF094;
constexpr uint32_t kCurve = 0x03FFF092, kPort = 0x04FFF092;

using ClipDataTest = EngineClassWorld;

TEST_F(ClipDataTest, ConnectionGroupMembersShareOneConnectionList) {
  Obj<ScriptObject> group = Make("ConnectionGroup");
  Obj<ScriptObject> node = Make("TTransform", "Hips");
  MemberSetAt<VU32>(group, kMask, 2, 7u);  // grows all four by whole connections
  for (uint32_t m : {kObject, kMember, kMemberIndex, kMask}) EXPECT_EQ(MemberSize(group, m), 3) << std::hex << m;
  MemberSetAt<VObject>(group, kObject, 1, node);
  MemberSetAt<VMemberID>(group, kMember, 1, 0x01FFF043u);
  MemberSetAt<VI32>(group, kMemberIndex, 1, 4);
  MemberSetAt<VU32>(group, kMask, 1, 3u);
  // Reads past the count (or before 0) are quiet nil and 0.
  EXPECT_TRUE(MemberGetAt<VObject>(group, kObject, 5) == NilScriptObject());
  EXPECT_EQ(MemberGetAt<VMemberID>(group, kMember, -1), 0u);
  EXPECT_EQ(MemberGetAt<VI32>(group, kMemberIndex, 3), 0);
  EXPECT_EQ(TakeLog(), "");
  // Removing through any member takes whole connections: connection 1 moves to 0.
  MemberRemove(group, kMemberIndex, 0, 1);
  for (uint32_t m : {kObject, kMember, kMemberIndex, kMask}) EXPECT_EQ(MemberSize(group, m), 2) << std::hex << m;
  EXPECT_EQ(MemberGetAt<VObject>(group, kObject, 0), node.Get());
  EXPECT_EQ(MemberGetAt<VMemberID>(group, kMember, 0), 0x01FFF043u);
  EXPECT_EQ(MemberGetAt<VI32>(group, kMemberIndex, 0), 4);
  EXPECT_EQ(MemberGetAt<VU32>(group, kMask, 0), 3u);
  EXPECT_EQ(MemberGetAt<VU32>(group, kMask, 1), 7u);
  MemberRemove(group, kObject, 5, 1);  // at or past the count: nothing
  EXPECT_EQ(MemberSize(group, kMask), 2);
}

TEST_F(ClipDataTest, LibraryCurvesAndPortsGrowAndShrinkTogether) {
  Obj<ScriptObject> library = Make("AnimationLibrary");
  Obj<ScriptObject> curve = Make("SplineScalarf");
  MemberSetAt<VI32>(library, kPort, 1, 4);
  EXPECT_EQ(MemberSize(library, kCurve), 2);
  EXPECT_EQ(MemberGetAt<VI32>(library, kPort, 0), -1);  // new ports are -1
  MemberSetAt<VObject>(library, kCurve, 3, curve);
  EXPECT_EQ(MemberSize(library, kPort), 4);
  EXPECT_EQ(MemberGetAt<VI32>(library, kPort, 2), -1);
  EXPECT_EQ(MemberGetAt<VObject>(library, kCurve, 3), curve.Get());
  EXPECT_EQ(TakeLog(), "");
  // A curve must be a spline: another object is reported and stored as nil.
  MemberSetAt<VObject>(library, kCurve, 0, Make("AnimationClip"));
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"AnimationClip\" to \"SplineBase\".\n");
  EXPECT_TRUE(MemberGetAt<VObject>(library, kCurve, 0) == NilScriptObject());
  MemberRemove(library, kPort, 0, 2);
  EXPECT_EQ(MemberSize(library, kCurve), 2);
  EXPECT_EQ(MemberGetAt<VObject>(library, kCurve, 1), curve.Get());
  // Entries past the count are the object model's bad-index report.
  MemberGetAt<VI32>(library, kPort, 2);
  EXPECT_NE(TakeLog(), "");
}

struct ClipField {
  uint32_t member;
  double set;    // written into the original
  double clip;   // read from a clip's copy
  double event;  // read from an event clip's copy
};

TEST_F(ClipDataTest, ClipCopiesTakeTheirPlacementAndLeaveTheRestAtDefaults) {
  const ClipField fields[] = {
      {0x02FFF090, 0, 0, 0},        // Enabled (default true)
      {0x03FFF090, 1, 1, 1},        // Relative
      {0x0DFFF090, 1, 1, 0},        // PresetOnly: not copied for events
      {0x0CFFF090, 0.25, 0.25, 0},  // BlendRange: not copied for events
      {0x06FFF090, 1.5, 1.5, 1.5},  // StartTime
      {0x04FFF090, 3, 3, 3},        // Cycles
      {0x05FFF090, -2, -2, -2},     // Scale
      {0x09FFF090, 0.5, 0.5, 0.5},  // WarpTime
      {0x0AFFF090, 0.5, 1, 1},      // AmplitudeScale: default
      {0x0BFFF090, 3, 0, 0},        // Track: default
      {0x0EFFF090, 2, 0, 0},        // BlendTrackRange: default
  };
  Obj<ScriptObject> library = Make("AnimationLibrary");
  for (const char* cls : {"AnimationClip", "AnimationClipEvent"}) {
    SCOPED_TRACE(cls);
    bool isEvent = cls[13] == 'E';
    Obj<ScriptObject> original = Make(cls, "walk");
    MemberSet<VObject>(original, 0x01FFF090, library);
    for (const ClipField& f : fields) {
      const MemberRecord* r = MemberRecordOf(f.member);
      if (r->valueType == kClassBool)
        MemberSet<VBool>(original, f.member, f.set != 0);
      else if (r->valueType == kClassF64)
        MemberSet<VF64>(original, f.member, f.set);
      else if (r->valueType == kClassF32)
        MemberSet<VF32>(original, f.member, float(f.set));
      else
        MemberSet<VI32>(original, f.member, int32_t(f.set));
    }
    Obj<AnimationClip_I> copy = static_cast<AnimationClip_I*>(original.Get())->Clone();
    ASSERT_NE(copy.Get(), original.Get());
    EXPECT_EQ(copy->GetClassID(), original->GetClassID());
    EXPECT_EQ(MemberGet<VObject>(copy, 0x01FFF090), library.Get());
    EXPECT_STREQ(MemberGet<VString>(copy, 0x01FFF040).CStr(), "walk");
    for (const ClipField& f : fields) {
      const MemberRecord* r = MemberRecordOf(f.member);
      double want = isEvent ? f.event : f.clip;
      double got = r->valueType == kClassBool  ? double(MemberGet<VBool>(copy, f.member))
                   : r->valueType == kClassF64 ? MemberGet<VF64>(copy, f.member)
                   : r->valueType == kClassF32 ? double(MemberGet<VF32>(copy, f.member))
                                               : double(MemberGet<VI32>(copy, f.member));
      EXPECT_EQ(got, want) << r->name;
    }
  }
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
