// A clip applied to a connection group reaches every connection its curves name, in curve order,
// whatever the number of curves: libraries larger than one batch of evaluations, ports in any order,
// bad ports and missing curves among them, two curves on one port, and curves narrower than a track.
#include <algorithm>
#include <string>
#include <vector>

#include "PlaybackWorld.h"
#include "anim/SplineVector3f.h"

namespace PM::Test {
namespace {

constexpr const char* kBadPort = "Error ConnectionGroup: animation library specifies invalid port.\n";
constexpr const char* kNoCurve = "Error AnimationLibrary: index out of range / no curve at given index.\n";

class ClipApplyTest : public PlaybackWorld {
 protected:
  // The objects go before the base counts the blocks left alive.
  void TearDown() override {
    group = {};
    controls.clear();
    PlaybackWorld::TearDown();
  }
  // `count` blend controls, one connection each.
  void MakeControls(int32_t count) {
    group = New<ConnectionGroup_I>("ConnectionGroup");
    controls.clear();
    for (int32_t i = 0; i < count; ++i) {
      controls.push_back(Make("BlendControl"));
      MemberSetAt<VObject>(group, 0x01FFF094, i, controls.back());
      MemberSetAt<VMemberID>(group, 0x02FFF094, i, kWeight);
    }
  }
  // Curve i holds the constant ValueOf(i) and drives ports[i]; curves listed in `nil` stay missing.
  static Obj<AnimationLibrary_I> Library(const std::vector<int32_t>& ports, const std::vector<int32_t>& nil = {}) {
    Obj<AnimationLibrary_I> lib = New<AnimationLibrary_I>("AnimationLibrary");
    lib->m_endTime = 1;
    for (int32_t i = 0; i < int32_t(ports.size()); ++i) {
      lib->SetGroupPort(i, ports[size_t(i)]);
      if (std::find(nil.begin(), nil.end(), i) != nil.end()) continue;
      Obj<SplineScalarf_I> s = NewSpline<SplineScalarf_I>();
      s->AppendKey(Key1(0, ValueOf(i)));
      lib->SetCurve(i, s);
    }
    return lib;
  }
  static float ValueOf(int32_t curve) { return float(curve + 1) / 64.0f; }
  void Play(AnimationLibrary_I* lib, bool presetOnly = false) {
    group->SetTrackBlend(-1, 1);
    group->BeginFrame();
    group->ApplyClip(0, lib, 0.5, 1.0f, 1.0f, -1.0f, false, presetOnly);
    group->Commit();
  }

  Obj<ConnectionGroup_I> group;
  std::vector<Obj<ScriptObject>> controls;
};

TEST_F(ClipApplyTest, EveryCurveReachesItsPortInCurveOrder) {
  struct Case {
    const char* name;
    int32_t curves;
    std::vector<int32_t> badPorts;  // curves whose port is outside the group
    std::vector<int32_t> nil;       // curves left missing
  };
  const Case cases[] = {
      {"one curve", 1, {}, {}},
      {"one less than a batch", 15, {}, {}},
      {"a batch", 16, {}, {}},
      {"one past a batch", 17, {}, {}},
      {"several batches with bad ports and missing curves", 40, {3, 16, 39}, {0, 15, 17}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakeControls(c.curves);
    // Curve i drives connection curves - 1 - i, so values and ports cross the batches in reverse.
    std::vector<int32_t> ports;
    std::string wantLog;
    for (int32_t i = 0; i < c.curves; ++i) {
      const bool bad = std::find(c.badPorts.begin(), c.badPorts.end(), i) != c.badPorts.end();
      ports.push_back(bad ? (i % 2 ? c.curves : -1) : c.curves - 1 - i);
      if (bad)
        wantLog += kBadPort;
      else if (std::find(c.nil.begin(), c.nil.end(), i) != c.nil.end())
        wantLog += kNoCurve;
    }
    Obj<AnimationLibrary_I> lib = Library(ports, c.nil);
    for (Obj<ScriptObject>& control : controls) MemberSet<VF32>(control, kWeight, -7.0f);
    Play(lib);
    EXPECT_EQ(TakeLog(), wantLog);
    for (int32_t i = 0; i < c.curves; ++i) {
      const int32_t port = ports[size_t(i)];
      if (port < 0 || port >= c.curves) continue;
      // A missing curve still counts as written: its connection gets the zero it started from.
      const bool missing = std::find(c.nil.begin(), c.nil.end(), i) != c.nil.end();
      EXPECT_EQ(WeightOf(controls[size_t(port)]), missing ? 0.0f : ValueOf(i)) << "curve " << i;
      EXPECT_TRUE(group->m_connections[port].written);
    }
    // Connections no curve names keep their value.
    for (int32_t i : c.badPorts) EXPECT_EQ(WeightOf(controls[size_t(c.curves - 1 - i)]), -7.0f) << "port of " << i;
  }
}

TEST_F(ClipApplyTest, AGroupWithoutConnectionsPlaysNothing) {
  MakeControls(0);
  Play(Library({0, 1}));
  EXPECT_EQ(TakeLog(), std::string(kBadPort) + kBadPort);
  EXPECT_EQ(group->m_connections.Count(), 0);
}

TEST_F(ClipApplyTest, TwoCurvesOnOnePortAcrossABatch) {
  // Curves 2 and 20 both drive connection 2; the rest drive their own.
  std::vector<int32_t> ports;
  for (int32_t i = 0; i < 24; ++i) ports.push_back(i == 20 ? 2 : i);
  MakeControls(24);
  Obj<AnimationLibrary_I> lib = Library(ports);
  Play(lib);
  EXPECT_EQ(WeightOf(controls[2]), ValueOf(20));  // the later curve wins
  // Preset-only: the first curve to reach a connection writes it, the later one leaves it.
  Play(lib, true);
  EXPECT_EQ(WeightOf(controls[2]), ValueOf(2));
  EXPECT_EQ(WeightOf(controls[23]), ValueOf(23));
  EXPECT_EQ(TakeLog(), "");
}

TEST_F(ClipApplyTest, ANarrowCurveLeavesTheTrailingComponents) {
  Obj<AnimationLibrary_I> lib = Library({0});
  Obj<SplineVector3f_I> path = NewSpline<SplineVector3f_I>();
  path->AppendKey({0.0f, {1, 2, 3}, {0, 0, 0}, {0, 0, 0}});
  lib->SetCurve(1, path);
  Vector4f out{9, 9, 9, 9};
  lib->Evaluate(0, 0.0, out);
  EXPECT_EQ(out, (Vector4f{ValueOf(0), 9, 9, 9}));
  out = {9, 9, 9, 9};
  lib->Evaluate(1, 0.0, out);
  EXPECT_EQ(out, (Vector4f{1, 2, 3, 9}));
  // Through a group, a transform's translation takes the three components a vector curve gives.
  Obj<ScriptObject> node = Make("SSimpleTransform");
  group = Group({{node, kTranslation}});
  lib->SetGroupPort(1, 0);
  lib->SetGroupPort(0, 1);  // a port past the one connection
  Play(lib);
  EXPECT_EQ(MemberGet<VVector3f>(node, kTranslation), (Vector3f{1, 2, 3}));
  EXPECT_EQ(TakeLog(), kBadPort);
}

}  // namespace
}  // namespace PM::Test
