// The Direct3D 8 engine's textures on our software device, seen through the device's texture contents,
// the call log and the log texts: size limits, type names, refusals, the load budget, frame bytes, the
// default-colour fallback, video frames, the handle lists and the faults it guards against.
#include <fstream>
#include <string>
#include <vector>

#include "D3D8EngineFixture.h"
#include "classes/EngineClasses.h"
#include "classes/FileObject.h"
#include "render/FontTexture2D.h"
#include "render/Texture2D.h"
#include "render/VideoFrameState.h"
#include "render/d3d8/TextureHandleDirectX8.h"
#include "script/object/ObjectModel.h"
#include "support/TestEnv.h"

namespace PM::Test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class D3D8TextureTest : public D3D8EngineTest {
 protected:
  void SetUp() override {
    D3D8EngineTest::SetUp();
    InitScriptObjectModel();
    RegisterEngineClasses();
    BuildNameHashes();
    textures.EnableTextureThread = 0;
    textures.TextureLoadTimeLimit = -1.0f;
  }
  void TearDown() override {
    m_keep.clear();
    D3D8EngineTest::TearDown();
    UninitScriptObjectModel();
  }
  void Open(int side = 64) {
    OpenWindow(side, side);
    ASSERT_EQ(Initialize(), 0u);
  }
  // A texture of a file under the test's folder; `type` (when given) goes into its description file.
  Texture_I* FileTexture(const std::string& base, const char* type = nullptr) {
    if (type) std::ofstream(m_dir.File(base + ".pmf")) << '"' << type << "\" \"\"\n";
    Obj<ScriptObject> file(ScriptObject::Create(FindClassID("FileObject")));
    static_cast<FileObject_I*>(file.Get())->SetFileName(String(("absolute://" + m_dir.File(base)).c_str()));
    Obj<ScriptObject> t(ScriptObject::Create(FindClassID("Texture2D")));
    static_cast<Texture_I*>(t.Get())->SetFileObject(static_cast<FileObject_I*>(file.Get()));
    m_keep.push_back(t);
    return static_cast<Texture_I*>(t.Get());
  }
  void WriteImage(const std::string& name, int w, int h, int bpp, uint8_t value) {
    Obj<Image_I> image(Image_I::New());
    image->Create(bpp, w, h, 0);
    std::fill(image->GetData(), image->GetData() + image->DataBytes(), value);
    ASSERT_EQ(image->ExportFile(String(m_dir.File(name).c_str())), SOK);
  }
  void Frame() {
    ChannelClearInfo clear;
    engine->ClearBuffer(&clear);
    engine->SwapBuffers(true);
  }
  static TextureHandleDirectX8* Handle(Texture_I* t) { return dynamic_cast<TextureHandleDirectX8*>(t->EngineHandle()); }
  static D3DSURFACE_DESC Level(Texture_I* t, UINT level) {
    D3DSURFACE_DESC desc;
    TextureHandleDirectX8* h = Handle(t);
    if (!h || !h->Texture() || h->Texture()->GetLevelDesc(level, &desc) != D3D_OK) desc.Width = desc.Height = 0;
    return desc;
  }
  // Level `level` of the texture's device texture as A8R8G8B8 words.
  std::vector<uint32_t> Texels(Texture_I* t, UINT level = 0) {
    const D3DSURFACE_DESC desc = Level(t, level);
    std::vector<uint32_t> words(size_t(desc.Width) * desc.Height);
    IDirect3DSurface8* surface = nullptr;
    if (words.empty() || Handle(t)->Texture()->GetSurfaceLevel(level, &surface) != D3D_OK) return {};
    EXPECT_TRUE(control->ReadSurface(surface, words.data(), uint32_t(words.size())));
    surface->Release();
    return words;
  }
  TempDir m_dir;
  std::vector<Obj<ScriptObject>> m_keep;
};

