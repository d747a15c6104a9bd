// The polygon-geometry nodes of an evaluated subdivision level: faces grouped by shader, corners made
// into output vertices (one per point and distinct texture coordinates), triangles, vertex streams.
#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "core/Log.h"
#include "geometry/LargePages.h"
#include "geometry/MeshData.h"
#include "geometry/SkinPolygonGeometry.h"
#include "geometry/SubDivGeometry.h"
#include "geometry/SubDivParam.h"
#include "scene/SimpleTransform.h"
#include "scene/VertexDataUsage.h"

namespace PM {
namespace {

// Streams whose values all lie below this in magnitude are left out.
constexpr float kFloatThreshold = 0.0009765625f;

String NodeName(const String& name, const SubDivData& data, size_t shader) {
  String n = name;
  n.Append("__", 2);
  const String s = ShaderName(shader < data.shaders.size() ? data.shaders[shader].Get() : nullptr);
  n.Append(s.CStr(), s.Length());
  return n;
}

// The shader of a base face; a face without an entry, or with a negative one, counts as shader 0.
int32_t ShaderOf(const SubDivData& baseData, int32_t baseFace) {
  if (baseFace < 0 || baseFace >= baseData.faceShaders.Count()) return 0;
  return baseData.faceShaders[baseFace] < 0 ? 0 : baseData.faceShaders[baseFace];
}

// Whether every base face counts as shader 0 (ShaderOf): none has a shader entry above 0.
bool OnFirstShaderOnly(const SubDivData& baseData) {
  for (int32_t s : baseData.faceShaders)
    if (s > 0) return false;
  return true;
}

// The output arrays go to the geometry, which keeps them until it lets them go: their blocks then come
// back to the thread's store (ReserveReturningSubDivScratch), where the next build finds them mapped in; a
// fresh one is mapped in whole before it is written (see PopulateForWrite). A small one keeps the capacity
// its plain form gave: SetCount grows an empty array to at least four. Every element is written by the
// caller.
template <class E>
Array<E> FreshArray(int32_t count) {
  Array<E> out;
  if (count <= 4) {
    out.SetCount(count);
    return out;
  }
  ReserveReturningSubDivScratch(out, count);
  PopulateForWrite(out.Data(), sizeof(E) * size_t(count));
  out.SetCountForOverwrite(count);
  return out;
}

template <class E>
Array<E> CopyOf(const Array<E>& values) {
  if (values.Count() <= 4) return Array<E>(values);
  Array<E> out = FreshArray<E>(values.Count());
  std::copy(values.begin(), values.end(), out.begin());
  return out;
}

// A corner array handed on as it is when no later shader reads it and its room is mostly filled; otherwise
// a copy of its size, as the room of a shader that met few of the points would be held for nothing.
template <class E>
Array<E> HandedOn(Array<E>& values, bool lastReader) {
  if (lastReader && values.Capacity() - values.Count() <= values.Count() / 4) return std::move(values);
  return CopyOf(values);
}

template <class E>
Array<E> Gather(const Array<E>& values, const Array<int32_t>& index) {
  const int32_t n = index.Count(), count = values.Count();
  Array<E> out = FreshArray<E>(n);
  // Plain pointers and counts: each store through the array would have the next element fetch both
  // arrays' counts again.
  const int32_t* const from = index.Data();
  const E* const value = values.Data();
  E* const to = out.Data();
  for (int32_t i = 0; i < n; ++i) {
    const int32_t v = from[i];
    to[i] = uint32_t(v) < uint32_t(count) ? value[v] : E{};
  }
  return out;
}

// Four values whose first three floats are wanted (x y z and one float after) packed into twelve floats,
// stored as three four-float values. The floats are moved, not computed: every bit stays.
[[gnu::always_inline]] inline void StoreFourThrees(float* to, __m128 a, __m128 b, __m128 c, __m128 d) {
  const __m128 za = _mm_shuffle_ps(a, b, _MM_SHUFFLE(0, 0, 2, 2));  // za za xb xb
  const __m128 zc = _mm_shuffle_ps(c, d, _MM_SHUFFLE(0, 0, 2, 2));  // zc zc xd xd
  _mm_storeu_ps(to, _mm_shuffle_ps(a, za, _MM_SHUFFLE(2, 0, 1, 0)));
  _mm_storeu_ps(to + 4, _mm_shuffle_ps(b, c, _MM_SHUFFLE(1, 0, 2, 1)));
  _mm_storeu_ps(to + 8, _mm_shuffle_ps(zc, d, _MM_SHUFFLE(2, 1, 2, 0)));
}

// Gather of the positions and of the normals by one index list, in one sweep: each index read once. Four
// entries at a time whose points all lie below the last of both arrays are read as four-float values (the
// fourth float is the next point's x) and written as three four-float values an array, rather than a
// two-float and a one-float store each.
void HandPositionsAndNormals(SPolygonGeometry_I* g, const SubDivData& out, const Array<int32_t>& index) {
  const int32_t n = index.Count(), positionCount = out.positions.Count(), normalCount = out.normals.Count();
  Array<Vector3f> positions = FreshArray<Vector3f>(n), normals = FreshArray<Vector3f>(n);
  const int32_t* const from = index.Data();
  const Vector3f* const position = out.positions.Data();
  const Vector3f* const normal = out.normals.Data();
  Vector3f* const toPosition = positions.Data();
  Vector3f* const toNormal = normals.Data();
  // Below this (unsigned) a point has another after it in both arrays.
  const int32_t below = std::max(std::min(positionCount, normalCount) - 1, 0);
  const __m128i bias = _mm_set1_epi32(INT32_MIN), limit = _mm_set1_epi32(below ^ INT32_MIN);
  int32_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i at = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)), bias);
    if (_mm_movemask_epi8(_mm_cmplt_epi32(at, limit)) == 0xFFFF) {
      const int32_t v0 = from[i], v1 = from[i + 1], v2 = from[i + 2], v3 = from[i + 3];
      StoreFourThrees(&toPosition[i].x, _mm_loadu_ps(&position[v0].x), _mm_loadu_ps(&position[v1].x),
                      _mm_loadu_ps(&position[v2].x), _mm_loadu_ps(&position[v3].x));
      StoreFourThrees(&toNormal[i].x, _mm_loadu_ps(&normal[v0].x), _mm_loadu_ps(&normal[v1].x),
                      _mm_loadu_ps(&normal[v2].x), _mm_loadu_ps(&normal[v3].x));
      continue;
    }
    for (int32_t j = i; j < i + 4; ++j) {
      const int32_t v = from[j];
      toPosition[j] = uint32_t(v) < uint32_t(positionCount) ? position[v] : Vector3f{};
      toNormal[j] = uint32_t(v) < uint32_t(normalCount) ? normal[v] : Vector3f{};
    }
  }
  for (; i < n; ++i) {
    const int32_t v = from[i];
    toPosition[i] = uint32_t(v) < uint32_t(positionCount) ? position[v] : Vector3f{};
    toNormal[i] = uint32_t(v) < uint32_t(normalCount) ? normal[v] : Vector3f{};
  }
  g->TakeVertexArray(std::move(positions));
  g->TakeNormalArray(std::move(normals));
}

