// Animations as clips: rotation keys as Euler keys within the bound of Assimp's spherical interpolation
// (hand-made turns up to half a circle, through gimbal lock, and a corpus file's turns of 45 degrees), unwrapped
// from key to key; and the clips, libraries and scheduler a scene record becomes.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "anim/AnimationClip.h"
#include "anim/AnimationLibrary.h"
#include "anim/AnimationScheduler.h"
#include "anim/ConnectionGroup.h"
#include "core/Matrix4f.h"
#include "geometry/SkinPolygonGeometry.h"
#include "import/ClipBuilder.h"
#include "import/ModelBuilder.h"
#include "import/ReaderProcess.h"
#include "import/RotationKeys.h"
#include "scene/EngineWorld.h"
#include "scene/NodeWalk.h"
#include "scene/Transform.h"

namespace PM::Test {
namespace {

using namespace PM::Import;

void Put(Keys& k, double time, double angleDegrees, double ax, double ay, double az) {
  const double n = std::sqrt(ax * ax + ay * ay + az * az), h = angleDegrees * M_PI / 360;
  k.times.push_back(time);
  k.values.insert(k.values.end(), {float(std::cos(h)), float(std::sin(h) * ax / n), float(std::sin(h) * ay / n),
                                   float(std::sin(h) * az / n)});
}

// The worst gap, in degrees, between the Euler keys interpolated linearly in single precision (as the
// engine's curves do) and Assimp's interpolation of the file's keys, at `samples` times a segment.
double WorstGap(const Keys& keys, const std::vector<EulerKey>& euler, int samples) {
  double worst = 0;
  size_t e = 0;
  for (size_t k = 0; k + 1 < keys.times.size(); ++k) {
    const double a[4] = {keys.values[k * 4], keys.values[k * 4 + 1], keys.values[k * 4 + 2], keys.values[k * 4 + 3]};
    const double b[4] = {keys.values[k * 4 + 4], keys.values[k * 4 + 5], keys.values[k * 4 + 6],
                         keys.values[k * 4 + 7]};
    const double t0 = keys.times[k], t1 = keys.times[k + 1];
    if (!(t1 > t0)) continue;
    for (int i = 0; i <= samples; ++i) {
      const double s = double(i) / samples, t = t0 + (t1 - t0) * s;
      while (e + 2 < euler.size() && euler[e + 1].time <= t) ++e;
      const EulerKey &p = euler[e], &q = euler[e + 1];
      const float f = q.time > p.time ? float((t - p.time) / (q.time - p.time)) : 1.0f;
      const Vector3f ours = p.degrees + (q.degrees - p.degrees) * std::clamp(f, 0.0f, 1.0f);
      double theirs[4], an[4], bn[4];
      const double na = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2] + a[3] * a[3]);
      const double nb = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2] + b[3] * b[3]);
      for (int c = 0; c < 4; ++c) an[c] = a[c] / na, bn[c] = b[c] / nb;
      SlerpLikeAssimp(an, bn, s, theirs);
      worst = std::max(worst, RotationGapDegrees(ours, theirs));
    }
  }
  return worst;
}

// The gap measures against the engine's own rotation matrix, bit for bit: a turn at any angle, with the
// quaternion's matrix (row vectors) as the bound's code builds it.
TEST(RotationKeys, TheGapIsMeasuredAgainstTheEnginesOwnRotation) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> degrees(-720, 720);
  std::uniform_real_distribution<double> component(-1, 1);
  const float specials[] = {0, 90, -90, 180, -180, 1e-30f, 359.99f};
  for (int i = 0; i < 2000; ++i) {
    Vector3f e{degrees(random), degrees(random), degrees(random)};
    if (i < 343) e = {specials[i % 7], specials[i / 7 % 7], specials[i / 49 % 7]};
    double q[4] = {component(random), component(random), component(random), component(random)};
    const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (double& c : q) c /= n;
    Matrix4f ours;
    Matrix4fC::MakeRotation(ours, e * kDegToRad, 0);
    const double w = q[0], x = q[1], y = q[2], z = q[3];
    const float theirs[9] = {
        float(1 - 2 * (y * y + z * z)), float(2 * (x * y + z * w)),     float(2 * (x * z - y * w)),
        float(2 * (x * y - z * w)),     float(1 - 2 * (x * x + z * z)), float(2 * (y * z + x * w)),
        float(2 * (x * z + y * w)),     float(2 * (y * z - x * w)),     float(1 - 2 * (x * x + y * y))};
    double r[9];
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b) {
        double v = 0;
        for (int k = 0; k < 3; ++k) v += double(ours.m[a * 4 + k]) * double(theirs[b * 3 + k]);
        r[a * 3 + b] = v;
      }
    const double sx = r[7] - r[5], sy = r[2] - r[6], sz = r[3] - r[1];
    const double expected = std::atan2(0.5 * std::sqrt(sx * sx + sy * sy + sz * sz), 0.5 * (r[0] + r[4] + r[8] - 1));
    ASSERT_EQ(RotationGapDegrees(e, q), expected * 180 / 3.14159265358979323846) << e.x << " " << e.y << " " << e.z;
  }
}

