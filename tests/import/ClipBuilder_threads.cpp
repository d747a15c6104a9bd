// Rotation channels resampled on several threads: each clip's rotation curve holds the keys its channel
// alone gives, in the channels' order, however the threads shared them.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "anim/AnimationClip.h"
#include "anim/AnimationLibrary.h"
#include "anim/AnimationScheduler.h"
#include "anim/SplineVector3f.h"
#include "import/ClipBuilder.h"
#include "import/ModelBuilder.h"
#include "import/RotationKeys.h"
#include "scene/EngineWorld.h"
#include "scene/NodeWalk.h"

namespace PM::Test {
namespace {

using namespace PM::Import;

class ClipBuilderThreads : public EngineWorldTest {};

TEST_F(ClipBuilderThreads, EachRotationCurveHoldsItsOwnChannelsKeys) {
  // Two animations over 40 nodes: channels of 1 to 300 keys (some turning far between keys, so that
  // they are resampled; some sharing another's keys, resampled once), a second channel on one node (not
  // resampled), enough keys for every thread.
  Scene s;
  Import::Node root;
  root.name = "root";
  s.nodes.push_back(root);
  for (int n = 1; n <= 40; ++n) {
    Import::Node node;
    node.name = "bone" + std::to_string(n);
    node.parent = 0;
    s.nodes.push_back(node);
  }
  std::mt19937 random(7);
  std::uniform_real_distribution<float> unit(-1, 1);
  for (const char* name : {"walk", "run"}) {
    Animation& a = s.animations.emplace_back();
    a.name = name;
    a.ticksPerSecond = 30;
    for (uint32_t n = 1; n <= 40; ++n) {
      Channel& c = a.channels.emplace_back();
      c.node = n;
      const int keys = 1 + int(random() % 300);
      const float spread = n % 3 == 0 ? 1.0f : 0.05f;
      float q[4] = {1, 0, 0, 0};
      for (int k = 0; k < keys; ++k) {
        c.rotation.times.push_back(k);
        for (float& v : q) v += spread * unit(random);
        c.rotation.values.insert(c.rotation.values.end(), q, q + 4);
      }
      if (n % 7 == 0) c.rotation = a.channels[n - 3].rotation;  // a sampler two channels share
    }
    a.channels.push_back(a.channels[5]);  // the node's first channel moves it
    a.channels.back().rotation.values.assign(a.channels.back().rotation.values.size(), 0.5f);
  }

  std::string error;
  Obj<ScriptObject> taken;
  ASSERT_FALSE(BuildModel(s, "threads.fbx", error, &taken).IsNil()) << error;
  auto* scheduler = As<AnimationScheduler_I>(taken.Get());
  ASSERT_NE(scheduler, nullptr);
  ASSERT_EQ(scheduler->m_animationClip.Count(), 2);
  for (int32_t i = 0; i < 2; ++i) {
    AnimationLibrary_I* library = scheduler->m_animationClip[i]->m_animationLibrary;
    ASSERT_EQ(library->GetCurveCount(), 40);  // one rotation curve a moved node
    for (int32_t n = 0; n < 40; ++n) {
      std::vector<EulerKey> expected;
      const Keys& rotation = s.animations[size_t(i)].channels[size_t(n)].rotation;
      EulerKeysWithinBudget(rotation, kRotationKeysPerKey * rotation.times.size() + kRotationKeysSpare, expected);
      auto* curve = As<SplineVector3f_I>(library->GetCurve(n));
      ASSERT_NE(curve, nullptr);
      ASSERT_EQ(curve->GetKeyTimeCount(0), int32_t(expected.size())) << "animation " << i << " channel " << n;
      for (int32_t k = 0; k < int32_t(expected.size()); ++k) {
        KeyVector3f key;
        curve->GetKey(key, k);
        EXPECT_EQ(key.time, float(expected[size_t(k)].time * (1 / 30.0))) << "animation " << i << " channel " << n;
        EXPECT_EQ(key.value, expected[size_t(k)].degrees) << "animation " << i << " channel " << n;
      }
    }
  }
}

}  // namespace
}  // namespace PM::Test
