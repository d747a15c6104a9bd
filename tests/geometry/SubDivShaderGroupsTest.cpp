// The faces a subdivided level's geometry draws per shader: a mesh whose faces all count as the first
// shader takes them from the corner table alone, and must draw exactly what the grouping by each
// face's shader draws.
#include "MeshWorld.h"
#include "geometry/MeshToSubDiv.h"
#include "geometry/SubDivGeometry.h"

namespace PM::Test {
namespace {

using SubDivShaderGroups = MeshWorld;

// Every byte of the geometry children under `node`, in order.
std::string GeometryBytes(TBranch_I* node) {
  std::string bytes;
  auto add = [&](const auto& a) {
    bytes += std::to_string(a.Count()) + ":";
    bytes.append(reinterpret_cast<const char*>(a.Data()), sizeof(*a.Data()) * size_t(a.Count()));
  };
  for (int i = 0; i < node->ChildCount(); ++i) {
    auto* t = static_cast<TPolygonGeometry_I*>(node->GetChild(i));
    auto* g = static_cast<SPolygonGeometry_I*>(t->GetSNode());
    bytes += std::to_string(g->m_primCount) + "/";
    add(g->m_indices);
    add(g->m_vertices);
    add(g->m_normals);
    for (int k = 0; k < g->GetVertexDataCount(); ++k)
      add(static_cast<VertexDataVector2f_I*>(g->GetVertexDataAt(k))->m_data);
  }
  return bytes;
}

TEST_F(SubDivShaderGroups, FacesAllOnTheFirstShaderAreThoseTheGroupingDraws) {
  // Two quads, a triangle and a refused pentagon; the base level itself still holds the refused face.
  MeshText t;
  for (int i = 0; i < 10; ++i) t.points.push_back({float(i % 5), float(i / 5), 0.1f * float(i % 3)});
  t.faces = {{0, 1, 6, 5}, {1, 2, 7, 6}, {2, 3, 7}, {3, 4, 9, 8, 7}};
  for (size_t f = 0; f < t.faces.size(); ++f) {
    std::vector<Vector2f> c;
    for (size_t k = 0; k < t.faces[f].size(); ++k) c.push_back({float(f) + 0.5f * float(k), float(t.faces[f][k] % 2)});
    t.uvs.push_back(c);
  }
  t.shaders = {"red"};
  // All on the first shader: no entries, or none above 0. The grouping is taken when an entry is above
  // 0; on the refused face it changes nothing drawn.
  struct Variant {
    const char* name;
    std::vector<int> faceShaders;
  };
  const Variant variants[] = {{"none", {}}, {"zero or below", {0, -1, 0, 0}}, {"grouped", {0, 0, -2, 1}}};
  for (int levels = 0; levels <= 2; ++levels) {
    std::string first;
    for (const Variant& v : variants) {
      SCOPED_TRACE(std::string(v.name) + " at level " + std::to_string(levels));
      MeshText mt = t;
      mt.faceShaders = v.faceShaders;
      auto [m, d] = Build(mt, "v" + std::to_string(&v - variants) + "l" + std::to_string(levels));
      ASSERT_TRUE(m && d);
      SubDivStructure base, last;
      SubDivData baseData, out;
      AssignMeshToSubDiv(*m, *d, base, baseData, "g");
      if (levels == 0) {
        last = base;
      } else {
        base.SubDivide(last, "g");
        for (int l = 1; l < levels; ++l) {
          SubDivStructure next;
          last.SubDivide(next, "g");
          last = std::move(next);
        }
      }
      AssignSubDivToGeometry(base, last, baseData, "g", out);
      Obj<TBranch_I> node;
      AssignSubDivToGeometry(node, last, baseData, "g", out, nullptr);
      ASSERT_FALSE(node.IsNil());
      ASSERT_EQ(node->ChildCount(), 1);
      // The base quads make two triangles each and the triangle one; a step makes four quads of a
      // quad and three of a triangle, each drawn as two triangles.
      const int triangles = levels == 0 ? 5 : 11 * (1 << (2 * (levels - 1))) * 2;
      auto* g = static_cast<SPolygonGeometry_I*>(static_cast<TPolygonGeometry_I*>(node->GetChild(0))->GetSNode());
      EXPECT_EQ(g->m_primCount, triangles);
      const std::string bytes = GeometryBytes(node.Get());
      if (first.empty())
        first = bytes;
      else
        EXPECT_EQ(bytes, first);
    }
  }
}

}  // namespace
}  // namespace PM::Test
