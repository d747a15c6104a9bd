// The channel-effect node: its settings and the read path recorded when it was made go to the
// engine's ChannelFX in every drawing pass, and a pass that draws no geometry calls nothing.
#include <gtest/gtest.h>

#include "GeometryWorld.h"
#include "geometry/ChannelFX.h"
#include "storage/Storage.h"
#include "support/RecordingRenderEngine.h"

namespace PM::Test {
namespace {

class ChannelFX : public GeometryWorld {
 protected:
  void TearDown() override {
    Storage::SetReadPath(String());
    GeometryWorld::TearDown();
  }
};

TEST_F(ChannelFX, DrawingHandsTheSettingsAndTheReadPathOfItsMakingToTheEngine) {
  Storage::SetReadPath(String("effects/set"));
  Obj<TChannelFX_I> t = New<TChannelFX_I>();
  Storage::SetReadPath(String("elsewhere"));
  ScriptObject* s = t->GetSNode();
  MemberSet<VBool>(s, 0x01FFF0FC, true);  // EnableBloom
  MemberSet<VBool>(s, 0x03FFF0FC, true);  // EnableColorFilter
  MemberSet<VI32>(s, 0x04FFF0FC, 7);      // BloomBlurCount
  MemberSet<VF32>(s, 0x05FFF0FC, 0.5f);   // FocusDistance
  MemberSet<VI32>(s, 0x06FFF0FC, -3);     // ColorFilterMode

  RecordingRenderEngine engine;
  engine.passMode = 0;
  EXPECT_EQ(t->DrawFromSNode(&engine, 5), 0);
  EXPECT_TRUE(engine.channelFX.empty());
  EXPECT_EQ(t->GetUpdateStamp(), -1);

  for (int32_t mode : {1, 2}) {
    engine.passMode = mode;
    engine.channelFX.clear();
    EXPECT_EQ(t->DrawFromSNode(&engine, 5 + mode), 1);
    EXPECT_EQ(t->GetUpdateStamp(), 5 + mode);
    ASSERT_EQ(engine.channelFX.size(), 1u);
    const RecordedChannelFX& c = engine.channelFX[0];
    EXPECT_EQ(c.path, "effects/set/");
    EXPECT_TRUE(c.info.EnableBloom);
    EXPECT_FALSE(c.info.EnableDOF);
    EXPECT_TRUE(c.info.EnableColorFilter);
    EXPECT_EQ(c.info.BloomBlurCount, 7);
    EXPECT_EQ(c.info.FocusDistance, 0.5f);
    EXPECT_EQ(c.info.ColorFilterMode, -3);
  }
  EXPECT_TRUE(engine.draws.empty());
  EXPECT_EQ(TakeLog(), "");
}

}  // namespace
}  // namespace PM::Test
