// Texts and a sizer of the sample style (examples/ui) drawn by the OpenGL engine: a button grid with a
// spacer, a shadowed title, a justified paragraph, centred lines, every markup tag and a field with a
// selection, compared with the reference image. PM_UPDATE_REFERENCES=1 writes the reference instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/Module.h"
#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "render/engine/Image.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "SampleStyleScene.h"
#include "support/ImageCompare.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

class TextLayoutScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
    const std::string text = SampleStyleScene(m_dir) + ReadFile(std::string(PM_UI_DATA_DIR) + "/text_layout.bs");
    Parser::ParseText(m_engine, String(text.c_str()), String("text_layout.bs"), kParseCountLines);
  }
  void TearDown() override {
    if (m_engine.IsNil()) return;
    m_engine.Clear();
    DLLDeInitialize(0);
  }
  ScriptObject* Find(const char* name) { return m_engine->GetNamespace()->FindObject(String(name)); }

  TempDir m_dir;
  Obj<ScriptEngine> m_engine;
};

TEST_F(TextLayoutScreenshotTest, TextsMatchTheirReference) {
  auto* pipe = static_cast<RenderPipe_I*>(Find("Pipe"));
  ASSERT_NE(pipe, nullptr);
  ASSERT_EQ(pipe->ApplyFormat(), 0);
  Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
  traverse->SetRenderPipe(pipe);
  traverse->SetChannel(0, Find("Channel0"));
  // The third frame: the texts laid out and drawn again from their caches.
  for (int frame = 0; frame < 3; ++frame) {
    if (frame == 2) pipe->RequestScreenShot(false, false);
    traverse->Draw(frame / 60.0, 1.0 / 60, 0);
    traverse->Present(0);
  }
  Obj<Image_I> shot(pipe->GetScreenShotImage());
  ASSERT_FALSE(shot.IsNil());
  ASSERT_EQ(shot->GetWidth(), 320);
  ASSERT_EQ(shot->GetHeight(), 240);
  ExpectMatchesReference(shot.Get(), std::string(PM_UI_REFERENCE_DIR) + "/text_layout");
}

}  // namespace
}  // namespace PM::Test
