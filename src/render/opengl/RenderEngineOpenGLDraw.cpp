// The OpenGL engine's geometry drawing: draw records from the caller's arrays (client arrays) or from
// buffer objects kept per geometry in a polygon cache, one primitive dispatch for both, and clipped GUI
// quads.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "core/Vector2f.h"

#include "core/Log.h"
#include "render/EngineLists.h"
#include "render/PolygonRecordCheck.h"
#include "render/opengl/RenderEngineOpenGL.h"
#include "render/opengl/RenderPolygonCacheOpenGL.h"

namespace PM {

namespace {

using Cache = RenderPolygonCacheOpenGL;

// Client-state mask bits.
constexpr int kNormalBit = 1, kTexCoordBit = 2, kColorBit = 4;

GLenum Usage(const PolygonData& d, int stream) {
  return (d.DynamicMask & Cache::kStreamBits[stream]) ? GL_DYNAMIC_DRAW_ARB : GL_STATIC_DRAW_ARB;
}

}  // namespace

void RenderEngineOpenGL_D::SetClientState(int mask) {
  if (mask == m_clientStateMask) return;
  const OpenGLAPI& gl = GL();
  gl.glEnableClientState(GL_VERTEX_ARRAY);
  static const struct {
    int bit;
    GLenum array;
  } kArrays[] = {{kNormalBit, GL_NORMAL_ARRAY}, {kTexCoordBit, GL_TEXTURE_COORD_ARRAY}, {kColorBit, GL_COLOR_ARRAY}};
  for (const auto& a : kArrays) (mask & a.bit) ? gl.glEnableClientState(a.array) : gl.glDisableClientState(a.array);
  m_clientStateMask = mask;
}

void RenderEngineOpenGL_D::DrawOpenGL(const PolygonData& d, const uint8_t* start) {
  const OpenGLAPI& gl = GL();
  if (m_clientStateMask & kColorBit) ForgetHeldColor();
  static const struct {
    uint32_t type;
    GLenum mode;
  } kModes[] = {{PrimitiveType::kPoint, GL_POINTS},
                {PrimitiveType::kLine, GL_LINES},
                {PrimitiveType::kTriangle, GL_TRIANGLES},
                {PrimitiveType::kQuad, GL_QUADS},
                {PrimitiveType::kPolygon, GL_POLYGON},
                {PrimitiveType::kTriangleStrip, GL_TRIANGLE_STRIP},
                {PrimitiveType::kTriangleFan, GL_TRIANGLE_FAN},
                {PrimitiveType::kLineStrip, GL_LINE_STRIP},
                {PrimitiveType::kTriangleStripAndTriangles, GL_TRIANGLE_STRIP}};
  GLenum mode = 0xFFFF;
  for (const auto& m : kModes)
    if (m.type == d.PrimType) mode = m.mode;
  if (mode == 0xFFFF) {
    Log(LogOutPipe(), kLevelError, "DrawOpenGL() unsupported Primitive::Type (", d.PrimType, ") detected.");
    return;
  }
  if (int n = IndicesPerPrimitive(d.PrimType)) {
    gl.glDrawElements(mode, n * d.PrimCount, GL_UNSIGNED_INT, start);
    return;
  }
  if (d.PrimType == PrimitiveType::kTriangleStripAndTriangles) {
    const int strip = d.PrimLengthArray[0];
    gl.glDrawElements(GL_TRIANGLE_STRIP, strip, GL_UNSIGNED_INT, start);
    if (d.PrimCount >= 2)
      gl.glDrawElements(GL_TRIANGLES, d.PrimLengthArray[1], GL_UNSIGNED_INT, start + size_t(strip) * 4);
    return;
  }
  if (m_ext.glMultiDrawElementsEXT) {
    std::vector<const void*> starts(size_t(d.PrimCount));
    size_t offset = 0;
    for (int i = 0; i < d.PrimCount; ++i) {
      starts[size_t(i)] = start + offset * 4;
      offset += size_t(d.PrimLengthArray[i]);
    }
    m_ext.glMultiDrawElementsEXT(mode, d.PrimLengthArray, GL_UNSIGNED_INT, starts.data(), d.PrimCount);
    return;
  }
  size_t offset = 0;
  for (int i = 0; i < d.PrimCount; ++i) {
    gl.glDrawElements(mode, d.PrimLengthArray[i], GL_UNSIGNED_INT, start + offset * 4);
    offset += size_t(d.PrimLengthArray[i]);
  }
}

bool RenderEngineOpenGL_D::RecordIsDrawable(const PolygonData& d, RenderPolygonCacheOpenGL* cache) {
  const char* fault = PolygonRecordFault(d);
  if (!fault) return true;
  // One line per cache, or per frame for records drawn from client arrays.
  const bool quiet = cache ? cache->m_refusalLogged : m_lastBadRecordFrame == m_frameNumber;
  if (!quiet)
    Log(LogOutPipe(), kLevelError, "RenderEngineOpenGL_D::DrawPolygonData: record not drawn: ", fault, " (",
        d.VertexCount, " vertices, ", d.IndexCount, " indices).");
  if (cache)
    cache->m_refusalLogged = true;
  else
    m_lastBadRecordFrame = m_frameNumber;
  return false;
}

RenderEngineOpenGL_D::FrontFaceFn RenderEngineOpenGL_D::FrontFace() {
  if (!m_frontFaceLooked) m_frontFace = reinterpret_cast<FrontFaceFn>(GL().GetProcAddress("glFrontFace"));
  m_frontFaceLooked = true;
  return m_frontFace;
}

RenderEngineOpenGL_D::PointSizeFn RenderEngineOpenGL_D::PointSize() {
  if (!m_pointSizeLooked) m_pointSizeFn = reinterpret_cast<PointSizeFn>(GL().GetProcAddress("glPointSize"));
  m_pointSizeLooked = true;
  return m_pointSizeFn;
}

void RenderEngineOpenGL_D::DrawPolygonData(const PolygonData* data, Ptr<RenderPolygonCache>* cache) {
  if (!m_context || !data || data->PrimCount <= 0) return;
  // The mirror rule: a mirrored draw's outside winds clockwise on screen, whatever face the pass culls.
  FrontFaceFn turn = MirroredDraw() ? FrontFace() : nullptr;
  if (turn) turn(GL_CW);
  if (m_ext.Has(kGL_ARB_vertex_buffer_object) && m_ext.glBindBufferARB && cache)
    DrawVertexBuffers(*data, cache);
  else
    DrawVertexArrays(*data);
  if (turn) turn(GL_CCW);
}

void RenderEngineOpenGL_D::DrawVertexArrays(const PolygonData& d) {
  if (!RecordIsDrawable(d, nullptr)) return;
  const OpenGLAPI& gl = GL();
  m_arraysHeld = false;
  if (m_traceVertexArrays) Log(LogOutPipe(), kLevelInfo, "RenderEngineOpenGL_D::DrawPolygonDataVL: first enter.");
  int mask = 0;
  gl.glVertexPointer(3, GL_FLOAT, 12, d.VertexArray);
  if (d.NormalArray) gl.glNormalPointer(GL_FLOAT, 12, d.NormalArray), mask |= kNormalBit;
  if (d.TexCoordArray0) gl.glTexCoordPointer(2, GL_FLOAT, 8, d.TexCoordArray0), mask |= kTexCoordBit;
  if (m_textureUnits > 1 && m_ext.glClientActiveTextureARB) {
    m_ext.glClientActiveTextureARB(GL_TEXTURE1_ARB);
    if (d.TexCoordArray1) {
      gl.glTexCoordPointer(2, GL_FLOAT, 8, d.TexCoordArray1);
      gl.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
      gl.glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    m_ext.glClientActiveTextureARB(GL_TEXTURE0_ARB);
  }
  if (d.ColorArray) gl.glColorPointer(4, GL_FLOAT, 16, d.ColorArray), mask |= kColorBit;
  SetClientState(mask);
  if (m_ext.glLockArraysEXT) m_ext.glLockArraysEXT(0, d.VertexCount);
  DrawOpenGL(d, reinterpret_cast<const uint8_t*>(d.IndexArray));
  if (m_ext.glUnlockArraysEXT) m_ext.glUnlockArraysEXT();
  if (m_traceVertexArrays) {
    m_traceVertexArrays = false;
    Log(LogOutPipe(), kLevelInfo, "RenderEngineOpenGL_D::DrawPolygonDataVL: first leave.");
  }
}

void RenderEngineOpenGL_D::DrawVertexBuffers(const PolygonData& d, Ptr<RenderPolygonCache>* slot) {
  Cache* cache = EngineCache<Cache>(slot, this, m_liveCaches);
  const Cache::RecordStreams streams(d);
  // New arrays or counts are noticed even when the geometry did not mark them: a changed count needs a
  // new size, a moved array a refill.
  for (int s = 0; s < Cache::kStreamCount; ++s) {
    const void* array = streams.arrays[s];
    const int32_t count = streams.counts[s];
    if (array == cache->m_source[s] && (!array || count == cache->m_size[s])) continue;
    cache->m_dirty |= Cache::kStreamBits[s];
    if (count != cache->m_size[s] || !array != !cache->m_buffer[s]) cache->m_dirty |= Cache::kResizeBits;
  }
  if (!cache->Drawable(Cache::kResizeBits, [&] { return RecordIsDrawable(d, cache); })) return;
  // An upload leaves its buffer bound and may delete one the pointers read.
  if (cache->m_dirty != 0) {
    m_arraysHeld = false;
    UploadStreams(d, streams, cache);
  }
  if (m_traceVertexBuffers) Log(LogOutPipe(), kLevelInfo, "RenderEngineOpenGL_D::DrawPolygonDataVB: first enter.");
  BindCachedArrays(cache);
  const OpenGLEXT& x = m_ext;
  x.glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, cache->m_buffer[Cache::kIndices]);
  DrawOpenGL(d, nullptr);
  x.glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);
  if (m_traceVertexBuffers) {
    m_traceVertexBuffers = false;
    Log(LogOutPipe(), kLevelInfo, "RenderEngineOpenGL_D::DrawPolygonDataVB: first leave.");
  }
}

