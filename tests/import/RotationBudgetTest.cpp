// The rotation resampling's budget: a small glTF whose 1,000 channels share one sampler of 1,000 random
// rotations (a few seconds and gigabytes of keys with no budget) comes in with a few keys for each of the
// file's, the tolerance loosened with one Warn; keys that fit keep the bound; budgets met key by key.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "ImportTestSupport.h"
#include "RotationTurns.h"
#include "anim/AnimationClip.h"
#include "anim/AnimationLibrary.h"
#include "anim/AnimationScheduler.h"
#include "anim/SplineVector3f.h"
#include "import/ImportScene.h"
#include "import/RotationKeys.h"
#include "support/LogCapture.h"

namespace PM::Test {
namespace {

using namespace PM::Import;

TEST(ImportRotationBudget, KeysThatFitKeepTheBoundAndTheRestStayWithinTheBudget) {
  std::vector<EulerKey> euler;
  // A steady turn fits its budget at the bound, with the keys EulerKeysFromRotation makes unbounded.
  const Keys steady = RotationTurns(200, false);
  const RotationResampling fits = EulerKeysWithinBudget(steady, 4 * 200, euler);
  EXPECT_EQ(fits.toleranceDegrees, kRotationToleranceDegrees);
  EXPECT_TRUE(fits.complete);
  std::vector<EulerKey> unbounded;
  ASSERT_TRUE(EulerKeysFromRotation(steady, size_t(1) << 20, unbounded));
  ASSERT_EQ(euler.size(), unbounded.size());
  for (size_t i = 0; i < euler.size(); ++i) EXPECT_EQ(euler[i].degrees, unbounded[i].degrees) << i;
  // Random turns: at most the budget, every file key still there, the tolerance loosened fourfold steps.
  const Keys random = RotationTurns(1000, true);
  for (const size_t budget : {size_t(1000), size_t(1001), size_t(4000), size_t(4256)}) {
    const RotationResampling r = EulerKeysWithinBudget(random, budget, euler);
    EXPECT_LE(euler.size(), budget);
    EXPECT_GE(euler.size(), 1000u);
    EXPECT_GT(r.toleranceDegrees, kRotationToleranceDegrees);
    const double steps = std::log(r.toleranceDegrees / kRotationToleranceDegrees) / std::log(kLooseningStep);
    EXPECT_TRUE(r.toleranceDegrees == 180 || std::fabs(steps - std::round(steps)) < 1e-9) << r.toleranceDegrees;
    size_t at = 0;
    for (const EulerKey& e : euler) at += at < 1000 && e.time == double(at);
    EXPECT_EQ(at, 1000u) << "budget " << budget;
  }
  // A budget below the keys given is the keys given; one key, or none, is what it is.
  EulerKeysWithinBudget(random, 10, euler);
  EXPECT_EQ(euler.size(), 1000u);
  EXPECT_EQ(EulerKeysWithinBudget(RotationTurns(1, true), 0, euler).toleranceDegrees, kRotationToleranceDegrees);
  EXPECT_EQ(euler.size(), 1u);
  EulerKeysWithinBudget(Keys{}, 0, euler);
  EXPECT_TRUE(euler.empty());
}

class ImportRotationBudgetFile : public ImportModuleFixture<::testing::Test> {
 protected:
  void SetUp() override { StartFor(kModels + "OBJ/box.obj"); }
};

// The file as the fault met it: 1,000 nodes, and 1,000 channels turning them by one sampler of 1,000
// random rotations, its data in a .bin beside it.
std::string WriteSharedSamplerGltf(const TempDir& dir) {
  constexpr int kNodes = 1000, kKeys = 1000;
  const Keys keys = RotationTurns(kKeys, true);
  std::string bin(size_t(kKeys) * 20, '\0');
  for (int i = 0; i < kKeys; ++i) {
    const float t = float(i) / 30, *q = &keys.values[size_t(i) * 4];
    const float xyzw[4] = {q[1], q[2], q[3], q[0]};
    std::memcpy(&bin[size_t(i) * 4], &t, 4);
    std::memcpy(&bin[size_t(kKeys) * 4 + size_t(i) * 16], xyzw, 16);
  }
  WriteFile(dir.File("turns.bin"), bin);
  std::string nodes = "{\"name\":\"root\",\"children\":[", channels;
  for (int i = 1; i <= kNodes; ++i) nodes.append(i > 1 ? "," : "").append(std::to_string(i));
  nodes += "]}";
  for (int i = 1; i <= kNodes; ++i) {
    nodes += ",{\"name\":\"n" + std::to_string(i) + "\"}";
    channels += std::string(i > 1 ? "," : "") + "{\"sampler\":0,\"target\":{\"node\":" + std::to_string(i) +
                ",\"path\":\"rotation\"}}";
  }
  const std::string file = dir.File("turns.gltf");
  WriteFile(file,
            R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[)" + nodes +
                R"(],"buffers":[{"uri":"turns.bin","byteLength":)" + std::to_string(bin.size()) +
                R"(}],"bufferViews":[{"buffer":0,"byteLength":)" + std::to_string(kKeys * 4) +
                R"(},{"buffer":0,"byteOffset":)" + std::to_string(kKeys * 4) + R"(,"byteLength":)" +
                std::to_string(kKeys * 16) + R"(}],"accessors":[{"bufferView":0,"componentType":5126,"count":)" +
                std::to_string(kKeys) + R"(,"type":"SCALAR","min":[0],"max":[)" + std::to_string((kKeys - 1) / 30.0) +
                R"(]},{"bufferView":1,"componentType":5126,"count":)" + std::to_string(kKeys) +
                R"(,"type":"VEC4"}],"animations":[{"name":"shake","samplers":[{"input":0,"output":1}],"channels":[)" +
                channels + "]}]}");
  return file;
}

TEST_F(ImportRotationBudgetFile, AThousandChannelsOfRandomTurnsStayWithinTheBudget) {
  const std::string file = WriteSharedSamplerGltf(m_dir);
  LogCapture log;
  const ImportedModel model = ImportThroughModule(file);
  auto* scheduler = As<AnimationScheduler_I>(model.scheduler.Get());
  ASSERT_NE(scheduler, nullptr) << log.Text();
  ASSERT_EQ(scheduler->m_animationClip.Count(), 1);
  AnimationLibrary_I* library = scheduler->m_animationClip[0]->m_animationLibrary;
  // Each node's translation, rotation and scaling (Assimp gives the two it lacks one key each).
  ASSERT_EQ(library->GetCurveCount(), 3000);
  size_t made = 0;
  for (int32_t c = 1; c < library->GetCurveCount(); c += 3) {
    auto* curve = As<SplineVector3f_I>(library->GetCurve(c));
    ASSERT_NE(curve, nullptr);
    const size_t n = size_t(curve->GetKeyTimeCount(0));
    EXPECT_GE(n, 1000u);
    EXPECT_LE(n, kRotationKeysPerKey * 1000 + kRotationKeysSpare);
    made += n;
  }
  EXPECT_LE(made, 1000 * (kRotationKeysPerKey * 1000 + kRotationKeysSpare));
  // One Warn for the clip, naming the tolerance its rotations keep (beside the one that the file, nodes and
  // a clip, has no mesh to draw).
  EXPECT_EQ(log.Count("Warn "), 2) << log.Text();
  EXPECT_EQ(log.Count("no mesh: 1 clips and 1001 nodes, nothing to draw"), 1) << log.Text();
  EXPECT_EQ(log.Count("Import(\"" + file +
                      "\"): animation \"shake\" would take more than 4 rotation keys for each of the file's to "
                      "follow within 0.1 degree; its rotations "),
            1)
      << log.Text();
}

}  // namespace
}  // namespace PM::Test