TEST_F(D3D8TextureTest, TypeNamesAskForFormats) {
  const struct {
    const char* name;
    int bytesPerPixel;
    D3DFORMAT format;
  } rows[] = {{"L_4", 3, D3DFMT_L8},
              {"LA_44", 4, D3DFMT_A4L4},
              {"RGB_565", 4, D3DFMT_R5G6B5},
              {"RGB_332", 3, D3DFMT_R3G3B2},
              {"RGBA_5551", 3, D3DFMT_A1R5G5B5},
              {"", 1, D3DFMT_L8},
              {"", 2, D3DFMT_A8L8},
              {"", 3, D3DFMT_R8G8B8},
              {"", 4, D3DFMT_A8R8G8B8}};
  for (const auto& r : rows)
    EXPECT_EQ(RenderEngineDirectX8_D::TextureTypeFormat(String(r.name), r.bytesPerPixel), r.format) << r.name;
  out.Take();
  EXPECT_EQ(RenderEngineDirectX8_D::TextureTypeFormat(String("RGB_DXT1"), 3), D3DFMT_R8G8B8);
  EXPECT_EQ(out.Text(), "Warn  texture type \"RGB_DXT1\" not supported (hardware or software).\n");

  // Through the description file: "L_4" is stored as L8 on a device that offers it.
  Open();
  WriteImage("grey.png", 4, 4, 3, 90);
  Texture_I* grey = FileTexture("grey", "L_4");
  engine->SetTexture(0, grey);
  EXPECT_EQ(Level(grey, 0).Format, D3DFMT_L8);
  EXPECT_EQ(Texels(grey)[0], 0xFF5A5A5Au);
}

// Size limits, the refused size, the load budget and the frame's bytes.
TEST_F(D3D8TextureTest, LimitsRefusalsBudgetAndFrameBytes) {
  D3DCAPS8 caps = control->DefaultCaps();
  caps.MaxTextureWidth = caps.MaxTextureHeight = 128;
  control->SetCaps(false, caps);
  textures.MaxTextureSizeShift = 1;
  Open();
  WriteImage("wide.png", 512, 256, 3, 200);
  Texture_I* wide = FileTexture("wide");
  Frame();
  engine->SetTexture(0, wide);
  EXPECT_EQ(Level(wide, 0).Width, 128u);
  EXPECT_EQ(Level(wide, 0).Height, 64u);
  EXPECT_EQ(Level(wide, 7).Width, 1u) << "the whole chain down to 1 x 1";
  const int32_t chain = 3 * (128 * 64 + 64 * 32 + 32 * 16 + 16 * 8 + 8 * 4 + 4 * 2 + 2 + 1);  // R8G8B8
  EXPECT_EQ(Level(wide, 0).Format, D3DFMT_R8G8B8);
  EXPECT_EQ(engine->GetTextureMemory(), chain);
  EXPECT_EQ(engine->GetTextureCount(), 1);
  engine->SetTexture(1, wide);  // bound twice in a frame: its bytes count once
  EXPECT_EQ(engine->GetTextureDownloadBytes(), chain);
  Frame();
  engine->SetTexture(0, wide);
  EXPECT_EQ(engine->GetTextureDownloadBytes(), chain);
  // A side already at 1 stays 1 while the other is halved to its limit.
  WriteImage("thin.png", 1, 512, 1, 60);
  Texture_I* thin = FileTexture("thin");
  engine->SetTexture(0, thin);
  EXPECT_EQ(Level(thin, 0).Width, 1u);
  EXPECT_EQ(Level(thin, 0).Height, 128u);
  EXPECT_EQ(Level(thin, 0).Format, D3DFMT_L8);

  // 300 x 200: refused once with its size, then shown as its default colour and never tried again.
  WriteImage("odd.png", 300, 200, 3, 10);
  Texture_I* odd = FileTexture("odd");
  odd->m_defaultColor = {0.9f, 0.2f, 0.9f, 1.0f};
  control->ClearCallLog();
  for (int i = 0; i < 3; ++i) {
    Frame();
    engine->SetTexture(0, odd);
  }
  EXPECT_EQ(Count(err.Text() + out.Text(), "size 300x200 not supported."), 1);
  EXPECT_TRUE(
      Has(out.Text() + err.Text(), "Texture2D:\n  file " + m_dir.File("odd") + "\n  size 300x200 not supported."));
  EXPECT_EQ(Handle(odd)->State(), TextureHandle::kFailed);
  EXPECT_EQ(Count(control->CallLog(), "CreateTexture("), 1) << control->CallLog();
  EXPECT_EQ(Texels(odd), std::vector<uint32_t>{0xFFE533E5u});

  // A budget of 0 defers every file load: the fallback is shown and the load counted.
  textures.TextureLoadTimeLimit = 0.0f;
  engine->SetTextureSettings(&textures);
  Texture_I* later = FileTexture("wide");
  Frame();
  engine->SetTexture(0, later);
  EXPECT_EQ(Handle(later)->State(), TextureHandle::kFallbackBound);
  EXPECT_EQ(engine->GetTextureLoadCount(), 1);
  EXPECT_EQ(Level(later, 0).Width, 1u);
  EXPECT_EQ(engine->GetTextureCount(), 2);
}