void RenderEngineOpenGL_D::UploadStreams(const PolygonData& d, const RenderPolygonCacheOpenGL::RecordStreams& streams,
                                         RenderPolygonCacheOpenGL* cache) {
  const OpenGLEXT& x = m_ext;
  const void* const* arrays = streams.arrays;
  uint32_t m = cache->m_dirty;
  // A stream whose size changed gets its buffer specified anew, which fills it too.
  auto specify = [&](int s, GLenum target) {
    if (!cache->m_buffer[s]) x.glGenBuffersARB(1, &cache->m_buffer[s]);
    x.glBindBufferARB(target, cache->m_buffer[s]);
    x.glBufferDataARB(target, GLsizeiptrARB(streams.counts[s]) * Cache::kStreamBytes[s], arrays[s], Usage(d, s));
    cache->m_size[s] = streams.counts[s];
    cache->m_source[s] = arrays[s];
    m &= ~Cache::kStreamBits[s];
  };
  auto drop = [&](int s) {
    if (cache->m_buffer[s]) x.glDeleteBuffersARB(1, &cache->m_buffer[s]);
    cache->m_buffer[s] = 0;
    cache->m_size[s] = 0;
    cache->m_source[s] = nullptr;
    m &= ~Cache::kStreamBits[s];
  };
  if (!arrays[Cache::kIndices])
    drop(Cache::kIndices);
  else if (cache->m_size[Cache::kIndices] != d.IndexCount)
    specify(Cache::kIndices, GL_ELEMENT_ARRAY_BUFFER_ARB);
  if (m & Cache::kResizeBits) {
    for (int s = Cache::kPositions; s < Cache::kStreamCount; ++s) {
      if (!arrays[s])
        drop(s);
      else if (cache->m_size[s] != d.VertexCount)
        specify(s, GL_ARRAY_BUFFER_ARB);
    }
  }
  for (int s = 0; s < Cache::kStreamCount; ++s) {
    if (!(m & Cache::kStreamBits[s]) || !cache->m_buffer[s] || !arrays[s]) continue;
    const GLenum target = s == Cache::kIndices ? GL_ELEMENT_ARRAY_BUFFER_ARB : GL_ARRAY_BUFFER_ARB;
    x.glBindBufferARB(target, cache->m_buffer[s]);
    x.glBufferSubDataARB(target, 0, GLsizeiptrARB(cache->m_size[s]) * Cache::kStreamBytes[s], arrays[s]);
    cache->m_source[s] = arrays[s];
  }
  cache->m_dirty = 0;
}

