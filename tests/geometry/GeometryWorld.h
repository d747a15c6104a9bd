// Shared fixture of the geometry tests: the engine world, polygon geometries built from short lists,
// and the primitive type ids.
#pragma once

#include <initializer_list>

#include "geometry/PolygonGeometry.h"
#include "scene/EngineWorld.h"

namespace PM::Test {

inline constexpr uint32_t kPoint = PrimTypeId(1), kLine = PrimTypeId(2), kTriangle = PrimTypeId(3),
                          kQuad = PrimTypeId(4), kPolygon = PrimTypeId(5), kTriangleStrip = PrimTypeId(6),
                          kTriangleFan = PrimTypeId(7), kQuadStrip = PrimTypeId(8), kLineStrip = PrimTypeId(9),
                          kStripAndTriangles = PrimTypeId(11);

// One geometry as a test describes it; vertex i lies at (i, i * i, 1).
struct Mesh {
  uint32_t type = kTriangle;
  int32_t primCount = 0;
  std::initializer_list<int32_t> lengths = {};
  std::initializer_list<int32_t> indices = {};
  int vertices = 0;
  int normals = 0;
};

class GeometryWorld : public EngineWorldTest {
 protected:
  template <class T>
  static Obj<T> New() {
    return Obj<T>(static_cast<T*>(ScriptObject::Create(T::kClassId)));
  }
  static Array<int32_t> Ints(std::initializer_list<int32_t> v) {
    Array<int32_t> a;
    for (int32_t i : v) a.Append(i);
    return a;
  }
  static Array<Vector3f> Points(int n, float z = 1.0f) {
    Array<Vector3f> a;
    for (int i = 0; i < n; ++i) a.Append(Vector3f{float(i), float(i * i), z});
    return a;
  }
  // Fills g through its setters, as a script does.
  static void Fill(SPolygonGeometry_I* g, const Mesh& m) {
    g->SetPrimType(m.type);
    g->SetPrimCount(m.primCount);
    g->SetPrimLengthArray(Ints(m.lengths));
    g->SetIndexArray(Ints(m.indices));
    g->SetVertexArray(Points(m.vertices));
    g->SetNormalArray(Points(m.normals, -1.0f));
  }
  static Obj<SPolygonGeometry_I> MakeS(const Mesh& m) {
    Obj<SPolygonGeometry_I> g = New<SPolygonGeometry_I>();
    Fill(g, m);
    return g;
  }
  // A typed stream with `n` elements and the usage word.
  template <class V>
  static Obj<V> Stream(uint32_t usage, int n) {
    Obj<V> v = New<V>();
    v->m_usage = usage;
    v->m_data.Grow(n);
    return v;
  }
};

}  // namespace PM::Test
