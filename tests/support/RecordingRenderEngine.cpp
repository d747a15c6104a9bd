#include "support/RecordingRenderEngine.h"

#include <algorithm>
#include <sstream>

namespace PM::Test {

namespace {

template <class T>
std::vector<T> CopyOf(const T* p, int64_t n) {
  if (!p || n <= 0) return {};
  return std::vector<T>(p, p + n);
}

}  // namespace

RecordingPolygonCache::RecordingPolygonCache(std::shared_ptr<CacheCounters> counters)
    : m_counters(std::move(counters)) {
  ++m_counters->made;
  ++m_counters->alive;
}
RecordingPolygonCache::~RecordingPolygonCache() { --m_counters->alive; }
void RecordingPolygonCache::Unload() { ++m_counters->unloads; }
void RecordingPolygonCache::SetDirty(uint32_t flags) { m_counters->dirtyFlags.push_back(flags); }

void RecordingRenderEngine::SetMaterialColorBlend(const Vector4f* scale, const Vector4f* offset) {
  calls.push_back({"blend", *scale, *offset, {}, {}, nullptr, false});
}
void RecordingRenderEngine::SetMaterialColor(const Vector4f* color) {
  calls.push_back({"color", *color, {}, {}, {}, nullptr, false});
}
void RecordingRenderEngine::SetNormal(const Vector3f* normal) {
  calls.push_back({"normal", {}, {}, *normal, {}, nullptr, false});
}
void RecordingRenderEngine::SetModelViewMatrix(const Matrix4f* m) {
  modelView = *m;
  calls.push_back({"modelview", {}, {}, {}, *m, nullptr, false});
}
void RecordingRenderEngine::ExchangeModelViewMatrix(const Matrix4f* next, Matrix4f* old) {
  *old = modelView;
  SetModelViewMatrix(next);
}
void RecordingRenderEngine::LoadModelViewMatrix(const Matrix4f* m) { SetModelViewMatrix(m); }
void RecordingRenderEngine::SetProjectionMatrix(const Matrix4f* m) {
  projection = *m;
  calls.push_back({"projection", {}, {}, {}, *m, nullptr, false});
}
void RecordingRenderEngine::ExchangeProjectionMatrix(const Matrix4f* next, Matrix4f* old) {
  *old = projection;
  SetProjectionMatrix(next);
}
int32_t RecordingRenderEngine::SetShaderAmbient(ScriptObject* shader, bool first) {
  calls.push_back({"ambient", {}, {}, {}, {}, shader, first});
  return ambientAnswer;
}
int32_t RecordingRenderEngine::SetShaderBase(ScriptObject* shader, bool first) {
  calls.push_back({"base", {}, {}, {}, {}, shader, first});
  return baseAnswer;
}
void RecordingRenderEngine::SetViewport(const int32_t* rect) {
  std::copy(rect, rect + 4, viewport);
  Note("SetViewport", {float(rect[0]), float(rect[1]), float(rect[2]), float(rect[3])});
}

void RecordingRenderEngine::Note(const char* name, std::initializer_list<float> values) {
  std::ostringstream out;
  out << name;
  for (float v : values) out << ' ' << v;
  frame.push_back(out.str());
}

std::vector<std::string> RecordingRenderEngine::FrameCalls(const std::string& name) const {
  std::vector<std::string> out;
  for (const std::string& f : frame)
    if (f.compare(0, name.size(), name) == 0 && (f.size() == name.size() || f[name.size()] == ' ')) out.push_back(f);
  return out;
}
int32_t* RecordingRenderEngine::GetViewport(int32_t* rect) {
  std::copy(viewport, viewport + 4, rect);
  return rect;
}
float RecordingRenderEngine::ReadDepth(int32_t x, int32_t y) {
  depthReads.emplace_back(x, y);
  return depth;
}
void RecordingRenderEngine::ChannelFX(const ChannelFXInfo* info, const String& basePath) {
  channelFX.push_back({*info, basePath.CStr()});
}

void RecordingRenderEngine::SetClipRect(const float* rect, bool enable) {
  std::copy(rect, rect + 4, clipRect);
  clipOn = enable;
}
void RecordingRenderEngine::DrawQuadClipped(float left, float right, float bottom, float top, const float* texCoords,
                                            const Vector4f* color) {
  ScriptObject* shader = nullptr;
  for (auto c = calls.rbegin(); c != calls.rend() && !shader; ++c)
    if (c->op == "base") shader = c->shader;
  RecordedQuad q{left, right, bottom, top, {}, *color, shader, clipOn, {}, calls.size()};
  std::copy(texCoords, texCoords + 8, q.texCoords);
  std::copy(clipRect, clipRect + 4, q.clipRect);
  quads.push_back(q);
}

void RecordingRenderEngine::DrawPolygonData(const PolygonData* data, Ptr<RenderPolygonCache>* cache) {
  Record(data, cache, false);
}
void RecordingRenderEngine::DrawPolygonDataClipped(const PolygonData* data, Ptr<RenderPolygonCache>* cache) {
  Record(data, cache, true);
}

void RecordingRenderEngine::Record(const PolygonData* data, Ptr<RenderPolygonCache>* cache, bool clipped) {
  if (cache && !*cache) *cache = NewCounted<RecordingPolygonCache>(caches);
  RecordedDraw r;
  r.data = *data;
  r.clipped = clipped;
  r.cache = cache ? cache->Get() : nullptr;
  r.callsBefore = calls.size();
  if (!copyArrays) {
    draws.push_back(std::move(r));
    return;
  }
  const int64_t nv = data->VertexCount;
  // The run-length types read one length per primitive; the others none.
  if (data->PrimType > PrimTypeId(4)) r.lengths = CopyOf(data->PrimLengthArray, data->PrimCount);
  r.indices = CopyOf(data->IndexArray, data->IndexCount);
  r.positions = CopyOf(data->VertexArray, nv);
  r.normals = CopyOf(data->NormalArray, nv);
  r.colors = CopyOf(data->ColorArray, nv);
  r.texCoords0 = CopyOf(data->TexCoordArray0, nv);
  r.texCoords1 = CopyOf(data->TexCoordArray1, nv);
  draws.push_back(std::move(r));
}

std::vector<RecordedCall> RecordingRenderEngine::CallsOf(const std::string& op) const {
  std::vector<RecordedCall> out;
  for (const RecordedCall& c : calls)
    if (c.op == op) out.push_back(c);
  return out;
}

RenderEngine_I* RecordingRenderEngine_I::Create() { return NewCounted<RecordingRenderEngine_I>(); }

}  // namespace PM::Test
