// The lit, fogged scene of the OpenGL screenshots drawn through the Direct3D 8 engine in-process, its
// frame read back through the software device's control and compared with the OpenGL reference by the
// cross-back-end rule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/Log.h"
#include "core/StartUp.h"
#include "engine/Image.h"
#include "platform/ModuleLoader.h"
#include "platform/d3d8/D3D8Control.h"
#include "render/RenderChannel.h"
#include "render/RenderPipe.h"
#include "render/RenderSystemTraverse.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "support/CrossImageCompare.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

// The back buffer of the control's current device as an RGB image (rows bottom first, as images keep them).
Obj<Image_I> BackBufferImage(D3D8Control* control) {
  IDirect3DDevice8* device = control->CurrentDevice();
  IDirect3DSurface8* back = nullptr;
  if (!device || device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back) != D3D_OK) return Obj<Image_I>();
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  std::vector<uint32_t> argb(size_t(desc.Width) * desc.Height);
  const bool read = control->ReadSurface(back, argb.data(), uint32_t(argb.size()));
  back->Release();
  if (!read) return Obj<Image_I>();
  Obj<Image_I> image(Image_I::New());
  image->Create(3, int32_t(desc.Width), int32_t(desc.Height), 0);
  for (uint32_t row = 0; row < desc.Height; ++row)
    for (uint32_t x = 0; x < desc.Width; ++x) {
      const uint32_t p = argb[size_t(row) * desc.Width + x];
      image->SetPixel(int(x), int(desc.Height - 1 - row), R8G8B8A8{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 255});
    }
  return image;
}

class LitSceneAcrossBackEndsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
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

TEST_F(LitSceneAcrossBackEndsTest, LitFoggedSceneMatchesTheOpenGLReference) {
  D3D8Control* control =
      reinterpret_cast<D3D8GetControlFn>(PM::Module::Symbol(PM::Module::Load("d3d8.dll"), "D3D8GetControl"))();
  control->Reset();
  const std::string scene = ReadFile(std::string(PM_SOURCE_DIR) + "/tests/scripts/render/lit_scene.bs");
  ASSERT_FALSE(scene.empty());
  Parser::ParseText(m_engine, String(scene.c_str()), String("lit_scene.bs"), kParseCountLines);
  auto* pipe = static_cast<RenderPipe_I*>(Find("Pipe"));
  ASSERT_TRUE(pipe->IsA(RenderPipe_I::kClassId));
  pipe->m_renderEngineType = String("DirectX8");
  ASSERT_EQ(pipe->ApplyFormat(), 0);
  Obj<Image_I> frame;
  {
    Ptr<RenderSystemTraverse_I> traverse(RenderSystemTraverse_I::Create());
    traverse->SetRenderPipe(pipe);
    traverse->SetChannel(0, Find("Channel0"));
    // Three frames as the OpenGL run draws them; the last is read before it is presented.
    for (int i = 0; i < 3; ++i) {
      traverse->Draw(i / 60.0, 1.0 / 60, 0);
      if (i == 2) frame = BackBufferImage(control);
      traverse->Present(0);
    }
    traverse.Clear();
  }
  pipe->DeInitializeWindow();
  ASSERT_FALSE(frame.IsNil());
  Obj<Image_I> reference(Image_I::New());
  ASSERT_EQ(reference->ImportFile(String((std::string(PM_SOURCE_DIR) + "/tests/render/reference/lit_scene").c_str())),
            0);
  const std::string base = std::string(PM_BINARY_DIR) + "/lit_scene_directx8";
  EXPECT_EQ(CheckAcrossBackEnds(*frame, *reference, base), "");
}

}  // namespace
}  // namespace PM::Test
