// Scroll frames, scroll bars, sliders, a tool bar and a combo box of the sample style (examples/ui)
// drawn by the OpenGL engine with no pointer, compared with the reference image. PM_UPDATE_REFERENCES=1
// writes the reference instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/Module.h"
#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "render/engine/Image.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

const std::string kExamples = std::string(PM_UI_DATA_DIR) + "/../../../examples/ui";

constexpr const char* kScene =
    "RenderPipe:Pipe . { .Resolution (320, 240); .ColorBits 24; .DepthBits 24; .StencilBits 8; .SwapInterval 0; "
    ".EnableTextureThread 0; };\n"
    "TTransform:root . { };\n"
    "SCamera:lens . { .FieldOfView 45.0; };\n"
    "TCamera:camera . { .SNode SCamera:lens; .Parent TTransform:root; };\n"
    "TWindow:ui . { .VirtualResolution (320, 240, 0); .Parent TTransform:root; };\n"
    "RenderChannel:Channel0 . { .SceneRoot TTransform:root; .Camera TCamera:camera; };\n";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ScrollBarScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    // The loader writes its cache beside the image: draw from a copy.
    std::filesystem::copy_file(kExamples + "/skin.png", m_dir.File("skin.png"));
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
    const std::string text = std::string(kScene) + "FileObject:skinFile . { .FileName 'absolute://" +
                             m_dir.File("skin") + "'; };\n" + ReadFile(kExamples + "/style.bs") +
                             ReadFile(std::string(PM_UI_DATA_DIR) + "/scroll_bars.bs");
    Parser::ParseText(m_engine, String(text.c_str()), String("scroll_bars.bs"), kParseCountLines);
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

TEST_F(ScrollBarScreenshotTest, BarsSlidersAndListMatchTheirReference) {
  auto* pipe = static_cast<RenderPipe_I*>(Find("Pipe"));
  ASSERT_NE(pipe, nullptr);
  ASSERT_EQ(pipe->ApplyFormat(), 0);
  Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
  traverse->SetRenderPipe(pipe);
  traverse->SetChannel(0, Find("Channel0"));
  for (int frame = 0; frame < 2; ++frame) {
    if (frame == 0) pipe->RequestScreenShot(false, false);
    traverse->Draw(frame / 60.0, 1.0 / 60, 0);
    traverse->Present(0);
  }
  Obj<Image_I> shot(pipe->GetScreenShotImage());
  ASSERT_FALSE(shot.IsNil());
  ASSERT_EQ(shot->GetWidth(), 320);
  ASSERT_EQ(shot->GetHeight(), 240);
  const std::string reference = std::string(PM_UI_REFERENCE_DIR) + "/scroll_bars";  // .png
  if (std::getenv("PM_UPDATE_REFERENCES")) {
    ASSERT_EQ(shot->ExportFile(String((reference + ".png").c_str())), 0);
    return;
  }
  Obj<Image_I> expected(Image_I::New());
  ASSERT_EQ(expected->ImportFile(String(reference.c_str())), 0) << reference;
  int beyond = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      R8G8B8A8 a, b;
      shot->GetPixel(a, x, y);
      expected->GetPixel(b, x, y);
      beyond += std::abs(a.R - b.R) > 3 || std::abs(a.G - b.G) > 3 || std::abs(a.B - b.B) > 3;
    }
  EXPECT_LE(beyond, int(0.002 * 320 * 240)) << "pixels beyond the tolerance";
}

}  // namespace
}  // namespace PM::Test
