// RecordingRenderEngine: a test double of the render-engine interface. It answers the pass mode, the
// pass state, CullTest, the viewport, the depth convention, the half-pixel offset, the shader passes
// and ReadDepth as the test sets them, keeps both matrices, records colour, normal, matrix, shader-pass,
// depth-read, channel-effect, clip and clipped-quad calls, copies every draw record with the arrays it
// points to (so reading past them trips the sanitizer), and puts a counting cache into an empty cache
// field.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/RenderEngine.h"

namespace PM::Test {

// What the caches of one engine were asked to do; shared by the engine and its caches.
struct CacheCounters {
  int made = 0;
  int alive = 0;
  int unloads = 0;
  std::vector<uint32_t> dirtyFlags;
};

class RecordingPolygonCache final : public RenderPolygonCache {
 public:
  explicit RecordingPolygonCache(std::shared_ptr<CacheCounters> counters);
  ~RecordingPolygonCache();
  void Unload() override;
  void SetDirty(uint32_t flags) override;

 private:
  std::shared_ptr<CacheCounters> m_counters;
};

// One DrawPolygonData call: the record and copies of its arrays (empty where the record had null).
struct RecordedDraw {
  PolygonData data;
  std::vector<int32_t> lengths;
  std::vector<uint32_t> indices;
  std::vector<Vector3f> positions, normals;
  std::vector<Vector4f> colors;
  std::vector<Vector2f> texCoords0, texCoords1;
  RenderPolygonCache* cache = nullptr;  // the cache the call drew with
  bool clipped = false;
  size_t callsBefore = 0;  // calls recorded before this draw: where it falls among them
};

// One material-colour, normal, matrix or shader-pass call in the order made: "blend", "color",
// "normal", "modelview" and "projection" (Set, Exchange and Load), "ambient" and "base" (the shader and
// its first-pass flag), with its values.
struct RecordedCall {
  std::string op;
  Vector4f a{}, b{};
  Vector3f normal{};
  Matrix4f matrix{};
  ScriptObject* shader = nullptr;
  bool first = false;
};

// One DrawQuadClipped call, with the shader of the last "base" call before it (null before any) and the
// clip state at the time. texCoords: (u, v) for the corners (left, bottom), (right, bottom), (left, top),
// (right, top).
struct RecordedQuad {
  float left, right, bottom, top;
  float texCoords[8];
  Vector4f color;
  ScriptObject* shader;
  bool clipOn;
  float clipRect[4];
  size_t callsBefore;  // calls recorded before this quad: where it falls among them
};

// One ChannelFX call: the record and the path as handed over.
struct RecordedChannelFX {
  ChannelFXInfo info;
  std::string path;
};

class RecordingRenderEngine : public RenderEngine {
 public:
  RecordingRenderEngine() = default;
  ~RecordingRenderEngine() = default;

  // Answers set by the test.
  int32_t passMode = 1;
  ShaderPassState passState;
  bool hasPassState = true;  // false: GetShaderPassState answers null, as the base engine does
  int32_t cullAnswer = 0;
  bool copyArrays = true;  // false: draws keep only the record (benchmarks)

  std::vector<RecordedDraw> draws;
  std::vector<RecordedCall> calls;
  std::shared_ptr<CacheCounters> caches = std::make_shared<CacheCounters>();
  Matrix4f modelView = kIdentityMatrix4f;
  Matrix4f projection = kIdentityMatrix4f;
  int32_t viewport[4] = {0, 0, 640, 480};
  int32_t zeroToOneDepth = 0;   // HasZeroToOneDepthRange
  int32_t halfPixelOffset = 0;  // NeedsHalfPixelOffset
  int32_t ambientAnswer = 0;    // SetShaderAmbient
  int32_t baseAnswer = 0;       // SetShaderBase
  float depth = 1.0f;           // what ReadDepth answers
  std::vector<std::pair<int32_t, int32_t>> depthReads;
  std::vector<RecordedChannelFX> channelFX;
  std::vector<RecordedQuad> quads;
  bool clipOn = false;
  float clipRect[4] = {0, 0, 0, 0};
  int clipUpdates = 0;

  // Frame-level calls as text in the order made, e.g. "BeginPass 3", "SetViewport 0 0 320 480",
  // "DrawDebugSphere 1 0 0 1", "DrawDebugLine 0 0 0 1 0 0"; matrices and draws are kept above.
  std::vector<std::string> frame;
  int32_t textureLoads = 0;  // GetTextureLoadCount
  Matrix4f aux0 = kIdentityMatrix4f;
  std::vector<Spheref> spheres;  // DrawDebugSphere's spheres