template <class V, class E>
void AppendStream(SPolygonGeometry_I* g, uint32_t usage, Array<E>&& data) {
  Obj<V> v(static_cast<V*>(ScriptObject::Create(V::kClassId)));
  if (v.IsNil()) return;
  v->m_usage = usage;
  v->m_data = std::move(data);
  g->SetVertexDataAt(g->GetVertexDataCount(), v.Get());
}

// The S-geometry of a node; a script may have given it an S-node of another class.
SPolygonGeometry_I* GeometryOf(TPolygonGeometry_I* t) {
  ScriptObject* s = t->GetSNode();
  if (IsNilObject(s) || !s->IsA(SPolygonGeometry_I::kClassId)) {
    LogError("AssignSubDivToGeometry: \"", t->m_name, "\" has no polygon geometry.");
    return nullptr;
  }
  return static_cast<SPolygonGeometry_I*>(s);
}

bool AnyNonZero(const Array<Vector3f>& a) {
  for (const Vector3f& v : a)
    if (v.x != 0.0f || v.y != 0.0f || v.z != 0.0f) return true;
  return false;
}
bool AnyAbove(const Array<float>& a) {
  for (float v : a)
    if (v >= kFloatThreshold || v <= -kFloatThreshold) return true;
  return false;
}

bool NeedsSkin(const SubDivData& out) {
  for (const Array<float>& c : out.floatChannels)
    if (!c.IsEmpty()) return true;
  for (const Array<Vector3f>& c : out.vectorChannels)
    if (!c.IsEmpty()) return true;
  return false;
}

void SetBlendControl(SPolygonGeometry_I* g, size_t k, const SubDivData& baseData) {
  if (!g->IsA(SSkinPolygonGeometry_I::kClassId)) return;
  auto* skin = static_cast<SSkinPolygonGeometry_I*>(g);
  if (skin->m_blendControls.Count() <= int32_t(k)) skin->m_blendControls.Grow(int32_t(k) + 1);
  skin->m_blendControls[int32_t(k)] =
      k < baseData.vectorSources.size() ? baseData.vectorSources[k] : Obj<ScriptObject>();
}

// The corners of the level's faces as output vertices, shared by all shaders: one per point and
// distinct texture coordinates. Per vertex only what the streams read is kept (its coordinates and
// point) and the next vertex made for the same point.
struct Corners {
  static constexpr uint64_t kNever = ~uint64_t(0);
  // Per point: its first vertex, and the last (base face, parameter) pair (MadeBy) whose blend was
  // found to be one of its vertices, with that vertex. The blend is the same arithmetic on the same
  // values for every corner with that pair, so a later corner with it takes the vertex by the pair
  // alone. Around a point the corners of one base face come one after another, so the last pair
  // answers most corners; any other blends and searches.
  struct Head {
    uint64_t made;
    int32_t vertex;
    int32_t first;
  };
  std::vector<Array<Vector2f>> uv;  // per texture channel, per output vertex
  Array<int32_t> next, pointOf;
  Array<int32_t> localOf;  // per output vertex: its index in the shader being built, -1 for none
  SubDivScratchBuffer<Head> heads;
  int32_t points = 0;
  bool missed = false;          // a corner was given no vertex (-1): its point lies outside the level
  bool unlistedLogged = false;  // a parameter outside the table has been logged in this build
  std::vector<Vector2f> wanted;
  SubDivScratchBuffer<int32_t> table;  // the level's CornerTable, shared with the normals
  const Vector4f* params = SubDivParamTable::Entries();

