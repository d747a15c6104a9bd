// SPolygonGeometry and TPolygonGeometry: indexed or plain primitives over a vertex array, with
// normals and extra vertex streams. The S-side keeps its derived state (index bounds, triangle count,
// usage tables, draw record) in step with its members and hands itself to a render engine.
#pragma once

#include <optional>

#include "engine/PolygonData.h"
#include "engine/RenderPolygonCache.h"
#include "geometry/Geometry.h"
#include "geometry/TriangleQuery.h"
#include "scene/VertexData.h"
#include "scene/VertexDataUsage.h"

namespace PM {

class SPolygonGeometry_I
    : public EngineClass<SPolygonGeometry_I, SGeometry_I, ClassId::SPolygonGeometry, "SPolygonGeometry"> {
 public:
  static void Define();

  // Usage kinds 0 to 12 address a table each; the usage word is kind << 16 | slot.
  static constexpr int kUsageKinds = int(kVertexUsageKindCount);

  SPolygonGeometry_I() = default;
  ~SPolygonGeometry_I();

  int32_t Draw(RenderEngine* engine, const Vector4f* colors) override;
  // True when the members are consistent; every fault found is logged.
  virtual bool Validate();
  virtual int32_t GetTriangleCount() { return m_triangleCount; }
  // Hands the triangles to query->TestTriangle until one answers nonzero; returns that answer, else 0.
  virtual int32_t IntersectRay(TriangleQuery* query);
  virtual void GetBoundingSphere(Spheref* out) { ComputeBoundingSphere(out); }
  // Passes the change flags on to the engine's cache, when there is one.
  virtual void NotifyPolygonCache(uint32_t flags);
  virtual int32_t FindVertexDataIndex(uint32_t usage);
  virtual VertexData_I* FindVertexData(uint32_t usage);
  // The sphere of the positions; skinned geometry bounds its deformed mesh instead.
  virtual void ComputeBoundingSphere(Spheref* out);
  // Sorts the VertexData entries into the usage tables; of equal usages the lowest index wins.
  virtual void BuildRenderData();

  // Member setters: each keeps the derived state and marks the draw record stale.
  uint32_t GetPrimType() const { return m_primType; }
  void SetPrimType(uint32_t type);
  int32_t GetPrimCount() const { return m_primCount; }
  void SetPrimCount(int32_t count);
  void SetPrimLengthArray(const Array<int32_t>& lengths);
  void SetIndexArray(const Array<int32_t>& indices) { TakeIndexArray(Array<int32_t>(indices)); }
  void SetVertexArray(const Array<Vector3f>& vertices) { TakeVertexArray(Array<Vector3f>(vertices)); }
  void SetNormalArray(const Array<Vector3f>& normals) { TakeNormalArray(Array<Vector3f>(normals)); }
  // The same setters for arrays the caller has built and hands over: their blocks move in uncopied.
  // Each tells the engine's cache to refill its stream: a block freed since the last draw can come back
  // at the same address with the same count, which the cache alone would take for the array it holds.
  void TakeIndexArray(Array<int32_t>&& indices);
  // TakeIndexArray for a caller that wrote the list and knows what a scan of it would find: `bound` the
  // highest index + 1 (0 for none), `negative` whether any index is below 0.
  void TakeIndexArray(Array<int32_t>&& indices, int64_t bound, bool negative);
  void TakeVertexArray(Array<Vector3f>&& vertices);
  void TakeNormalArray(Array<Vector3f>&& normals);
  VertexData_I* GetVertexDataAt(int32_t index);
  void SetVertexDataAt(int32_t index, VertexData_I* data);
  int32_t GetVertexDataCount() { return m_vertexData.Count(); }
  void RemoveVertexData(int32_t start, int32_t count);

  // Counts the triangles into m_triangleCount; false (logged) on a length the type cannot have.
  bool CountTriangles();

  uint32_t m_primType = PrimitiveType::kTriangle;
  int32_t m_primCount = 0;
  Array<int32_t> m_primLengths;
  Array<int32_t> m_indices;  // empty: the vertices are taken in order
  Array<Vector3f> m_vertices;
  Array<Vector3f> m_normals;  // empty, one for all, or one per vertex
  Array<Obj<VertexData_I>> m_usageTables[kUsageKinds];
  Array<Obj<VertexData_I>> m_vertexData;
  bool m_tablesBuilt = false;
  int32_t m_triangleCount = 0;
  // Kept by the setters, in 64 bits so that huge script values fail validation instead of wrapping.
  int64_t m_indexTotal = 0;  // sum of the lengths
  int64_t m_indexBound = 0;  // highest index + 1; 0 for no indices
  bool m_negativeIndex = false;
  bool m_negativeLength = false;
  bool m_upToDate = false;
  PolygonData m_polygonData;
  Ptr<RenderPolygonCache> m_polygonCache;
  // The colour and texture-coordinate blocks the last draw bound, held so that no new array can be given
  // one of their addresses while the cache remembers it.
  Ptr<const Vector4f> m_boundColors;
  Ptr<const Vector2f> m_boundTexCoords[2];
  // Draw-side state: the index list of non-indexed geometry, and whether the record may go to an
  // engine (refusals are logged once per change).
  Array<uint32_t> m_sequence;
  bool m_drawable = false;
  bool m_refusalLogged = false;

 protected:
  // Words 0-7 of the draw record from the members, the triangle count, and whether it may be drawn.
  void RefreshPolygonData();
  // Refreshes the record when stale and counts the material pass's triangles; false when the record
  // must not go to an engine (logged once per change).
  bool RefreshForDraw(int32_t mode);
  // Words 8, 10 and 11 of the draw record from the streams the engine's pass asks for; a stream bound
  // from another block than at the last draw is marked in the cache.
  void BindPassStreams(RenderEngine* engine);
  // Passes 2 and 3: the record in white without normals, colours or texture coordinates.
  void DrawPlainPass(RenderEngine* engine, int32_t mode);
  // The triangle walk of IntersectRay over the given vertex arrays.
  int32_t WalkTriangles(TriangleQuery* query, const Vector3f* positions, int32_t count, const Vector3f* normals);

 private:
  int32_t DrawEngine(RenderEngine* engine, const Vector4f* colors);
  bool IndicesInsideArrays() const;
  // The indices the record's primitives take when each takes a fixed number (points, lines, triangles,
  // quads); none for the types whose lengths come from the length array.
  std::optional<int64_t> FixedIndexCount() const;
  // The data of the stream a pass-state word names, when it is of class `classId` and covers every vertex.
  const void* PassStream(uint32_t word, uint32_t classId) const;
  // Holds the streams the record binds in place of those held and marks them in the cache.
  [[gnu::noinline]] void HoldBoundStreams();
  void MarkChanged();
};

class TPolygonGeometry_I : public EngineClass<TPolygonGeometry_I, TGeometry_I, ClassId::TPolygonGeometry,
                                              "TPolygonGeometry", SPolygonGeometry_I> {
 public:
  // The node's bounding sphere becomes that of its S-geometry.
  void OnUpdate() override;
};

}  // namespace PM