TEST(RotationKeys, LargeTurnsBetweenKeysStayWithinTheBoundEverywhere) {
  Keys keys;
  std::mt19937 random(7);
  std::uniform_real_distribution<double> axis(-1, 1), angle(-179, 179);
  for (int k = 0; k < 60; ++k) Put(keys, k * 10.0, angle(random), axis(random), axis(random), axis(random));
  // Through gimbal lock: about Y from -120 to 120 degrees, and about a tilted axis by a half turn.
  Put(keys, 600, -120, 0, 1, 0);
  Put(keys, 610, 120, 0, 1, 0);
  Put(keys, 620, 179.9, 1, 1, 0);
  Put(keys, 630, 90, 0, 1, 0);
  std::vector<EulerKey> euler;
  ASSERT_TRUE(EulerKeysFromRotation(keys, 1 << 20, euler));
  EXPECT_GT(euler.size(), keys.times.size());  // resampled
  EXPECT_EQ(euler.front().time, 0);
  EXPECT_EQ(euler.back().time, 630);
  EXPECT_LE(WorstGap(keys, euler, 997), kRotationToleranceDegrees);
}

TEST(RotationKeys, SmallStepsAcrossHalfATurnAreUnwrappedWithoutJumps) {
  Keys keys;
  for (int k = 0; k <= 80; ++k) Put(keys, k, 150 + 3 * k, 0, 0, 1);  // about Z from 150 to 390 degrees
  std::vector<EulerKey> euler;
  ASSERT_TRUE(EulerKeysFromRotation(keys, 1 << 20, euler));
  EXPECT_EQ(euler.size(), keys.times.size());  // steps this small need no keys between
  for (size_t k = 1; k < euler.size(); ++k) {
    const Vector3f d = euler[k].degrees - euler[k - 1].degrees;
    EXPECT_LT(std::max({std::fabs(d.x), std::fabs(d.y), std::fabs(d.z)}), 10.0f) << "key " << k;
  }
  EXPECT_LE(WorstGap(keys, euler, 50), kRotationToleranceDegrees);
}

TEST(RotationKeys, UnusableKeysAreDroppedAndTheRestSorted) {
  Keys keys;
  Put(keys, 5, 90, 0, 0, 1);
  Put(keys, 1, 0, 0, 0, 1);
  Put(keys, NAN, 10, 0, 0, 1);
  Put(keys, 3, 45, 0, 0, 1);
  keys.values[4 * 3 + 1] = INFINITY;  // the key at 3
  keys.values.push_back(1);           // a stray float past the last whole key
  std::vector<EulerKey> euler;
  ASSERT_TRUE(EulerKeysFromRotation(keys, 1 << 20, euler));
  ASSERT_GE(euler.size(), 2u);
  EXPECT_EQ(euler.front().time, 1);
  EXPECT_EQ(euler.back().time, 5);
  EXPECT_NEAR(euler.back().degrees.z, 90, 1e-3);
  // A key budget smaller than the turns need is reported, and the file's keys are all still there.
  Keys wide;
  Put(wide, 0, 0, 1, 1, 1);
  Put(wide, 1, 179, 1, -1, 0.3);
  EXPECT_FALSE(EulerKeysFromRotation(wide, 3, euler));
  EXPECT_EQ(euler.back().time, 1);
}

TEST(RotationKeys, ACorpusFilesChannelsStayWithinTheBound) {
  const std::string file = "/usr/share/assimp/models/glTF2/simple_skin/simple_skin.gltf";
  if (!std::filesystem::exists(PM_BINARY_DIR "/pm-import-reader") || !std::filesystem::exists(file))
    GTEST_SKIP() << "the reader is not built, or assimp-testmodels is not installed";
  setenv(kReaderOverride, PM_BINARY_DIR "/pm-import-reader", 1);
  Scene scene;
  std::string error;
  const bool read = ReadModelFile(file, ReaderLimits{}, scene, error);
  unsetenv(kReaderOverride);
  ASSERT_TRUE(read) << error;
  ASSERT_FALSE(scene.animations.empty());
  size_t channels = 0;
  double turn = 0;  // the largest turn between two keys
  for (const Animation& a : scene.animations)
    for (const Channel& c : a.channels) {
      if (c.rotation.times.size() < 2) continue;
      std::vector<EulerKey> euler;
      ASSERT_TRUE(EulerKeysFromRotation(c.rotation, 1 << 20, euler));
      EXPECT_LE(WorstGap(c.rotation, euler, 211), kRotationToleranceDegrees) << "channel of node " << c.node;
      for (size_t k = 1; k < c.rotation.times.size(); ++k) {
        const float* a = &c.rotation.values[k * 4 - 4];
        const float* b = a + 4;
        const double dot =
            std::fabs(double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2] + double(a[3]) * b[3]);
        turn = std::max(turn, 2 * std::acos(std::min(dot, 1.0)) * 180 / M_PI);
      }
      ++channels;
    }
  EXPECT_GT(channels, 0u);
  EXPECT_GT(turn, 40) << "the file's turns are too small to test the resampling";
}