  // Frame-level calls of one name: the entries of `frame` starting with it.
  std::vector<std::string> FrameCalls(const std::string& name) const;
  void BeginPass(int32_t mode) override {
    passMode = mode;
    Note("BeginPass", {float(mode)});
  }
  void ResetPass() override { Note("ResetPass", {}); }
  void DrawStencilShadow() override { Note("DrawStencilShadow", {}); }
  void DrawDebugAxes() override { Note("DrawDebugAxes", {}); }
  void DrawDebugBone(const Vector3f* t) override { Note("DrawDebugBone", {t->x, t->y, t->z}); }
  void DrawDebugSphere(const Spheref* s, const Vector4f* c) override {
    spheres.push_back(*s);
    Note("DrawDebugSphere", {c->x, c->y, c->z, c->w});
  }
  void DrawDebugFrustum(const Frustum*) override { Note("DrawDebugFrustum", {}); }
  void DrawDebugPoint(const Vector3f* p, const Vector4f* c, float h) override {
    Note("DrawDebugPoint", {p->x, p->y, p->z, c->x, c->y, c->z, h});
  }
  void DrawDebugLine(const Vector3f* a, const Vector3f* b, const Vector4f*) override {
    Note("DrawDebugLine", {a->x, a->y, a->z, b->x, b->y, b->z});
  }
  void LatchPrimitiveCount() override { Note("LatchPrimitiveCount", {}); }
  ResultCode ClearBuffer(const ChannelClearInfo*) override {
    Note("ClearBuffer", {});
    return SOK;
  }
  void SetCullEnable(bool on) override { Note("SetCullEnable", {float(on)}); }
  void SetCullFrustum(const Frustum*) override { Note("SetCullFrustum", {}); }
  void SetAuxMatrix0(const Matrix4f* m) override {
    aux0 = *m;
    Note("SetAuxMatrix0", {});
  }
  void SetAuxMatrix1(const Matrix4f*) override { Note("SetAuxMatrix1", {}); }
  void UnloadTextures() override { Note("UnloadTextures", {}); }
  void UnloadPolygonCache() override { Note("UnloadPolygonCache", {}); }
  int32_t GetTextureLoadCount() override { return textureLoads; }
  void SetFog(const Matrix4f*, ScriptObject* fog) override { Note(IsNilObject(fog) ? "SetFog nil" : "SetFog", {}); }
  void SetLight(int32_t index, const Matrix4f*, ScriptObject*) override { Note("SetLight", {float(index)}); }
  void SetAmbientLight(const Vector3f*) override { Note("SetAmbientLight", {}); }
  void SetLightingEnable(int32_t n) override { Note("SetLightingEnable", {float(n)}); }

  int32_t GetPassMode() override { return passMode; }
  ShaderPassState* GetShaderPassState() override { return hasPassState ? &passState : nullptr; }
  int32_t CullTest(const Spheref*) override { return cullAnswer; }
  void SetMaterialColorBlend(const Vector4f* scale, const Vector4f* offset) override;
  void SetMaterialColor(const Vector4f* color) override;
  void SetNormal(const Vector3f* normal) override;
  void SetModelViewMatrix(const Matrix4f* m) override;
  void GetModelViewMatrix(Matrix4f* out) override { *out = modelView; }
  void ExchangeModelViewMatrix(const Matrix4f* next, Matrix4f* old) override;
  void LoadModelViewMatrix(const Matrix4f* m) override;
  void SetProjectionMatrix(const Matrix4f* m) override;
  void GetProjectionMatrix(Matrix4f* out) override { *out = projection; }
  void ExchangeProjectionMatrix(const Matrix4f* next, Matrix4f* old) override;
  void LoadProjectionMatrix(const Matrix4f* m) override { SetProjectionMatrix(m); }
  int32_t HasZeroToOneDepthRange() override { return zeroToOneDepth; }
  int32_t NeedsHalfPixelOffset() override { return halfPixelOffset; }
  int32_t SetShaderAmbient(ScriptObject* shader, bool first) override;
  int32_t SetShaderBase(ScriptObject* shader, bool first) override;
  void SetViewport(const int32_t* rect) override;
  int32_t* GetViewport(int32_t* rect) override;
  float ReadDepth(int32_t x, int32_t y) override;
  void ChannelFX(const ChannelFXInfo* info, const String& basePath) override;
  void SetClipRect(const float* rect, bool enable) override;
  void UpdateClipRect() override { ++clipUpdates; }
  void DrawQuadClipped(float left, float right, float bottom, float top, const float* texCoords,
                       const Vector4f* color) override;
  void DrawPolygonData(const PolygonData* data, Ptr<RenderPolygonCache>* cache) override;
  void DrawPolygonDataClipped(const PolygonData* data, Ptr<RenderPolygonCache>* cache) override;

  // The calls of one kind, in order.
  std::vector<RecordedCall> CallsOf(const std::string& op) const;

 private:
  void Note(const char* name, std::initializer_list<float> values);
  void Record(const PolygonData* data, Ptr<RenderPolygonCache>* cache, bool clipped);
};

// A recording engine in a counted handle, for code that makes engines through RenderEngine::Create.
class RecordingRenderEngine_I final : public RenderEngine_I {
 public:
  RecordingRenderEngine_I() : RenderEngine_I(&m_engine) {}
  ~RecordingRenderEngine_I() = default;
  static RenderEngine_I* Create();  // count 0
  RecordingRenderEngine& Recorder() { return m_engine; }

 private:
  RecordingRenderEngine m_engine;
};

}  // namespace PM::Test