  int32_t Count() const { return next.Count(); }
  // Room for one vertex per point and an eighth more for the seam copies: the vertices are appended one
  // at a time, and each growth of these arrays copied them and paged in fresh memory. The room comes
  // from the thread's SubDivScratch and goes back there, so the next level finds it paged in.
  static int32_t Room(int32_t points) { return points + points / 8; }
  // Called with uv sized: without texture coordinates a corner's vertex is its point, and no head is read.
  void Reserve(int32_t pointCount) {
    if (!uv.empty()) {
      points = pointCount;
      heads = SubDivScratchBuffer<Head>(size_t(pointCount));
      std::fill_n(heads.get(), size_t(pointCount), Head{kNever, -1, -1});
    }
    // The point list and the coordinates may go on to the level's data and the geometry as they are
    // (HandedOn), so their blocks come back to the store when those let them go.
    const int32_t room = Room(pointCount);
    for (Array<Vector2f>& t : uv) ReserveReturningSubDivScratch(t, room);
    ReserveReturningSubDivScratch(pointOf, room);
    ReserveSubDivScratch(next, room);
    ReserveSubDivScratch(localOf, room);
  }
  ~Corners() {
    EachGrowing([](auto& a) { KeepSubDivScratch(a); });
  }
  // The arrays that grow by one entry per output vertex.
  template <class F>
  void EachGrowing(F&& f) {
    for (Array<Vector2f>& t : uv) f(t);
    f(next);
    f(pointOf);
    f(localOf);
  }
  // Asks for the heads of face fi's points: the points of a face lie in three far-apart runs of the
  // level, so nothing in the face order lets the processor guess them.
  void FetchHeads(int32_t fi) const { FetchHeadsOf(table.get(), heads.get(), fi); }
  // Forced inline: a function of nothing but prefetches counts as free of effects, and GCC drops its calls.
  // The address is reckoned as a number: a request for a place outside the heads (a triangle's fourth
  // corner, -1) fetches nothing that matters and never faults, so no corner needs a test.
  [[gnu::always_inline]] static void FetchHeadsOf(const int32_t* table, const Head* heads, int32_t fi) {
    const uintptr_t at = reinterpret_cast<uintptr_t>(heads);
    for (int k = 0; k < 4; ++k) {
      const int64_t p = table[size_t(fi) * 4 + size_t(k)];
      const uintptr_t place = at + uintptr_t(p) * sizeof(Head);
      __builtin_prefetch(reinterpret_cast<const void*>(place));  // NOLINT(performance-no-int-to-ptr): see above
    }
  }
  // The weights of a parameter outside the table: none. Its error is logged at the first such corner of
  // the build alone, naming its value: a level with many of them would log a line for every corner blended.
  Vector4f UnlistedWeights(int32_t param) {
    if (!unlistedLogged) {
      unlistedLogged = true;
      LogError("SubDivParamTable: parameter ", param, " out of range.");
    }
    return {0.0f, 0.0f, 0.0f, 0.0f};
  }
  // The pair a corner's coordinates are blended from; kNever for a parameter outside the table, whose
  // corners blend every time.
  static uint64_t MadeBy(int32_t sourceFace, int32_t param) {
    if (uint32_t(param) >= uint32_t(SubDivParamTable::kEntries)) return kNever;
    return uint64_t(uint32_t(sourceFace)) << 32 | uint32_t(param);
  }
  // The output vertex at corner k (point p) of face f; the level passed its check, so p is one of its
  // points or, for no corner, negative.
  int32_t Vertex(const SubDivFace& f, int32_t p, int k, const SubDivData& baseData) {
    if (uint32_t(p) >= uint32_t(points)) return Missed();
    const uint64_t made = MadeBy(f.sourceFace, f.params[k]);
    const Head& head = heads[size_t(p)];
    if (made != kNever && head.made == made) return head.vertex;
    return Blend(f, p, k, made, baseData);
  }
  int32_t Missed() {
    missed = true;
    return -1;
  }
  static __m128 Lanes(const Vector4f& w) { return _mm_setr_ps(w.x, w.y, w.z, w.w); }
  static __m128 Load(const Vector2f& v) { return _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(&v)); }
  // Whether the two low lanes are equal.
  static bool Same(__m128 x, __m128 y) { return (_mm_movemask_ps(_mm_cmpeq_ps(x, y)) & 3) == 3; }
  // Vertex for a corner whose pair is not its point's last: the coordinates blended and looked up.
  int32_t Blend(const SubDivFace& f, int32_t p, int k, uint64_t made, const SubDivData& baseData) {
    Head& head = heads[size_t(p)];
    const int32_t param = f.params[k];
    const Vector4f w4 = uint32_t(param) < uint32_t(SubDivParamTable::kEntries) ? params[param] : UnlistedWeights(param);
    const float w[4] = {w4.x, w4.y, w4.z, w4.w};
    const SubDivFaceAttribute* a =
        f.sourceFace >= 0 && f.sourceFace < baseData.corners.Count() ? &baseData.corners[f.sourceFace] : nullptr;
    for (size_t c = 0; c < wanted.size(); ++c) {
      const Vector2f* const t = baseData.texCoordChannels[c].Data();
      const int32_t tn = baseData.texCoordChannels[c].Count();
      Vector2f v{0, 0};
      for (int j = 0; a && j < 4; ++j) {
        const int32_t u = a->corners[j];
        if (u < 0 || u >= tn) continue;
        v.x += w[j] * t[u].x;
        v.y += w[j] * t[u].y;
      }
      wanted[c] = v;
    }
    bool fresh = false;
    const int32_t u = Unique(head, fresh);
    // Coordinates holding a NaN match nothing, not even a corner blended from the same pair.
    if (made != kNever && (!fresh || HasWanted(u))) head = {made, u, head.first};
    return u;
  }
  // The vertex of point `head` with the wanted coordinates: a vertex made for the point before with
  // exactly these (NaN matching nothing), else a new one linked after its last (`fresh` set).
  int32_t Unique(Head& head, bool& fresh) {
    int32_t last = -1;
    for (int32_t u = head.first; u >= 0; u = next[u]) {
      if (HasWanted(u)) return u;
      last = u;
    }
    fresh = true;
    const int32_t n = Count();
    for (size_t c = 0; c < uv.size(); ++c) uv[c].Append(wanted[c]);
    (last >= 0 ? next[last] : head.first) = n;
    next.Append(-1);
    pointOf.Append(int32_t(&head - heads.get()));
    return n;
  }
  bool HasWanted(int32_t u) const {
    for (size_t c = 0; c < uv.size(); ++c)
      if (!(uv[c][u].x == wanted[c].x && uv[c][u].y == wanted[c].y)) return false;
    return true;
  }
};

