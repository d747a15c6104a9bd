// Merging one character's clips into another: connection matching by name, the reorder of the target
// group and its libraries, renamed and shifted clip copies, parent-id curves in libraries of their own,
// and the mismatches that change nothing.
#include <vector>

#include "CharacterWorld.h"
#include "anim/CharacterNames.h"
#include "anim/MergeCharacter.h"

namespace PM::Test {
namespace {

constexpr uint32_t kGroup = 0x01FFF093, kClips = 0x02FFF093;
constexpr uint32_t kObject = 0x01FFF094, kMember = 0x02FFF094, kMemberIndex = 0x03FFF094;
constexpr uint32_t kLibrary = 0x01FFF090, kStart = 0x06FFF090;
constexpr uint32_t kCurve = 0x03FFF092, kPort = 0x04FFF092;
constexpr uint32_t kKeyTime = 0x01FFF095, kKeyValue = 0x01FFF096, kKeyOut = 0x03FFF096;
constexpr uint32_t kParentID = 0x03FFF0F0;

Array<String> Strings(std::initializer_list<const char*> texts) {
  Array<String> a;
  for (const char* t : texts) a.Append(String(t));
  return a;
}

// Script text for scheduler `id` whose group `group` drives member `member` of transforms named
// `names`, element `indexes[i]` (0 when not given) for connection i.
std::string Character(const std::string& id, const char* group, std::initializer_list<const char*> names,
                      const char* member = "@TNode.Visibility", std::vector<int> indexes = {}) {
  std::string s = "ConnectionGroup:" + id + "G.Name '" + group + "';\n";
  std::string objects, members, indexList;
  int i = 0;
  for (const char* n : names) {
    std::string node = "TTransform:" + id + "N" + std::to_string(i);
    s += node + ".Name '" + n + "';\n";
    objects += (i ? ", " : "") + node;
    members += (i ? ", " : "") + std::string(member);
    indexList += i ? ", " : "";
    indexList += std::to_string(size_t(i) < indexes.size() ? indexes[i] : 0);
    ++i;
  }
  s += "ConnectionGroup:" + id + "G.{ .Object [" + objects + "]; .Member [" + members + "]; .MemberIndex [" +
       indexList + "]; };\n";
  return s + "AnimationScheduler:" + id + ".ConnectionGroup ConnectionGroup:" + id + "G;\n";
}

struct NameCase {
  const char* target;
  const char* source;
  std::initializer_list<const char*> pairs;
  bool match;
};

TEST(CharacterNamesTest, NamesMatchByShortNameOrTheFirstDecidingPair) {
  const NameCase cases[] = {
      {"hero:Hips", "villain:Hips", {}, true},
      {"Hips", "Hips", {}, true},
      {"hero:Hips", "Hips", {}, true},
      {"a:Hips_L", "b:Hips_R", {"_L", "_R"}, true},
      {"a:Hips_L", "b:Hips_Rx", {"_L", "_R"}, false},
      {"a:Hips_L", "b:Hips_R", {}, false},
      // Without any colon the whole names are compared, whatever the pairs.
      {"hero_Hips", "villain_Hips", {"hero_", "villain_"}, false},
      // Texts at different offsets decide nothing: the short names differ.
      {"a:L_Hips_L", "b:Hips_R", {"_L", "_R"}, false},
      // A pair found on one side only decides nothing: the short names are equal.
      {"a:Neck_L", "b:Neck_L", {"_L", "_R"}, true},
      // The first deciding pair is final, even when a later one would match.
      {"a:Left_Arm_L", "b:Right_Arm_R", {"Left", "Right", "_L", "_R"}, false},
      {"a:Left_Arm", "b:Right_Arm", {"Left", "Right", "_L", "_R"}, true},
      {"ns:deep:Hips", "other:Hips", {}, true},
  };
  for (const NameCase& c : cases) {
    Array<String> pairs;
    for (const char* p : c.pairs) pairs.Append(String(p));
    EXPECT_EQ(CharacterNamesMatch(c.target, c.source, pairs), c.match) << c.target << " / " << c.source;
  }
}

struct RuleCase {
  const char* rule;
  bool valid;
  const char* renamed;  // of "heroWalkFast"
};

TEST(CharacterNamesTest, RenameRulesFollowTheirFormat) {
  const RuleCase cases[] = {
      {"r/Walk*/Run*_B/", true, "heroRunFast_B"},
      {"label/Fast*/*/", true, "heroWalk"},
      {"r/Jump*/Run*_B/", true, "heroWalkFast"},  // find text absent: the name stays
      {"r/*/pre_*/", true, "pre_heroWalkFast"},   // empty find: found at 0
      {"r/Walk/Run*_B/", false, ""},              // the first "*" is not followed by "/"
      {"rWalk*/Run*_B/", false, ""},              // no label end before the find
      {"r/Walk*/Run_B/", false, ""},              // no "*" after the replacement
      {"r/Walk*/Run*_B", false, ""},              // no closing "/"
      {"r/Walk*/Run*_B/x/", false, ""},           // the suffix holds a "/"
  };
  for (const RuleCase& c : cases) {
    RenameRule rule;
    ASSERT_EQ(ParseRenameRule(c.rule, &rule), c.valid) << c.rule;
    if (!c.valid) continue;
    Array<RenameRule> rules;
    rules.Append(rule);
    EXPECT_STREQ(ApplyRenameRules(String("heroWalkFast"), rules).CStr(), c.renamed) << c.rule;
  }
  // Only the first rule that finds its text renames.
  Array<RenameRule> rules;
  for (const char* r : {"a/Jump*/X*/", "b/Walk*/Y*/", "c/Fast*/Z*/"}) {
    RenameRule rule;
    ASSERT_TRUE(ParseRenameRule(r, &rule));
    rules.Append(rule);
  }
  EXPECT_STREQ(ApplyRenameRules(String("heroWalkFast"), rules).CStr(), "heroYFast");
}

using MergeCharacterTest = CharacterWorld;

TEST_F(MergeCharacterTest, SameOrderAppendsRenamedShiftedCopiesAndLeavesLibrariesAlone) {
  Run(Character("hero", "heroGroup", {"hero:Hips", "hero:Spine"}) +
      Character("villain", "villainGroup", {"villain:Hips", "villain:Spine"}) +
      "AnimationLibrary:heroLib.GroupPort [1, 0];\n"
      "AnimationClip:idle.{ .Name 'heroIdle'; .AnimationLibrary AnimationLibrary:heroLib; };\n"
      "AnimationScheduler:hero.AnimationClip << AnimationClip:idle;\n"
      "AnimationLibrary:villainLib.GroupPort [0, 1];\n"
      "AnimationClip:walk.{ .Name 'heroWalkFast'; .AnimationLibrary AnimationLibrary:villainLib; .StartTime 1.0F; };\n"
      "AnimationClip:jump.{ .Name 'jump'; .StartTime 4.0F; };\n"
      "AnimationScheduler:villain.AnimationClip [AnimationClip:walk, AnimationClip:jump];\n");
  TakeLog();
  ScriptObject* hero = Named("hero");
  MergeCharacter(hero, Named("villain"), 2.5, Strings({"r/Walk/Run*_B/", "r/Walk*/Run*_B/", "s/jump*/hop*/"}),
                 Array<String>(), Vector4f{0, 0, 0, 0});
  EXPECT_EQ(TakeLog(), "Error MergeCharacter: invalid substanim value \"r/Walk/Run*_B/\".\n");

  ASSERT_EQ(MemberSize(hero, kClips), 3);
  EXPECT_EQ(MemberGetAt<VObject>(hero, kClips, 0), Named("idle"));
  ScriptObject* walk = MemberGetAt<VObject>(hero, kClips, 1);
  ScriptObject* jump = MemberGetAt<VObject>(hero, kClips, 2);
  EXPECT_NE(walk, Named("walk"));
  EXPECT_EQ(NameOf(walk), "heroRunFast_B");
  EXPECT_EQ(MemberGet<VF64>(walk, kStart), 3.5);
  EXPECT_EQ(MemberGet<VObject>(walk, kLibrary), Named("villainLib"));  // shared, nothing to remap
  EXPECT_EQ(NameOf(jump), "hop");
  EXPECT_EQ(MemberGet<VF64>(jump, kStart), 6.5);
  // The sources and the target's own group and library are as they were.
  EXPECT_EQ(NameOf(Named("walk")), "heroWalkFast");
  EXPECT_EQ(MemberGet<VF64>(Named("walk"), kStart), 1.0);
  ScriptObject* heroGroup = MemberGet<VObject>(hero, kGroup);
  EXPECT_EQ(MemberGetAt<VObject>(heroGroup, kObject, 0), Named("heroN0"));
  EXPECT_EQ(MemberGetAt<VI32>(Named("heroLib"), kPort, 0), 1);
  EXPECT_EQ(MemberGetAt<VI32>(Named("heroLib"), kPort, 1), 0);

  // Merging again with no rules warns and keeps the names.
  MergeCharacter(hero, Named("villain"), 0.0, Array<String>(), Array<String>(), Vector4f{0, 0, 0, 0});
  EXPECT_EQ(TakeLog(), "Warn  MergeCharacter: empty substanim array.\n");
  ASSERT_EQ(MemberSize(hero, kClips), 5);
  EXPECT_EQ(NameOf(MemberGetAt<VObject>(hero, kClips, 3)), "heroWalkFast");
}

TEST_F(MergeCharacterTest, AnotherOrderReordersTheTargetAndRepointsEachLibraryOnce) {
  Run(Character("hero", "heroGroup", {"hero:Hips", "hero:Spine", "hero:Head"}, "@TNode.Visibility", {1, 2, 3}) +
      Character("villain", "villainGroup", {"villain:Head", "villain:Hips", "villain:Spine"}, "@TNode.Visibility",
                {3, 1, 2}) +
      "AnimationLibrary:shared.{ .Name 'shared'; .GroupPort [0, 1, 2, -1, 5]; };\n"
      "AnimationLibrary:own.GroupPort [2];\n"
      "AnimationClip:a.AnimationLibrary AnimationLibrary:shared;\n"
      "AnimationClip:b.AnimationLibrary AnimationLibrary:shared;\n"
      "AnimationClip:c.AnimationLibrary AnimationLibrary:own;\n"
      "AnimationScheduler:hero.AnimationClip [AnimationClip:a, AnimationClip:b, AnimationClip:c];\n"
      "AnimationScheduler:villain.AnimationClip << AnimationClip:walk;\n");
  TakeLog();
  ScriptObject* hero = Named("hero");
  MergeCharacter(hero, Named("villain"), 0.0, Strings({"r/x*/y*/"}), Array<String>(), Vector4f{0, 0, 0, 0});
  EXPECT_EQ(TakeLog(),
            "Error MergeCharacter: reorder detected out of range library port.\n"
            "Debug MergeCharacter: clipLibrary \"shared\" is shared among multiple clips.\n");
  // The target's own connections, now in the source's order (Head, Hips, Spine), each entry whole.
  ScriptObject* group = MemberGet<VObject>(hero, kGroup);
  const char* order[] = {"heroN2", "heroN0", "heroN1"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(MemberGetAt<VObject>(group, kObject, i), Named(order[i])) << i;
    EXPECT_EQ(MemberGetAt<VI32>(group, kMemberIndex, i), (i + 2) % 3 + 1) << i;
  }
  // Port p became map[p] (Hips 0 -> 1, Spine 1 -> 2, Head 2 -> 0), once for the shared library;
  // a negative port stays, one past the map becomes -1.
  const int shared[] = {1, 2, 0, -1, -1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(MemberGetAt<VI32>(Named("shared"), kPort, i), shared[i]) << i;
  EXPECT_EQ(MemberGetAt<VI32>(Named("own"), kPort, 0), 0);
  EXPECT_EQ(MemberSize(hero, kClips), 4);
}

TEST_F(MergeCharacterTest, ParentIdRangesAreSwappedInALibraryOfTheMergedClipOnly) {
  Run(Character("hero", "heroGroup", {"hero:Hips", "hero:Arm"}, "@ParentControl.ParentID") +
      Character("villain", "villainGroup", {"villain:Hips", "villain:Arm"}, "@ParentControl.ParentID") +
      "ConnectionGroup:heroG.Member [@TNode.Visibility, @ParentControl.ParentID];\n"
      "ConnectionGroup:villainG.Member [@TNode.Visibility, @ParentControl.ParentID];\n"
      "SplineScalarf:plain.{ .KeyTime F32[0.0, 1.0]; .KeyValue F32[3.0, 15.0]; };\n"
      "SplineScalarf:ids.{ .Name 'ids'; .KeyTime F32[0.0, 1.0, 2.0]; .KeyValue F32[3.0, 15.0, 25.0]; "
      ".KeyTangentOut F32[1.0, 2.0, 3.0]; };\n"
      "AnimationLibrary:lib.{ .Name 'lib'; .StartTime 0.5F; .EndTime 2.0F; };\n"
      "AnimationLibrary:lib.{ .Curve [SplineScalarf:plain, SplineScalarf:ids]; .GroupPort [0, 1]; };\n"
      "AnimationClip:swing.AnimationLibrary AnimationLibrary:lib;\n"
      "AnimationClip:sway.AnimationLibrary AnimationLibrary:lib;\n"
      "AnimationScheduler:villain.AnimationClip [AnimationClip:swing, AnimationClip:sway];\n");
  TakeLog();
  ScriptObject* hero = Named("hero");
  MergeCharacter(hero, Named("villain"), 0.0, Strings({"r/x*/y*/"}), Array<String>(), Vector4f{0, 10, 10, 20});
  EXPECT_EQ(TakeLog(), "");
  ASSERT_EQ(MemberSize(hero, kClips), 2);
  ScriptObject* lib = Named("lib");
  ScriptObject* copies[2];
  for (int c = 0; c < 2; ++c) {
    ScriptObject* copy = copies[c] = MemberGet<VObject>(MemberGetAt<VObject>(hero, kClips, c), kLibrary);
    ASSERT_NE(copy, lib);
    EXPECT_EQ(NameOf(copy), "lib");
    EXPECT_EQ(MemberGet<VF64>(copy, 0x01FFF092), 0.5);
    EXPECT_EQ(MemberGet<VF64>(copy, 0x02FFF092), 2.0);
    EXPECT_EQ(MemberGetAt<VObject>(copy, kCurve, 0), Named("plain"));  // not a parent-id curve: shared
    EXPECT_EQ(MemberGetAt<VI32>(copy, kPort, 1), 1);
    ScriptObject* ids = MemberGetAt<VObject>(copy, kCurve, 1);
    ASSERT_NE(ids, Named("ids"));
    EXPECT_EQ(NameOf(ids), "ids");
    const float values[] = {13.0f, 5.0f, 25.0f};
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(MemberGetAt<VF32>(ids, kKeyValue, k), values[k]) << k;
      EXPECT_EQ(MemberGetAt<VF32>(ids, kKeyTime, k), float(k)) << k;
      EXPECT_EQ(MemberGetAt<VF32>(ids, kKeyOut, k), float(k + 1)) << k;
    }
  }
  EXPECT_NE(copies[0], copies[1]);  // each merged clip has its own copy
  EXPECT_EQ(MemberGetAt<VObject>(lib, kCurve, 1), Named("ids"));
  EXPECT_EQ(MemberGetAt<VF32>(Named("ids"), kKeyValue, 0), 3.0f);
  EXPECT_EQ(MemberGetAt<VF32>(Named("ids"), kKeyValue, 1), 15.0f);
  EXPECT_EQ(MemberGet<VObject>(Named("swing"), kLibrary), lib);
}

struct Mismatch {
  const char* what;
  std::initializer_list<const char*> target;
  std::initializer_list<const char*> source;
  const char* pairs[2];
  const char* log;
};

TEST_F(MergeCharacterTest, MismatchedConnectionsChangeNothing) {
  const Mismatch cases[] = {
      {"counts",
       {"h:Hips", "h:Spine"},
       {"v:Hips", "v:Spine", "v:Head"},
       {"", ""},
       "Error MergeCharacter: different amount of subclips in \"heroGroup\".\n"},
      {"missing",
       {"h:Hips", "h:Spine"},
       {"v:Hips", "v:Neck"},
       {"", ""},
       "Error MergeCharacter: character connection \"h:Spine\" is missing in source character \"villainGroup\".\n"},
      {"two to one",
       {"h:Arm_L", "h:Arm_R"},
       {"v:Arm_R", "v:Leg"},
       {"_L", "_R"},
       "Error MergeCharacter: character connection \"v:Arm_R\" is relocated in source character \"villainGroup\" "
       "and multiple nodes have identical names.\n"},
  };
  for (const Mismatch& m : cases) {
    SCOPED_TRACE(m.what);
    m_engine.Clear();
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
    Run(Character("hero", "heroGroup", m.target) + Character("villain", "villainGroup", m.source) +
        "AnimationLibrary:lib.GroupPort [1, 0];\n"
        "AnimationScheduler:hero.AnimationClip << AnimationClip:idle.AnimationLibrary AnimationLibrary:lib;\n"
        "AnimationScheduler:villain.AnimationClip << AnimationClip:walk;\n");
    TakeLog();
    ScriptObject* hero = Named("hero");
    Array<String> pairs = m.pairs[0][0] ? Strings({m.pairs[0], m.pairs[1]}) : Array<String>();
    MergeCharacter(hero, Named("villain"), 0.0, Strings({"r/x*/y*/"}), pairs, Vector4f{0, 0, 0, 0});
    EXPECT_EQ(TakeLog(), m.log);
    EXPECT_EQ(MemberSize(hero, kClips), 1);
    ScriptObject* group = MemberGet<VObject>(hero, kGroup);
    EXPECT_EQ(MemberSize(group, kObject), 2);
    EXPECT_EQ(MemberGetAt<VObject>(group, kObject, 0), Named("heroN0"));
    EXPECT_EQ(MemberGetAt<VObject>(group, kObject, 1), Named("heroN1"));
    EXPECT_EQ(MemberGetAt<VI32>(Named("lib"), kPort, 0), 1);
  }
}

TEST_F(MergeCharacterTest, WrongArgumentsAndEntriesAreReportedAndSkipped) {
  Run(Character("hero", "heroGroup", {"h:Hips"}) + Character("villain", "villainGroup", {"v:Hips"}) +
      "AnimationScheduler:villain.AnimationClip << AnimationClip:walk;\n"
      "AnimationClipEvent:step.{ .Name 'step'; .StartTime 2.0F; };\n");
  TakeLog();
  ScriptObject* hero = Named("hero");
  ScriptObject* villain = Named("villain");
  // A hole in the source's clip list (left by a Set past its end) is reported and skipped; an event
  // clip is copied as an event clip.
  MemberSetAt<VObject>(villain, kClips, 2, Named("step"));
  MergeCharacter(hero, villain, 1.0, Strings({"r/x*/y*/"}), Array<String>(), Vector4f{0, 0, 0, 0});
  EXPECT_EQ(TakeLog(), "Error ScriptObject::ExpectFailed: cannot cast \"Nil\" to \"AnimationClip\".\n");
  ASSERT_EQ(MemberSize(hero, kClips), 2);
  ScriptObject* step = MemberGetAt<VObject>(hero, kClips, 1);
  EXPECT_EQ(step->GetClassID(), Named("step")->GetClassID());
  EXPECT_EQ(MemberGet<VF64>(step, kStart), 3.0);

  // Null and objects of other classes in place of the schedulers change nothing.
  MergeCharacter(nullptr, villain, 0.0, Strings({"r/x*/y*/"}), Array<String>(), Vector4f{0, 0, 0, 0});
  MergeCharacter(hero, Named("walk"), 0.0, Strings({"r/x*/y*/"}), Array<String>(), Vector4f{0, 0, 0, 0});
  EXPECT_EQ(TakeLog(),
            "Error ScriptObject::ExpectFailed: cannot cast \"Nil\" to \"AnimationScheduler\".\n"
            "Error ScriptObject::ExpectFailed: cannot cast \"AnimationClip\" to \"AnimationScheduler\".\n");
  EXPECT_EQ(MemberSize(hero, kClips), 2);

  // Merging a character into itself copies each of its clips once.
  MergeCharacter(villain, villain, 0.0, Strings({"r/x*/y*/"}), Array<String>(), Vector4f{0, 0, 0, 0});
  TakeLog();
  EXPECT_EQ(MemberSize(villain, kClips), 5);
}

}  // namespace
}  // namespace PM::Test
