// Frames and buttons of the sample style (examples/ui) drawn by the OpenGL engine with no pointer: a titled tile frame, a dialog, buttons up, latched and disabled, an icon button and a
// clipped long label with shadows, compared with the reference image. PM_UPDATE_REFERENCES=1 writes the
// reference instead.
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
#include "support/ImageCompare.h"
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

class FrameButtonScreenshotTest : public ::testing::Test {
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
                             ReadFile(std::string(PM_UI_DATA_DIR) + "/frames_buttons.bs");
    Parser::ParseText(m_engine, String(text.c_str()), String("frames_buttons.bs"), kParseCountLines);
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

TEST_F(FrameButtonScreenshotTest, SampleStyleMatchesItsReference) {
  auto* pipe = static_cast<RenderPipe_I*>(Find("Pipe"));
  ASSERT_NE(pipe, nullptr);
  ASSERT_EQ(pipe->ApplyFormat(), 0);
  Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
  traverse->SetRenderPipe(pipe);
  traverse->SetChannel(0, Find("Channel0"));
  // The picture is the second frame: by then the tile frame's title has its height from the first
  // layout, and a clipped label is drawn again from its cache.
  for (int frame = 0; frame < 2; ++frame) {
    if (frame == 1) pipe->RequestScreenShot(false, false);
    traverse->Draw(frame / 60.0, 1.0 / 60, 0);
    traverse->Present(0);
  }
  Obj<Image_I> shot(pipe->GetScreenShotImage());
  ASSERT_FALSE(shot.IsNil());
  ASSERT_EQ(shot->GetWidth(), 320);
  ASSERT_EQ(shot->GetHeight(), 240);
  ExpectMatchesReference(shot.Get(), std::string(PM_UI_REFERENCE_DIR) + "/frames_buttons");
}

}  // namespace
}  // namespace PM::Test