// The faces a shader draws: a list, or (`every` at or above 0) every valid face below `every`, told by the
// corner table as the faces are written, so that no pass over the table lists them first.
struct ShaderFaces {
  std::span<const int32_t> list;
  int32_t every = -1;
  size_t Bound() const { return every >= 0 ? size_t(every) : list.size(); }
};

// The triangles of `faces` (two a quad) written to `to`, each face's corner vertices from
// `vertices(face, points, corner count, out)`; returns the count of indices written.
template <class F>
size_t WriteTriangles(ShaderFaces faces, const SubDivFace* records, Corners& corners, bool fetch, int32_t* to,
                      F&& vertices) {
  constexpr size_t kHeadsAhead = 8;
  const int32_t* const table = corners.table.get();
  const size_t bound = faces.Bound();
  size_t written = 0;
  for (size_t i = 0; i < bound; ++i) {
    // Of every face, a skipped one (its row all -1) draws nothing; its heads' request fetches nothing
    // that matters.
    if (fetch && i + kHeadsAhead < bound)
      corners.FetchHeads(faces.every >= 0 ? int32_t(i + kHeadsAhead) : faces.list[i + kHeadsAhead]);
    const int32_t f = faces.every >= 0 ? int32_t(i) : faces.list[i];
    if (faces.every >= 0 && table[size_t(f) * 4] < 0) continue;
    const SubDivFace& face = records[f];
    const int n = face.CornerCount();
    int32_t c[4];
    vertices(face, table + size_t(f) * 4, n, c);
    to[written] = c[0];
    to[written + 1] = c[1];
    to[written + 2] = c[2];
    written += 3;
    if (n == 4) {
      to[written] = c[0];
      to[written + 1] = c[2];
      to[written + 2] = c[3];
      written += 3;
    }
  }
  return written;
}

// The corners of the first shader with one texture channel that their point's last pair does not answer:
// Corners::Blend without the loops over channels, the two coordinates blended and compared in the two low
// lanes (each lane does one coordinate's operations in their order, so the bits are those of the scalar
// blend). Out of the corner loop, so that the loop keeps its own values in registers; the vertex arrays
// are written through plain pointers held here (built without strict aliasing, every store through the
// arrays had the next corner fetch their addresses again), their counts set at the end and before a growth.
class OneChannelBlend {
 public:
  using Head = Corners::Head;
  OneChannelBlend(const SubDivData& baseData, Corners& corners)
      : m_corners(corners),
        m_t(baseData.texCoordChannels[0].Data()),
        m_tn(baseData.texCoordChannels[0].Count()),
        m_attributes(baseData.corners.Count()),
        m_attribute(baseData.corners.Data()),
        m_params(corners.params),
        m_count(corners.Count()) {
    Refetch();
  }
  ~OneChannelBlend() { Settle(); }
  OneChannelBlend(const OneChannelBlend&) = delete;
  OneChannelBlend& operator=(const OneChannelBlend&) = delete;

  // The vertex at corner k (point p, `head` its head) of `face`. Here the common case: a listed parameter
  // and the base face whose four coordinates are kept, all in the channel. Nothing in it lives across a
  // call (the other cases and a growth go on out of line, as its last step), so it saves no registers.
  [[gnu::noinline]] int32_t Vertex(const SubDivFace& face, int32_t p, int k, Head& head) {
    const int32_t param = face.params[k];
    if (uint32_t(param) >= uint32_t(SubDivParamTable::kEntries) || int64_t(face.sourceFace) != m_wholeFace)
      return Blended(face, p, k, head);
    const __m128 w = _mm_loadu_ps(&m_params[param].x);
    __m128 v = _mm_setzero_ps();
    v = _mm_add_ps(v, _mm_mul_ps(_mm_shuffle_ps(w, w, _MM_SHUFFLE(0, 0, 0, 0)), m_values[0]));
    v = _mm_add_ps(v, _mm_mul_ps(_mm_shuffle_ps(w, w, _MM_SHUFFLE(1, 1, 1, 1)), m_values[1]));
    v = _mm_add_ps(v, _mm_mul_ps(_mm_shuffle_ps(w, w, _MM_SHUFFLE(2, 2, 2, 2)), m_values[2]));
    v = _mm_add_ps(v, _mm_mul_ps(_mm_shuffle_ps(w, w, _MM_SHUFFLE(3, 3, 3, 3)), m_values[3]));
    return Found(head, v, p, uint64_t(uint32_t(face.sourceFace)) << 32 | uint32_t(param));
  }

