// Fill rate through the render-engine interface: the same engine calls on the OpenGL engine (llvmpipe
// under Xvfb) and on the Direct3D 8 engine (our software device) in one process. Each frame clears a
// 640 x 480 window and draws ten full-window quads one unit in front of the camera with a 256 x 256 RGBA
// texture (mips, trilinear), one directional light, linear fog and the depth test (LESSEQUAL in the base
// pass, so every quad writes every pixel), then Finish and a swap that skips the present. The quads'
// coordinates run 1.5 texels per pixel, so trilinear blends two levels everywhere, as in
// bench/d3d8_pixel_fill.cpp. llvmpipe reads LP_NUM_THREADS once per process: run once with
// LP_NUM_THREADS=1 and once without. Runs under an X display (xvfb-run -a).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchEngineWindow.h"
#include "classes/EngineClasses.h"
#include "classes/FileObject.h"
#include "core/Matrix4f.h"
#include "engine/Image.h"
#include "engine/PolygonData.h"
#include "engine/RenderEngine.h"
#include "platform/PlatformWindow.h"
#include "platform/WindowClass.h"
#include "render/RenderChannel.h"
#include "render/RenderMaterial.h"
#include "render/RenderShader.h"
#include "render/ShaderPhong.h"
#include "render/ShaderTexture.h"
#include "render/Texture2D.h"
#include "scene/Fog.h"
#include "scene/Light.h"
#include "script/object/ObjectModel.h"

namespace PM {
namespace {

constexpr int32_t kWidth = 640, kHeight = 480, kTextureSize = 256, kQuads = 10;
constexpr float kTexelsPerPixel = 1.5f;
constexpr const char* kClass = "PelmoraEngineFillBench";

Obj<ScriptObject> Make(const char* cls) { return Obj<ScriptObject>(ScriptObject::Create(FindClassID(cls))); }

// The scene's objects, made once for both engines: the class database, a texture file of hashed
// RGBA texels, the textured Phong shader, the light and the fog.
struct Scene {
  std::string dir;
  Obj<ScriptObject> file, texture, colorExpr, material, surface, shader, light, fog;
  std::vector<Vector3f> positions, normals;
  std::vector<Vector2f> texCoords;
  std::vector<uint32_t> indices;
  bool ready = false;

  Scene() {
    InitScriptObjectModel();
    RegisterEngineClasses();
    BuildNameHashes();
    char pattern[] = "/tmp/pm_fill_XXXXXX";
    if (!mkdtemp(pattern)) return;
    dir = pattern;
    Obj<Image_I> image(Image_I::New());
    image->Create(4, kTextureSize, kTextureSize, 0);
    for (size_t i = 0; i < image->DataBytes(); ++i) image->GetData()[i] = uint8_t(i * 2654435761u >> 24) | 0x20;
    if (image->ExportFile(String((dir + "/texels.png").c_str())) != SOK) return;

    file = Make("FileObject");
    static_cast<FileObject_I*>(file.Get())
        ->SetFileName(String(("absolute://" + dir + "/texels").c_str()));  // the loader finds the extension
    texture = Make("Texture2D");
    static_cast<Texture_I*>(texture.Get())->SetFileObject(static_cast<FileObject_I*>(file.Get()));
    colorExpr = Make("ShaderTexture");
    static_cast<ShaderTexture_I*>(colorExpr.Get())->m_texture =
        Obj<Texture2D_I>(static_cast<Texture2D_I*>(texture.Get()));
    material = Make("RenderMaterial");
    static_cast<RenderMaterial_I*>(material.Get())->m_diffuseColor = {1.0f, 0.8f, 0.6f};
    static_cast<RenderMaterial_I*>(material.Get())->m_specularColor = {0.0f, 0.0f, 0.0f};
    surface = Make("ShaderPhong");
    auto* phong = static_cast<ShaderPhong_I*>(surface.Get());
    phong->m_material = Obj<RenderMaterial_I>(static_cast<RenderMaterial_I*>(material.Get()));
    phong->m_color = Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(colorExpr.Get()));
    shader = Make("RenderShader");
    static_cast<RenderShader_I*>(shader.Get())->m_surface =
        Obj<ShaderExpression_I>(static_cast<ShaderExpression_I*>(surface.Get()));