class ClipBuilderTest : public EngineWorldTest {
 protected:
  static Import::Node Node(const char* name, int32_t parent) {
    Import::Node n;
    n.name = name;
    n.parent = parent;
    return n;
  }
  static STransform_I* Settings(ScriptObject* root, int child) {
    auto* b = static_cast<TBranch_I*>(root);
    return static_cast<STransform_I*>(static_cast<TNode_I*>(child < 0 ? root : b->m_children[child].Get())->GetSNode());
  }
};

TEST_F(ClipBuilderTest, EachAnimationIsAClipOfTheSchedulerInSecondsAtTheFilesTickRate) {
  Scene s;
  s.nodes = {Node("root", -1), Node("arm", 0)};
  Animation& walk = s.animations.emplace_back();
  walk.name = "walk";  // no tick rate: 25 ticks a second
  walk.duration = 50;
  Channel& c = walk.channels.emplace_back();
  c.node = 1;
  c.translation.times = {0, 50};
  c.translation.values = {0, 0, 0, 4, 8, -2};
  Put(c.rotation, 0, 0, 0, 0, 1);
  Put(c.rotation, 50, 90, 0, 0, 1);
  Channel& twice = walk.channels.emplace_back();  // a second channel on the node: the first moves it
  twice.node = 1;
  twice.translation.times = {0};
  twice.translation.values = {100, 100, 100};
  Animation& wave = s.animations.emplace_back();
  wave.name = "walk";  // a name taken: the clip gets the next free one
  wave.ticksPerSecond = 1000;
  wave.duration = 10;  // shorter than its keys: the clip runs to the last key
  Channel& w = wave.channels.emplace_back();
  w.node = 0;
  w.scaling.times = {0, 2000};
  w.scaling.values = {1, 1, 1, 3, 3, 3};

  std::string error;
  Obj<ScriptObject> taken;
  const Obj<ScriptObject> up = Import::BuildModel(s, "walk.fbx", error, &taken);
  ASSERT_FALSE(up.IsNil()) << error;
  const Obj<ScriptObject> root(static_cast<TBranch_I*>(up.Get())->m_children[0].Get());  // under the up turn
  EXPECT_EQ(TakeLog(), "");                                                              // nothing is left out
  auto* scheduler = As<AnimationScheduler_I>(taken.Get());
  ASSERT_NE(scheduler, nullptr);
  ASSERT_EQ(scheduler->m_animationClip.Count(), 2);
  AnimationClip_I* first = scheduler->m_animationClip[0];
  AnimationClip_I* second = scheduler->m_animationClip[1];
  EXPECT_STREQ(first->m_name.CStr(), "walk");
  EXPECT_STREQ(second->m_name.CStr(), "walk_2");
  // The file's name kept for the viewer's --clip and --list.
  EXPECT_STREQ(second->m_animationLibrary->m_name.CStr(), "walk");
  EXPECT_TRUE(first->m_enabled);
  EXPECT_FALSE(second->m_enabled);
  EXPECT_DOUBLE_EQ(first->GetDuration(), 2.0);
  EXPECT_DOUBLE_EQ(second->GetDuration(), 2.0);
  EXPECT_EQ(first->m_animationLibrary->GetCurveCount(), 2);  // translation and rotation of the first channel
  EXPECT_EQ(scheduler->m_connectionGroup->m_connections.Count(), 3);

  scheduler->Update(1.0);  // halfway
  STransform_I* arm = Settings(root, 0);
  EXPECT_NEAR(arm->m_translation.x, 2, 1e-5);
  EXPECT_NEAR(arm->m_translation.y, 4, 1e-5);
  EXPECT_NEAR(arm->m_translation.z, -1, 1e-5);
  EXPECT_NEAR(arm->m_rotation.z, 45, 1e-3);
  EXPECT_EQ(Settings(root, -1)->m_scaling.x, 1);  // the disabled clip moves nothing
  first->m_enabled = false;
  second->m_enabled = true;
  scheduler->Update(1.5);
  EXPECT_NEAR(Settings(root, -1)->m_scaling.y, 2.5, 1e-5);
  scheduler->Update(60);  // past the end: the last keys hold
  EXPECT_NEAR(Settings(root, -1)->m_scaling.z, 3, 1e-5);
}