 private:
  // Vertex for every case: a parameter outside the table, a base face out of range, not yet looked up or
  // with a coordinate outside the channel.
  [[gnu::noinline]] int32_t Blended(const SubDivFace& face, int32_t p, int k, Head& head) {
    const int32_t param = face.params[k];
    const bool listed = uint32_t(param) < uint32_t(SubDivParamTable::kEntries);
    const uint64_t made = uint64_t(uint32_t(face.sourceFace)) << 32 | uint32_t(param);
    const __m128 w = listed ? _mm_loadu_ps(&m_params[param].x) : Corners::Lanes(m_corners.UnlistedWeights(param));
    __m128 v = _mm_setzero_ps();
    if (face.sourceFace >= 0 && face.sourceFace < m_attributes) {
      const SubDivFaceAttribute* const a = m_attribute + face.sourceFace;
      const __m128 weight[4] = {
          _mm_shuffle_ps(w, w, _MM_SHUFFLE(0, 0, 0, 0)), _mm_shuffle_ps(w, w, _MM_SHUFFLE(1, 1, 1, 1)),
          _mm_shuffle_ps(w, w, _MM_SHUFFLE(2, 2, 2, 2)), _mm_shuffle_ps(w, w, _MM_SHUFFLE(3, 3, 3, 3))};
      // The base face's four coordinates, looked up at its first blend and kept for the corners after.
      if (a != m_looked) Look(a);
      if (m_whole) {
        for (int j = 0; j < 4; ++j) v = _mm_add_ps(v, _mm_mul_ps(weight[j], m_values[j]));
      } else {
        for (int j = 0; j < 4; ++j) {
          const int32_t u = a->corners[j];
          if (uint32_t(u) < uint32_t(m_tn)) v = _mm_add_ps(v, _mm_mul_ps(weight[j], Corners::Load(m_t[u])));
        }
      }
    }
    return Found(head, v, p, listed ? made : Corners::kNever);
  }
  // The search of Unique over the one channel (NaN matches nothing), else a new vertex; `made`, unless
  // kNever, becomes the point's last pair.
  int32_t Found(Head& head, __m128 v, int32_t p, uint64_t made) {
    int32_t last = -1;
    for (int32_t u = head.first; u >= 0; u = m_next[u]) {
      if (Corners::Same(v, Corners::Load(m_uv[u]))) {
        if (made != Corners::kNever) head = {made, u, head.first};
        return u;
      }
      last = u;
    }
    // Coordinates holding a NaN match nothing, not even a corner blended from the same pair.
    return Make(head, last, v, p, Corners::Same(v, v) ? made : Corners::kNever);
  }
  void Look(const SubDivFaceAttribute* a) {
    m_looked = a;
    m_whole = true;
    for (int j = 0; j < 4; ++j) m_whole &= uint32_t(a->corners[j]) < uint32_t(m_tn);
    m_wholeFace = m_whole ? int64_t(a - m_attribute) : kNoFace;
    if (m_whole)
      for (int j = 0; j < 4; ++j) m_values[j] = Corners::Load(m_t[a->corners[j]]);
  }
  // A new vertex of point p with the coordinates in v's low lanes, linked after `last`. Past the arrays'
  // room they grow through their appends.
  int32_t Make(Head& head, int32_t last, __m128 v, int32_t p, uint64_t made) {
    const int32_t u = m_count;
    if (u >= m_room) return MakeGrowing(head, last, v, p, made);
    _mm_storel_pi(reinterpret_cast<__m64*>(&m_uv[u]), v);
    m_next[u] = -1;
    m_pointOf[u] = p;
    return Link(head, last, u, made);
  }
  int32_t Link(Head& head, int32_t last, int32_t u, uint64_t made) {
    m_count = u + 1;
    (last >= 0 ? m_next[last] : head.first) = u;
    if (made != Corners::kNever) head = {made, u, head.first};
    return u;
  }
  [[gnu::noinline, gnu::cold]] int32_t MakeGrowing(Head& head, int32_t last, __m128 v, int32_t p, uint64_t made) {
    const int32_t u = m_count;
    Vector2f c;
    _mm_storel_pi(reinterpret_cast<__m64*>(&c), v);
    Settle();
    m_corners.uv[0].Append(c);
    m_corners.next.Append(-1);
    m_corners.pointOf.Append(p);
    Refetch();
    return Link(head, last, u, made);
  }
  void Refetch() {
    m_uv = m_corners.uv[0].Data();
    m_next = m_corners.next.Data();
    m_pointOf = m_corners.pointOf.Data();
    m_room = std::min({m_corners.uv[0].Capacity(), m_corners.next.Capacity(), m_corners.pointOf.Capacity()});
  }
  void Settle() {
    m_corners.uv[0].SetCountForOverwrite(m_count);
    m_corners.next.SetCountForOverwrite(m_count);
    m_corners.pointOf.SetCountForOverwrite(m_count);
  }

