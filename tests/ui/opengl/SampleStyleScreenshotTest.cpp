// Scenes of the sample style (examples/ui) drawn by the OpenGL engine with no pointer, compared with the
// reference images: frames and buttons, the last widget kinds, the every-widget sample, texts and a sizer,
// scroll bars, sliders, a scrolled list, a tool bar and a combo box, open menus. PM_UPDATE_REFERENCES=1 writes the
// references instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "SampleStyleScene.h"
#include "core/StartUp.h"
#include "engine/Image.h"
#include "render/RenderChannel.h"
#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "support/ImageCompare.h"
#include "support/TestEnv.h"
#include "ui/WChannel.h"

namespace PM::Test {
namespace {

class SampleStyleScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
  }
  // Parses the sample-style scene and `script` (default tests/ui/data/<name>.bs), draws frames up to
  // `shotFrame` with the channels "Channel0", "Channel1", ... (`beforeFrame` runs before each) and
  // compares that one with <name>.png.
  void Check(const std::string& name, std::string script = "", int shotFrame = 1,
             const std::function<void()>& beforeFrame = {});
  void TearDown() override {
    if (m_engine.IsNil()) return;
    m_engine.Clear();
    DLLDeInitialize(0);
  }
  ScriptObject* Find(const char* name) { return m_engine->GetNamespace()->FindObject(String(name)); }

  TempDir m_dir;
  Obj<ScriptEngine> m_engine;
};

void SampleStyleScreenshotTest::Check(const std::string& name, std::string script, int shotFrame,
                                      const std::function<void()>& beforeFrame) {
  if (script.empty()) script = std::string(PM_UI_DATA_DIR) + "/" + name + ".bs";
  const std::string text = SampleStyleScene(m_dir) + ReadFile(script);
  Parser::ParseText(m_engine, String(text.c_str()), String((name + ".bs").c_str()), kParseCountLines);
  auto* pipe = static_cast<RenderPipe_I*>(Find("Pipe"));
  ASSERT_NE(pipe, nullptr);
  ASSERT_EQ(pipe->ApplyFormat(), 0);
  Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
  traverse->SetRenderPipe(pipe);
  for (int32_t i = 0; i < 8; ++i) {
    ScriptObject* channel = Find(("Channel" + std::to_string(i)).c_str());
    if (!channel || !channel->IsA(RenderChannel_I::kClassId)) break;
    traverse->SetChannel(i, channel);
  }
  for (int frame = 0; frame <= shotFrame; ++frame) {
    if (beforeFrame) beforeFrame();
    if (frame == shotFrame) pipe->RequestScreenShot(false, false);
    traverse->Draw(frame / 60.0, 1.0 / 60, 0);
    traverse->Present(0);
  }
  Obj<Image_I> shot(pipe->GetScreenShotImage());
  ASSERT_FALSE(shot.IsNil());
  const Vector2f size = pipe->GetResolution();
  ASSERT_EQ(shot->GetWidth(), int(size.x));
  ASSERT_EQ(shot->GetHeight(), int(size.y));
  ExpectMatchesReference(shot.Get(), std::string(PM_UI_REFERENCE_DIR) + "/" + name);
}

// The scene pm-run photographs too (tests/render/screenshot_check.py), against the same reference. The
// picture is the second frame: by then the tile frame's title has its height from the first layout, and a
// clipped label is drawn again from its cache.
TEST_F(SampleStyleScreenshotTest, FramesAndButtonsMatchTheirReference) {
  Check("frames_buttons", std::string(PM_UI_DATA_DIR) + "/../../scripts/ui/frames_buttons.bs");
}

// Progress 0.5 fills the first half of its bar and -0.25 the last quarter; image tile 3 shows that tile,
// tile 99 the whole texture; a label with no colour and no element draws white glyphs.
TEST_F(SampleStyleScreenshotTest, LastWidgetsMatchTheirReference) { Check("last_widgets"); }

// The sample dialog of examples/ui holding a widget of every kind, on the frame pm-run photographs with
// --frames 3. As a host does, each frame gives the second channel the channel widget's last Viewport; the
// cube it draws must land in the widget's place, where the script's own Viewport already puts it.
TEST_F(SampleStyleScreenshotTest, EveryWidgetSampleMatchesItsReference) {
  Vector4f scripted{0, 0, 0, 0};
  auto copyViewport = [&] {
    auto* widget = static_cast<WChannel_I*>(Find("view"));
    auto* channel = static_cast<RenderChannel_I*>(Find("Channel1"));
    ASSERT_TRUE(widget && widget->IsA(WChannel_I::kClassId) && channel && channel->IsA(RenderChannel_I::kClassId));
    if (scripted.y == 0)
      scripted = channel->GetViewport();
    else
      channel->SetViewport(widget->m_viewport);
  };
  Check("every_widget", std::string(PM_UI_DATA_DIR) + "/../../../examples/ui/every_widget.bs", 2, copyViewport);
  auto* widget = static_cast<WChannel_I*>(Find("view"));
  for (int i = 0; i < 4; ++i) EXPECT_NEAR((&scripted.x)[i], (&widget->m_viewport.x)[i], 1e-6) << i;
}

// A button grid with a spacer, a shadowed title, a justified paragraph, centred lines, every markup tag and
// a field with a selection, on the third frame: laid out and drawn again from their caches.
TEST_F(SampleStyleScreenshotTest, TextsMatchTheirReference) { Check("text_layout", "", 2); }

// A half-wide font spaced, aligned and wrapped by its glyph width, a MaxLength of three glyphs, and a line
// break after an overlong word that makes two lines, not three.
TEST_F(SampleStyleScreenshotTest, TextMeasuresMatchTheirReference) { Check("text_measures"); }

// A list scrolled halfway, scroll bars and sliders both ways, a tool bar and a combo box.
TEST_F(SampleStyleScreenshotTest, BarsSlidersAndListMatchTheirReference) { Check("scroll_bars", "", 0); }

// The scene pm-run photographs on its third frame (tests/render/screenshot_check.py): an open menu with an
// open nested popup, a list scrolled halfway, bars and sliders both ways, a tool bar and a combo box whose
// popup opens above it.
TEST_F(SampleStyleScreenshotTest, ScrollingAndMenusMatchTheirReference) {
  Check("scroll_menus", std::string(PM_UI_DATA_DIR) + "/../../scripts/ui/scroll_menus.bs", 2);
}

}  // namespace
}  // namespace PM::Test
