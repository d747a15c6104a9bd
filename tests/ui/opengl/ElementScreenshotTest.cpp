// A UI element drawn by the OpenGL engine: atoms cut from a 512 x 512 atlas of flat-colour cells, one with
// offsets, one on a second shader, one transparent, and a clip rectangle cutting one atom in half; compared
// with its reference image. PM_UPDATE_REFERENCES=1 writes the reference instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/StartUp.h"
#include "engine/Image.h"
#include "render/RenderChannel.h"
#include "render/RenderPipe.h"
#include "render/RenderShader.h"
#include "script/lang/Parser.h"
#include "script/object/ScriptEngine.h"
#include "support/ImageCompare.h"
#include "support/TestEnv.h"
#include "ui/UIElement.h"

namespace PM::Test {
namespace {

// Two unlit shaders over the same atlas; the second tints it.
std::string Scene(const std::string& atlas) {
  return "RenderPipe:Pipe . { .Resolution (320, 240); .ColorBits 24; .DepthBits 24; .SwapInterval 0; "
         ".EnableTextureThread 0; };\n"
         "FileObject:atlasFile . { .FileName 'absolute://" +
         atlas +
         "'; };\n"
         "Texture2D:atlas . { .FileObject FileObject:atlasFile; .MipMapEnable False; };\n"
         "ShaderTexture:cells . { .Texture Texture2D:atlas; };\n"
         "ShaderPhong:plain . { .Color ShaderTexture:cells; };\n"
         "RenderShader:first . { .Surface ShaderPhong:plain; .LightEnable False; };\n"
         "RenderShader:second . { .Surface ShaderPhong:plain; .LightEnable False; };\n";
}

class ElementScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run -a)";
    setenv("PM_LOG_DIR", m_dir.Path().c_str(), 1);
    // The loader writes its cache beside the image: draw from a copy.
    std::filesystem::copy_file(PM_UI_DATA_DIR "/atlas.png", m_dir.File("atlas.png"));
    ASSERT_EQ(DLLInitialize(1), 0u);
    m_engine = static_cast<ScriptEngine*>(ScriptEngine::Create());
    Parser::ParseText(m_engine, String(Scene(m_dir.File("atlas")).c_str()), String("scene.bs"), kParseCountLines);
  }
  void TearDown() override {
    if (m_engine.IsNil()) return;
    m_element.Clear();
    m_engine.Clear();
    DLLDeInitialize(0);
  }
  ScriptObject* Find(const char* name) { return m_engine->GetNamespace()->FindObject(String(name)); }

  TempDir m_dir;
  Obj<ScriptEngine> m_engine;
  Obj<UIElement_I> m_element;
};

TEST_F(ElementScreenshotTest, AtomsMatchTheirReference) {
  m_element = static_cast<UIElement_I*>(UIElement_I::Create());
  m_element->m_shaderArray.Append(Obj<RenderShader_I>(static_cast<RenderShader_I*>(Find("first"))));
  m_element->m_shaderArray.Append(Obj<RenderShader_I>(static_cast<RenderShader_I*>(Find("second"))));
  // Atoms: texel rectangle (left, top row, right, bottom row), anchors (x0, y0, x1, y1), offsets, colour,
  // shader.
  auto atom = [](int cell, int ax0, int ay0, int ax1, int ay1, int ox0, int oy0, int ox1, int oy1, int color,
                 int shader) {
    const int cx = cell % 4 * 128, cy = cell / 4 * 128;
    return UIAtomStructure{cx,  cy,  cx + 128, cy + 128, ax0, ay0,   ax1, ay1,    ox0,
                           oy0, ox1, oy1,      0,        0,   color, 0,   shader, 0};
  };
  const UIAtomStructure atoms[] = {
      atom(0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0),        // the first cell over the lower-left block
      atom(5, 1, 0, 2, 1, 10, 10, -10, -10, 0, 0),  // shrunk by offsets
      atom(10, 0, 1, 1, 2, 0, 0, 0, 0, 2, 1),       // on the second shader, tinted
      atom(15, 1, 1, 2, 2, 0, 0, 0, 0, 1, 0),       // transparent: skipped
      atom(3, 2, 0, 3, 2, 0, 0, 0, 0, 0, 1),        // cut in half by the clip rectangle
  };
  for (const UIAtomStructure& a : atoms) m_element->m_atoms.Append(a);
  const float h[] = {20, 110, 200, 300}, v[] = {20, 110, 200};
  const Vector4f colors[] = {{1, 1, 1, 1}, {1, 1, 1, 0}, {0.5f, 1, 0.5f, 1}};

  auto* pipe = static_cast<RenderPipe_I*>(Find("Pipe"));
  ASSERT_EQ(pipe->ApplyFormat(), 0);
  RenderEngine* e = pipe->GetRenderEngine();
  ASSERT_NE(e, nullptr);
  ChannelClearInfo clear;
  e->ClearBuffer(&clear);
  Matrix4f projection = kIdentityMatrix4f;
  projection[0] = 2.0f / 320, projection[5] = 2.0f / 240;
  projection[12] = projection[13] = -1.0f;
  e->SetProjectionMatrix(&projection);
  e->SetModelViewMatrix(&kIdentityMatrix4f);
  e->BeginPass(1);
  const float clip[4] = {0, 250, 0, 240};  // cuts the last atom (200 .. 300) at its middle
  e->SetClipRect(clip, true);
  e->UpdateClipRect();
  m_element->Draw(nullptr, e, 4, h, 3, v, 3, colors);
  e->SetClipRect(clip, false);
  Image_I* shot = e->GetColorBufferImage();
  ASSERT_NE(shot, nullptr);
  ASSERT_EQ(shot->GetWidth(), 320);
  ExpectMatchesReference(shot, std::string(PM_UI_REFERENCE_DIR) + "/element");
}

}  // namespace
}  // namespace PM::Test