  Corners& m_corners;
  const Vector2f* const m_t;
  const int32_t m_tn, m_attributes;
  const SubDivFaceAttribute* const m_attribute;
  const Vector4f* const m_params;
  Vector2f* m_uv = nullptr;
  int32_t* m_next = nullptr;
  int32_t* m_pointOf = nullptr;
  int32_t m_count, m_room = 0;
  const SubDivFaceAttribute* m_looked = nullptr;  // the base face whose coordinates m_values hold
  bool m_whole = false;                           // all four of them in the channel
  // m_looked's index when m_whole, else a value no base face index takes: one comparison tells a corner
  // whose blend may use m_values (its base face in range, looked up and whole).
  static constexpr int64_t kNoFace = INT64_MIN;
  int64_t m_wholeFace = kNoFace;
  __m128 m_values[4];
};

// WriteTriangles for the first shader with one texture channel, in a function of its own (inside the
// whole shader build, the loop's values went to the stack). A corner that its point's last pair answers
// takes the vertex here; the others blend out of line.
[[gnu::noinline]] size_t WriteOneChannel(ShaderFaces faces, const SubDivFace* records, const SubDivData& baseData,
                                         Corners& corners, int32_t* to) {
  const int32_t* const table = corners.table.get();
  Corners::Head* const heads = corners.heads.get();
  const uint32_t points = uint32_t(corners.points);
  OneChannelBlend blend(baseData, corners);
  bool missed = false;
  // `source` is the face's base face in the high half of a pair (MadeBy), taken once a face. A head holds
  // kNever or a pair with a listed parameter, so an unlisted parameter's pair matches none of them unless
  // both halves are all ones: only a face of base face -1 (kAnyFace) tests its parameters.
  auto vertex = [&]<bool kAnyFace>(const SubDivFace& face, uint64_t source, int32_t p, int k)
      __attribute__((always_inline)) {
    if (uint32_t(p) >= points) {
      missed = true;
      return -1;
    }
    const int32_t param = face.params[k];
    Corners::Head& head = heads[size_t(p)];
    if ((!kAnyFace || uint32_t(param) < uint32_t(SubDivParamTable::kEntries)) &&
        head.made == (source | uint32_t(param)))
      return head.vertex;
    return blend.Vertex(face, p, k, head);
  };
  // Each corner's vertex goes to both its places at once, so none is held across the blends' calls. A
  // triangle's second-triangle places lie inside the room (six a face) and the next face writes over them.
  // Returns the places after the face's.
  auto write = [&]<bool kAnyFace>(int32_t f, int32_t * t) __attribute__((always_inline)) {
    const SubDivFace& face = records[f];
    const int32_t* const p = table + size_t(f) * 4;
    const uint64_t source = uint64_t(uint32_t(face.sourceFace)) << 32;
    t[0] = t[3] = vertex.template operator()<kAnyFace>(face, source, p[0], 0);
    t[1] = vertex.template operator()<kAnyFace>(face, source, p[1], 1);
    t[2] = t[4] = vertex.template operator()<kAnyFace>(face, source, p[2], 2);
    if (!face.IsQuad()) return t + 3;
    t[5] = vertex.template operator()<kAnyFace>(face, source, p[3], 3);
    return t + 6;
  };
  auto face = [&](int32_t f, int32_t * t) __attribute__((always_inline)) {
    return records[f].sourceFace == -1 ? write.template operator()<true>(f, t) : write.template operator()<false>(f, t);
  };
  // The loop runs through pointers (an index and a count were kept on the stack across the blends' calls),
  // and the faces whose heads are asked for eight ahead in a loop of their own, with no test a face.
  constexpr size_t kHeadsAhead = 8;
  int32_t* t = to;
  if (faces.every >= 0) {
    // A skipped face's row is all -1: its heads' request fetches nothing that matters.
    const int32_t n = faces.every, ahead = n > int32_t(kHeadsAhead) ? n - int32_t(kHeadsAhead) : 0;
    int32_t f = 0;
    for (; f < ahead; ++f) {
      Corners::FetchHeadsOf(table, heads, f + int32_t(kHeadsAhead));
      if (table[size_t(f) * 4] >= 0) t = face(f, t);
    }
    for (; f < n; ++f)
      if (table[size_t(f) * 4] >= 0) t = face(f, t);
    if (missed) corners.missed = true;
    return size_t(t - to);
  }
  const int32_t* at = faces.list.data();
  const int32_t* const end = at + faces.list.size();
  const int32_t* const ahead = faces.list.size() > kHeadsAhead ? end - kHeadsAhead : at;
  for (; at != ahead; ++at) {
    Corners::FetchHeadsOf(table, heads, at[kHeadsAhead]);
    t = face(*at, t);
  }
  for (; at != end; ++at) t = face(*at, t);
  if (missed) corners.missed = true;
  return size_t(t - to);
}