    light = Make("TLight");  // directional by default, shining along -z (its matrix is the identity)
    fog = Make("TFog");
    auto* f = static_cast<SFog_I*>(static_cast<TNode_I*>(fog.Get())->GetSNode());
    f->m_type = 0x01FFF0BEu;  // Linear
    f->m_nearFar = {0.0f, 2.0f};
    f->m_color = {0.5f, 0.5f, 0.5f};

    const float u1 = kTexelsPerPixel * kWidth / kTextureSize, v1 = kTexelsPerPixel * kHeight / kTextureSize;
    positions = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}};
    normals.assign(4, Vector3f{0, 0, 1});
    texCoords = {{0, v1}, {u1, v1}, {u1, 0}, {0, 0}};
    indices = {0, 1, 2, 0, 2, 3};
    ready = true;
  }
  ~Scene() {
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }

  PolygonData Quad() const {
    PolygonData d;
    d.PrimCount = 2, d.IndexCount = 6, d.VertexCount = 4;
    d.IndexArray = indices.data();
    d.VertexArray = positions.data();
    d.NormalArray = normals.data();
    d.TexCoordArray0 = texCoords.data();
    return d;
  }
};

Scene& SharedScene() {
  static Scene s;
  return s;
}

// One engine of the given type on a 640 x 480 window of its own.
struct EngineWindow : Bench::EngineWindow {
  explicit EngineWindow(int32_t type) : Bench::EngineWindow(kClass, type, kWidth, kHeight) {
    if (!SharedScene().ready) handle.Clear();
  }

  // Whether the frame shows the hashed texels: a cleared or flat frame has equal neighbours.
  bool Textured() {
    Obj<Image_I> image(handle->Engine()->GetColorBufferImage());
    if (!image) return false;
    int differing = 0;
    for (int x = 300; x < 340; ++x) {
      R8G8B8A8 a, b;
      image->GetPixel(a, x, kHeight / 2), image->GetPixel(b, x + 1, kHeight / 2);
      differing += !(a == b);
    }
    return differing > 20;
  }

  // One frame of engine calls, the same for either engine.
  void Frame() {
    Scene& s = SharedScene();
    RenderEngine* e = handle->Engine();
    e->MakeCurrent();
    ChannelClearInfo clear;
    e->ClearBuffer(&clear);
    const int32_t viewport[4] = {0, 0, kWidth, kHeight};
    e->SetViewport(viewport);
    // A frustum whose far end at z = -1 is exactly the quads' square; the depth range is the engine's.
    Matrix4f lens;
    lens.SetFrustum(-0.5f, 0.5f, -0.5f, 0.5f, 0.5f, 4.0f, e->HasZeroToOneDepthRange() != 0);
    e->LoadProjectionMatrix(&lens);
    e->LoadModelViewMatrix(&kIdentityMatrix4f);
    const Vector3f ambient = {0.2f, 0.2f, 0.2f};
    e->SetAmbientLight(&ambient);
    e->SetLight(0, &kIdentityMatrix4f, s.light);
    e->SetLightingEnable(1);
    e->SetFog(&kIdentityMatrix4f, s.fog);
    e->BeginPass(PassMode::kMain);
    e->SetShaderBase(s.shader, true);
    const PolygonData quad = s.Quad();
    for (int32_t q = 0; q < kQuads; ++q) e->DrawPolygonData(&quad, &cache);
    e->ResetPass();
    e->Finish();
    e->SwapBuffers(true);
  }
};

void BM_EngineFill(benchmark::State& state, int32_t type) {
  EngineWindow w(type);
  if (!w.handle) return state.SkipWithError("no engine on a window (run under xvfb-run -a)");
  for (int i = 0; i < 3; ++i) w.Frame();  // texture download, caches and llvmpipe's shader variants
  if (!w.Textured()) return state.SkipWithError("the quads do not show the texture");
  for (auto _ : state) w.Frame();
  state.counters["Mpixel/s"] =
      benchmark::Counter(double(state.iterations()) * kWidth * kHeight * kQuads / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BM_EngineFill, DirectX8, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_EngineFill, OpenGL_llvmpipe, 1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace PM
