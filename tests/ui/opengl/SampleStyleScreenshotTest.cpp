// Scenes of the sample style (examples/ui) drawn by the OpenGL engine with no pointer, compared with the
// reference images: frames and buttons, the last widget kinds, the every-widget sample, texts and a sizer,
// scroll bars, sliders, a scrolled list, a tool bar and a combo box. PM_UPDATE_REFERENCES=1 writes the
// references instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/StartUp.h"
#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "engine/Image.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "SampleStyleScene.h"
#include "support/ImageCompare.h"
#include "support/TestEnv.h"

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
  // `shotFrame` and compares that one with <name>.png.
  void Check(const std::string& name, std::string script = "", int shotFrame = 1);
  void TearDown() override {
    if (m_engine.IsNil()) return;
    m_engine.Clear();
    DLLDeInitialize(0);
  }
  ScriptObject* Find(const char* name) { return m_engine->GetNamespace()->FindObject(String(name)); }

  TempDir m_dir;
  Obj<ScriptEngine> m_engine;
};

void SampleStyleScreenshotTest::Check(const std::string& name, std::string script, int shotFrame) {
  if (script.empty()) script = std::string(PM_UI_DATA_DIR) + "/" + name + ".bs";
  const std::string text = SampleStyleScene(m_dir) + ReadFile(script);
  Parser::ParseText(m_engine, String(text.c_str()), String((name + ".bs").c_str()), kParseCountLines);
  auto* pipe = static_cast<RenderPipe_I*>(Find("Pipe"));
  ASSERT_NE(pipe, nullptr);
  ASSERT_EQ(pipe->ApplyFormat(), 0);
  Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
  traverse->SetRenderPipe(pipe);
  traverse->SetChannel(0, Find("Channel0"));
  for (int frame = 0; frame <= shotFrame; ++frame) {
    if (frame == shotFrame) pipe->RequestScreenShot(false, false);
    traverse->Draw(frame / 60.0, 1.0 / 60, 0);
    traverse->Present(0);
  }
  Obj<Image_I> shot(pipe->GetScreenShotImage());
  ASSERT_FALSE(shot.IsNil());
  ASSERT_EQ(shot->GetWidth(), 320);
  ASSERT_EQ(shot->GetHeight(), 240);
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

// The sample dialog of examples/ui holding a widget of each kind that draws.
TEST_F(SampleStyleScreenshotTest, EveryWidgetSampleMatchesItsReference) {
  Check("every_widget", std::string(PM_UI_DATA_DIR) + "/../../../examples/ui/every_widget.bs");
}

// A button grid with a spacer, a shadowed title, a justified paragraph, centred lines, every markup tag and
// a field with a selection, on the third frame: laid out and drawn again from their caches.
TEST_F(SampleStyleScreenshotTest, TextsMatchTheirReference) { Check("text_layout", "", 2); }

// A list scrolled halfway, scroll bars and sliders both ways, a tool bar and a combo box.
TEST_F(SampleStyleScreenshotTest, BarsSlidersAndListMatchTheirReference) { Check("scroll_bars", "", 0); }

}  // namespace
}  // namespace PM::Test