// A morph channel's keys drive the Weight of its node's blend controls, each target from the keys that
// set it: linear between them, held outside, unsorted keys sorted and keys whose weight is not a number
// left out; a target no key sets keeps its default, and a mesh shared by a second animated node is driven
// by the first channel alone.
TEST_F(ClipBuilderTest, MorphKeysDriveTheBlendControlsWeights) {
  Scene s;
  s.nodes = {Node("root", -1), Node("face", 0), Node("mirror", 0)};
  s.nodes[1].meshes = {0};
  s.nodes[2].meshes = {0};
  Mesh& m = s.meshes.emplace_back();
  m.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  m.indices = {0, 1, 2};
  for (int t = 0; t < 3; ++t) {
    MorphTarget& target = m.targets.emplace_back();
    target.weight = 0.25f;
    target.positionDeltas = std::vector<float>(9, 1);
  }
  s.materials.resize(1);
  Animation& a = s.animations.emplace_back();
  a.ticksPerSecond = 10;
  MorphChannel& c = a.morphChannels.emplace_back();
  c.node = 1;
  c.times = {20, 0, 10, 40};  // in ticks, out of order
  c.counts = {2, 1, 1, 1};
  c.targets = {0, 1, /*0 s*/ 0, /*1 s*/ 1, /*4 s*/ 0};
  c.weights = {1, 0.5f, /*0 s*/ 0, /*1 s*/ std::nanf(""), /*4 s*/ 0};
  MorphChannel& other = a.morphChannels.emplace_back();
  other.node = 2;
  other.times = {0};
  other.counts = {1};
  other.targets = {2};
  other.weights = {1};

  std::string error;
  Obj<ScriptObject> taken;
  const Obj<ScriptObject> up = Import::BuildModel(s, "face.glb", error, &taken);
  ASSERT_FALSE(up.IsNil()) << error;
  const Obj<ScriptObject> root(static_cast<TBranch_I*>(up.Get())->m_children[0].Get());  // under the up turn
  EXPECT_EQ(TakeLog(),
            "Warn  Import(\"face.glb\"): 1 morph weight is not a number; a target's default counts as 0 and a "
            "key's is left out.\n");
  auto* scheduler = As<AnimationScheduler_I>(taken.Get());
  ASSERT_NE(scheduler, nullptr);
  AnimationClip_I* clip = scheduler->m_animationClip[0];
  EXPECT_DOUBLE_EQ(clip->GetDuration(), 4.0);
  EXPECT_EQ(clip->m_animationLibrary->GetCurveCount(), 2);  // targets 0 and 1 of the first channel
  auto* g = static_cast<TNode_I*>(
      static_cast<TBranch_I*>(static_cast<TBranch_I*>(root.Get())->m_children[0].Get())->m_children[0].Get());
  auto* skin = static_cast<SSkinPolygonGeometry_I*>(g->GetSNode());
  auto weight = [&](int k) { return static_cast<BlendControl_I*>(skin->m_blendControls[k].Get())->m_weight; };
  const struct {
    double seconds;
    float w0, w1;
  } expected[] = {{0, 0, 0.5f}, {1, 0.5f, 0.5f}, {1.5f, 0.75f, 0.5f}, {3, 0.5f, 0.5f}, {50, 0, 0.5f}};
  for (const auto& e : expected) {
    scheduler->Update(e.seconds);
    EXPECT_NEAR(weight(0), e.w0, 1e-6f) << e.seconds << " s";
    EXPECT_NEAR(weight(1), e.w1, 1e-6f) << e.seconds << " s";
    EXPECT_EQ(weight(2), 0.25f) << e.seconds << " s";
  }
}

TEST_F(ClipBuilderTest, AStillSceneHasNoSchedulerAndAChannelOutsideTheNodesIsRefused) {
  Scene s;
  s.nodes = {Node("root", -1)};
  std::string error;
  Obj<ScriptObject> taken;
  EXPECT_FALSE(Import::BuildModel(s, "still.obj", error, &taken).IsNil());
  EXPECT_TRUE(taken.IsNil());
  s.animations.emplace_back().channels.emplace_back().node = 1;
  EXPECT_TRUE(Import::BuildModel(s, "bad.fbx", error, &taken).IsNil());
  EXPECT_EQ(error, "animation 0 names node 1");
  EXPECT_TRUE(taken.IsNil());
}

}  // namespace
}  // namespace PM::Test