void BuildShader(SPolygonGeometry_I* g, size_t shader, bool lastShader, ShaderFaces faces, const SubDivStructure& last,
                 const SubDivData& baseData, SubDivData& out, Corners& corners) {
  Array<int32_t> indices, vertices;  // vertices: output vertex per local index
  // -1 for every vertex between shaders: grown over all its room at once, and after a shader only the
  // entries it set are put back.
  Array<int32_t>& localOf = corners.localOf;
  const bool uv = !baseData.texCoordChannels.empty();
  // The first shader with coordinates makes every vertex it meets, at the corner that first meets it, so
  // its local indices are the vertices' own: no map, and its lists are the corner vertices' own.
  const bool own = uv && corners.Count() == 0;
  // Grown one vertex at a time: room up front saves the copies.
  const size_t room = faces.Bound();
  if (!own) ReserveSubDivScratch(vertices, int32_t(room + room / 4));
  auto local = [&](int32_t v) {
    if (own) return v;
    if (localOf.Count() <= v) localOf.SetCountFill(std::max(v + 1, localOf.Capacity()), -1);
    if (localOf[v] < 0) {
      localOf[v] = vertices.Count();
      vertices.Append(v);
    }
    return localOf[v];
  };
  // Two triangles at most per face: no growth copies of the index list, which is written through a
  // plain pointer and cut to its length after.
  ReserveReturningSubDivScratch(indices, int32_t(room) * 6);
  PopulateForWrite(indices.Data(), sizeof(int32_t) * room * 6);
  indices.SetCountForOverwrite(int32_t(room) * 6);
  int32_t* const to = indices.Data();
  const SubDivFace* const records = last.Faces.Data();
  // One texture channel, made into the shader's own vertices: the common case, without the loops over
  // channels and the map.
  const bool one = own && corners.uv.size() == 1;
  corners.missed = false;
  const size_t written =
      one ? WriteOneChannel(faces, records, baseData, corners, to)
          : WriteTriangles(faces, records, corners, uv, to,
                           [&](const SubDivFace& face, const int32_t* points, int n, int32_t* c) {
                             for (int k = 0; k < n; ++k)
                               c[k] = local(uv ? corners.Vertex(face, points[k], k, baseData) : points[k]);
                           });
  indices.SetCount(int32_t(written));
  for (int32_t v : vertices) localOf[v] = -1;
  if (out.shaderVertices.size() <= shader) out.shaderVertices.resize(shader + 1);
  // The point list is gathered straight into the level's data, which keeps it, rather than copied there.
  Array<int32_t>& points = out.shaderVertices[shader];
  points = own ? HandedOn(corners.pointOf, lastShader) : uv ? Gather(corners.pointOf, vertices) : vertices;

  g->SetPrimType(PrimitiveType::kTriangle);
  g->SetPrimCount(indices.Count() / 3);
  // Every vertex of the shader is met at a corner, so the highest index is the last vertex, and an index
  // below 0 is a corner given none: the list goes to the geometry without a scan.
  const int64_t bound = own ? corners.Count() : vertices.Count();
  const bool negative = corners.missed;
  // Room was reserved for quads: a list of mostly triangles is copied to its size rather than kept.
  if (indices.Capacity() - indices.Count() > indices.Count() / 4)
    g->TakeIndexArray(Array<int32_t>(indices), bound, negative);
  else
    g->TakeIndexArray(std::move(indices), bound, negative);
  HandPositionsAndNormals(g, out, points);
  g->RemoveVertexData(0, -1);
  for (size_t k = 0; uv && k < corners.uv.size(); ++k)
    AppendStream<VertexDataVector2f_I>(g, VertexUsageWord(kVertexUsageTexCoords, uint32_t(k)),
                                       own ? HandedOn(corners.uv[k], lastShader) : Gather(corners.uv[k], vertices));
  for (size_t k = 0; k < out.floatChannels.size(); ++k) {
    Array<float> values = Gather(out.floatChannels[k], points);
    if (AnyAbove(values))
      AppendStream<VertexDataF32_I>(g, VertexUsageWord(kVertexUsageJointWeights, uint32_t(k)), std::move(values));
  }
  for (size_t k = 0; k < out.vectorChannels.size(); ++k) {
    Array<Vector3f> deltas = Gather(out.vectorChannels[k], points);
    if (!AnyNonZero(deltas)) continue;
    AppendStream<VertexDataVector3f_I>(g, VertexUsageWord(kVertexUsagePositionDeltas, uint32_t(k)), std::move(deltas));
    SetBlendControl(g, k, baseData);
    if (k < out.normalDeltas.size() && !out.normalDeltas[k].IsEmpty()) {
      Array<Vector3f> normals = Gather(out.normalDeltas[k], points);
      if (AnyNonZero(normals))
        AppendStream<VertexDataVector3f_I>(g, VertexUsageWord(kVertexUsageNormalDeltas, uint32_t(k)),
                                           std::move(normals));
    }
  }
  if (!g->Validate()) LogError("AssignSubDivToGeometry: geometry validate failed.");
  // The working lists go back to the thread's store (the index list the geometry held before, when it
  // took this one).
  KeepSubDivScratch(indices);
  KeepSubDivScratch(vertices);
}

}  // namespace