void RenderEngineOpenGL_D::BindCachedArrays(RenderPolygonCacheOpenGL* cache) {
  if (m_arraysHeld && std::equal(std::begin(m_heldArrays), std::end(m_heldArrays), std::begin(cache->m_buffer))) return;
  const OpenGLAPI& gl = GL();
  const OpenGLEXT& x = m_ext;
  x.glBindBufferARB(GL_ARRAY_BUFFER_ARB, cache->m_buffer[Cache::kPositions]);
  gl.glVertexPointer(3, GL_FLOAT, 12, nullptr);
  int mask = 0;
  if (cache->m_buffer[Cache::kNormals]) {
    x.glBindBufferARB(GL_ARRAY_BUFFER_ARB, cache->m_buffer[Cache::kNormals]);
    gl.glNormalPointer(GL_FLOAT, 12, nullptr);
    mask |= kNormalBit;
  }
  if (cache->m_buffer[Cache::kTexCoords0]) {
    x.glBindBufferARB(GL_ARRAY_BUFFER_ARB, cache->m_buffer[Cache::kTexCoords0]);
    gl.glTexCoordPointer(2, GL_FLOAT, 8, nullptr);
    mask |= kTexCoordBit;
  }
  if (cache->m_buffer[Cache::kColors]) {
    x.glBindBufferARB(GL_ARRAY_BUFFER_ARB, cache->m_buffer[Cache::kColors]);
    gl.glColorPointer(4, GL_FLOAT, 16, nullptr);
    mask |= kColorBit;
  }
  if (m_textureUnits > 1 && x.glClientActiveTextureARB) {
    x.glClientActiveTextureARB(GL_TEXTURE1_ARB);
    if (cache->m_buffer[Cache::kTexCoords1]) {
      x.glBindBufferARB(GL_ARRAY_BUFFER_ARB, cache->m_buffer[Cache::kTexCoords1]);
      gl.glTexCoordPointer(2, GL_FLOAT, 8, nullptr);
      gl.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
      gl.glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    x.glClientActiveTextureARB(GL_TEXTURE0_ARB);
  }
  x.glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
  SetClientState(mask);
  std::copy(std::begin(cache->m_buffer), std::end(cache->m_buffer), std::begin(m_heldArrays));
  m_arraysHeld = true;
}

void RenderEngineOpenGL_D::UnloadPolygonCache() {
  const OpenGLEXT& x = m_ext;
  m_arraysHeld = false;
  ReleaseUnloadedCaches<Cache>([&](Cache* c) {
    for (uint32_t& b : c->m_buffer) {
      if (b && x.glDeleteBuffersARB && m_context) x.glDeleteBuffersARB(1, &b);
      b = 0;
    }
  });
}

}  // namespace PM