// The fallback's colour is clamped (NaN 0) before packing; a failed creation leaves the stage empty.
TEST_F(D3D8TextureTest, FallbackColourAndFailedCreation) {
  textures.EnableTexture = 0;  // nothing loads: every texture shows its fallback
  Open();
  Texture_I* t = FileTexture("none");
  t->m_defaultColor = {1.5f, std::numeric_limits<float>::quiet_NaN(), 0.25f, -1.0f};
  engine->SetTexture(0, t);
  EXPECT_EQ(Texels(t), std::vector<uint32_t>{0x00FF003Fu});
  EXPECT_EQ(Level(t, 0).Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(t->GetAlphaMode(), 1) << "a translucent default colour masks";
  const std::string log = control->CallLog();
  EXPECT_TRUE(Has(log, "SetTextureStageState(0, 16, 2)")) << "MAGFILTER LINEAR";
  EXPECT_TRUE(Has(log, "SetTextureStageState(0, 18, 2)")) << "MIPFILTER LINEAR";
  EXPECT_TRUE(Has(log, "SetTextureStageState(0, 13, 1)")) << "ADDRESSU WRAP";
  EXPECT_FALSE(Has(log, "SetTextureStageState(0, 21,")) << "no anisotropy without the capability";

  control->SetFault(kFaultCreateTexture, D3DERR_OUTOFVIDEOMEMORY);
  Texture_I* other = FileTexture("other");
  control->ClearCallLog();
  engine->SetTexture(0, other);
  EXPECT_TRUE(Has(err.Text() + out.Text(), "DX8: CreateTexture failed for 1x1 " + m_dir.File("other") + "."));
  EXPECT_TRUE(Has(control->CallLog(), "SetTexture(0, none)")) << "the stage keeps nothing of the texture before";
}

// With the capabilities: anisotropy above 1 switches both filters, the LOD bias goes through as its bits.
TEST_F(D3D8TextureTest, AnisotropyAndBiasUnderTheirCapabilities) {
  D3DCAPS8 caps = control->DefaultCaps();
  caps.RasterCaps &= ~(D3DPRASTERCAPS_ANISOTROPY | D3DPRASTERCAPS_MIPMAPLODBIAS);
  control->SetCaps(false, caps);
  textures.EnableTexture = 0;
  Open();
  Texture_I* t = FileTexture("none");
  t->m_anisotropic = 4.7f;
  t->m_lodBias = 1.0f;
  t->m_minFilter = Texture_I::kFilterPoint;
  static_cast<Texture2D_I*>(t)->m_wrapV = Texture_I::kWrapClamp;
  control->ClearCallLog();
  engine->SetTexture(2, t);
  std::string log = control->CallLog();
  EXPECT_FALSE(Has(log, "SetTextureStageState(2, 21,") || Has(log, "SetTextureStageState(2, 19,")) << log;
  EXPECT_TRUE(Has(log, "SetTextureStageState(2, 17, 1)")) << "MINFILTER POINT";

  caps.RasterCaps |= D3DPRASTERCAPS_ANISOTROPY | D3DPRASTERCAPS_MIPMAPLODBIAS;
  control->SetCaps(false, caps);
  ASSERT_EQ(Initialize(), 0u);
  control->ClearCallLog();
  engine->SetTexture(2, t);
  log = control->CallLog();
  for (const char* call :
       {"SetTextureStageState(2, 21, 4)", "SetTextureStageState(2, 16, 3)", "SetTextureStageState(2, 17, 3)",
        "SetTextureStageState(2, 14, 3)", "SetTextureStageState(2, 19, 1065353216)"})
    EXPECT_TRUE(Has(log, call)) << call << "\n" << log;
}

// A video frame's R, G, B, A bytes land as the texture's colour in the top left of a zeroed texture.
TEST_F(D3D8TextureTest, VideoFrameColour) {
  Open();
  Texture_I* t = FileTexture("clip.gcv");  // the decoder refuses it; frames are handed in here
  engine->SetTexture(0, t);
  VideoFrameState* state = VideoFrameState::Of(Handle(t));
  ASSERT_NE(state, nullptr);
  std::vector<uint8_t> frame(48 * 20 * 4);
  for (size_t i = 0; i < frame.size(); i += 4) frame[i] = 200, frame[i + 1] = 100, frame[i + 2] = 50, frame[i + 3] = 7;
  ASSERT_TRUE(state->DeliverFrame(frame.data(), 48, 20));
  engine->SetTexture(0, t);
  EXPECT_EQ(state->FramesTaken(), 1);
  EXPECT_TRUE(Has(out.Text(), "VideoTexture: Format 64x32."));
  const std::vector<uint32_t> texels = Texels(t);
  ASSERT_EQ(texels.size(), 64u * 32u);
  EXPECT_EQ(Level(t, 0).Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(texels[0], 0xFFC86432u);
  EXPECT_EQ(texels[19 * 64 + 47], 0xFFC86432u);
  EXPECT_EQ(texels[19 * 64 + 48], 0xFF000000u) << "beyond the frame: zeroed";
  EXPECT_EQ(texels[20 * 64], 0xFF000000u);
  EXPECT_TRUE(Has(control->CallLog(), "SetTextureStageState(0, 18, 0)")) << "no mip filter for a video";
}

// Unload moves a handle to the release list (the last live one takes its place); UnloadTextures
// releases; a handle of another engine is given back and replaced.
TEST_F(D3D8TextureTest, HandleListsAndForeignHandles) {
  textures.EnableTexture = 0;
  Open();
  Texture_I* a = FileTexture("a");
  Texture_I* b = FileTexture("b");
  Texture_I* c = FileTexture("c");
  for (Texture_I* t : {a, b, c}) engine->SetTexture(0, t);
  EXPECT_EQ(engine->LiveTextureCount(), 3);
  Handle(a)->Unload();
  EXPECT_EQ(engine->LiveTextureCount(), 2);
  EXPECT_EQ(engine->ReleaseTextureCount(), 1);
  EXPECT_EQ(Handle(c)->m_listIndex, 0) << "the last entry moved into the freed place";
  EXPECT_EQ(Handle(a)->Owner(), nullptr);
  out.Take();
  engine->UnloadTextures();
  engine->UnloadTextures();  // nothing left: no line
  EXPECT_EQ(
      out.Text(),
      "Debug RenderEngineDirectX8_D::UnloadTextures()\nDebug RenderEngineDirectX8_D::UnloadTextures() complete.\n");
  EXPECT_EQ(engine->ReleaseTextureCount(), 0);
  EXPECT_EQ(Handle(a)->Texture(), nullptr);

  // The unloaded texture comes back with a new handle; so does one holding another engine's handle.
  TextureHandle* old = a->EngineHandle();
  engine->SetTexture(0, a);
  EXPECT_NE(a->EngineHandle(), old);
  Handle(b)->Unload();  // as another engine would before putting its own handle in
  b->SetEngineHandle(NewCounted<TextureHandle>());
  engine->SetTexture(0, b);
  ASSERT_NE(Handle(b), nullptr);
  EXPECT_EQ(Handle(b)->Owner(), engine);
  EXPECT_EQ(engine->LiveTextureCount(), 3);

  // A second initialisation releases every texture and handle; the handles stay valid in their textures.
  ASSERT_EQ(Initialize(), 0u);
  EXPECT_EQ(engine->LiveTextureCount(), 0);
  EXPECT_EQ(Handle(c)->Texture(), nullptr);
  EXPECT_FALSE(Has(out.Text() + err.Text(), "missing Unload"));
}

// A font texture gives its glyph image to every engine that asks, also after its handle was released.
TEST_F(D3D8TextureTest, FontTextureIsHandedOverAgain) {
  Open();
  Obj<ScriptObject> object(ScriptObject::Create(FindClassID("FontTexture2D")));
  auto* font = static_cast<FontTexture2D_I*>(object.Get());
  font->m_fontName = "DejaVu Sans";
  font->m_imageSize = {300, 100};
  font->m_characterMap = " AgW";
  m_keep.push_back(object);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    engine->SetTexture(0, font);
    ASSERT_NE(Handle(font), nullptr);
    EXPECT_EQ(Handle(font)->State(), TextureHandle::kDownloaded);
    EXPECT_EQ(Level(font, 0).Width, 512u);
    EXPECT_EQ(Level(font, 0).Format, D3DFMT_A8L8);
    ASSERT_EQ(Initialize(), 0u);  // a new device: every texture is released
  }
}

}  // namespace
}  // namespace PM::Test