TPolygonGeometry_I* SubDivGeometry::FindOrCreateNode(TBranch_I* parent, const String& name, bool skinned) {
  for (int32_t i = 0; i < parent->ChildCount(); ++i) {
    ScriptObject* c = parent->GetChild(i);
    // Only a geometry node can take the arrays; another child of the same name is passed over.
    if (!IsNilObject(c) && c->IsA(TPolygonGeometry_I::kClassId) && static_cast<Object_I*>(c)->m_name == name)
      return static_cast<TPolygonGeometry_I*>(c);
  }
  const uint32_t cls = skinned ? TSkinPolygonGeometry_I::kClassId : TPolygonGeometry_I::kClassId;
  Obj<TPolygonGeometry_I> node(static_cast<TPolygonGeometry_I*>(ScriptObject::Create(cls)));
  if (node.IsNil()) return nullptr;
  SetNodeName(node.Get(), name);
  node->SetParent(parent);  // the parent holds it from here on
  return node.Get();
}

void AssignSubDivToGeometry(Obj<TBranch_I>& node, const SubDivStructure& last, const SubDivData& baseData,
                            const String& name, SubDivData& out, TBranch_I* parent, SubDivLevelChecked* checked) {
  const SubDivScratchCall call;
  Corners corners;
  const bool known = checked && checked->Take(last, &corners.table);
  if (!known && !last.CheckReferences("AssignSubDivToGeometry")) return;
  if (!corners.table.get()) corners.table = last.CornerTable();
  // Seam copies share the normal of their point (the copy flag).
  SubDivGeometry::EvaluateWithMorphs(last, baseData, out, true, corners.table.get());

  // The valid faces grouped by shader, each group in face order.
  const size_t shaders = baseData.shaders.size();
  const int32_t faceCount = last.Faces.Count();
  std::vector<size_t> groupEnd(shaders + 1, 0);
  SubDivScratchBuffer<int32_t> grouped;
  // Where every valid face is the first shader's, its faces are told by the corner table as they are
  // written and the other shaders draw none: nothing to list, and no pass over the faces.
  const bool firstOnly = shaders > 0 && OnFirstShaderOnly(baseData);
  if (!firstOnly) {
    // Counted, then placed. The records are read once, for the counts; the placing reads the shader
    // each face was counted under.
    SubDivScratchBuffer<uint32_t> shaderOf{size_t(faceCount)};  // `shaders` for a face no node draws
    for (int32_t f = 0; f < faceCount; ++f) {
      const SubDivFace& face = last.Faces[f];
      const size_t s = face.IsValid() ? size_t(ShaderOf(baseData, face.sourceFace)) : shaders;
      shaderOf[size_t(f)] = uint32_t(s < shaders ? s : shaders);
      if (s < shaders) ++groupEnd[s + 1];
    }
    for (size_t s = 0; s < shaders; ++s) groupEnd[s + 1] += groupEnd[s];
    grouped = SubDivScratchBuffer<int32_t>(groupEnd[shaders]);
    std::vector<size_t> placed(groupEnd.begin(), groupEnd.end() - 1);
    for (int32_t f = 0; f < faceCount; ++f)
      if (const size_t s = shaderOf[size_t(f)]; s < shaders) grouped[placed[s]++] = f;
  }

  node = parent;
  if (node.IsNil()) node = Obj<TBranch_I>(static_cast<TBranch_I*>(ScriptObject::Create(TSimpleTransform_I::kClassId)));
  if (node.IsNil()) return;
  SetNodeName(node.Get(), name);
  out.shaders = baseData.shaders;
  out.shaderVertices.clear();

  const bool skinned = NeedsSkin(out);
  corners.uv.resize(baseData.texCoordChannels.size());
  corners.wanted.resize(baseData.texCoordChannels.size());
  corners.Reserve(last.Points.Count());
  for (size_t s = 0; s < shaders; ++s) {
    TPolygonGeometry_I* g = SubDivGeometry::FindOrCreateNode(node.Get(), NodeName(name, baseData, s), skinned);
    SPolygonGeometry_I* sg = g ? GeometryOf(g) : nullptr;
    if (!sg) continue;
    g->SetShader(baseData.shaders[s].Get());
    const ShaderFaces faces = firstOnly && s == 0
                                  ? ShaderFaces{{}, faceCount}
                                  : ShaderFaces{{grouped.get() + groupEnd[s], groupEnd[s + 1] - groupEnd[s]}};
    BuildShader(sg, s, s + 1 == shaders, faces, last, baseData, out, corners);
  }
  const int32_t unique = baseData.texCoordChannels.empty() ? out.vertexCount : corners.Count();
  LogDebug("SubDiv: ", unique, " unique vertices.");
}

void SubDivGeometry::Refresh(Obj<TBranch_I>& node, const SubDivStructure& last, const SubDivData& baseData,
                             const String& name, SubDivData& out, TBranch_I* parent) {
  node = parent;
  if (node.IsNil()) return;
  if (!last.CheckReferences("SubDivGeometry::Refresh")) return;
  // The positions are taken as they stand: vertex generators have written them.
  EvaluateWithMorphs(last, baseData, out, false, last.CornerTable().get());
  const bool skinned = NeedsSkin(out);
  for (size_t s = 0; s < baseData.shaders.size(); ++s) {
    TPolygonGeometry_I* g = FindOrCreateNode(node.Get(), NodeName(name, baseData, s), skinned);
    if (!g) continue;
    static const Array<int32_t> kNone;
    const Array<int32_t>& points = s < out.shaderVertices.size() ? out.shaderVertices[s] : kNone;
    SPolygonGeometry_I* sg = GeometryOf(g);
    if (!sg) continue;
    HandPositionsAndNormals(sg, out, points);
  }
}

}  // namespace PM
