// A mesh whose faces all count as the first shader takes its geometry's faces from the corner table
// alone: it must draw exactly what the grouping by each face's shader draws.
#include "MeshWorld.h"
#include "geometry/MeshToSubDiv.h"
#include "geometry/SubDivGeometry.h"

namespace PM::Test {
namespace {

using SubDivShaderGroups = MeshWorld;

TEST_F(SubDivShaderGroups, FacesAllOnTheFirstShaderAreThoseTheGroupingDraws) {
  // Two quads, a triangle and a refused pentagon, which the base level itself still holds.
  MeshText t;
  for (int i = 0; i < 10; ++i) t.points.push_back({float(i % 5), float(i / 5), 0.1f * float(i % 3)});
  t.faces = {{0, 1, 6, 5}, {1, 2, 7, 6}, {2, 3, 7}, {3, 4, 9, 8, 7}};
  for (size_t f = 0; f < t.faces.size(); ++f) {
    t.uvs.emplace_back();
    for (size_t k = 0; k < t.faces[f].size(); ++k)
      t.uvs[f].push_back({float(f) + 0.5f * float(k), float(t.faces[f][k] % 2)});
  }
  t.shaders = {"red"};
  // No entries, none above 0, and one above 0 on the refused face: the grouping, drawing the same.
  const std::vector<int> faceShaders[] = {{}, {0, -1, 0, 0}, {0, 0, -2, 1}};
  for (int levels = 0; levels <= 2; ++levels) {
    std::string first;
    for (const std::vector<int>& shaders : faceShaders) {
      const int v = int(&shaders - faceShaders);
      SCOPED_TRACE(testing::Message() << "variant " << v << " at level " << levels);
      t.faceShaders = shaders;
      auto [m, d] = Build(t, std::string("v").append(std::to_string(v)).append("l").append(std::to_string(levels)));
      ASSERT_TRUE(m && d);
      SubDivStructure base, last;
      SubDivData baseData, out;
      AssignMeshToSubDiv(*m, *d, base, baseData, "g");
      last = base;
      for (int l = 0; l < levels; ++l) {
        SubDivStructure next;
        last.SubDivide(next, "g");
        last = std::move(next);
      }
      AssignSubDivToGeometry(base, last, baseData, "g", out);
      Obj<TBranch_I> node;
      AssignSubDivToGeometry(node, last, baseData, "g", out, nullptr);
      ASSERT_EQ(node->ChildCount(), 1);
      auto* g = static_cast<SPolygonGeometry_I*>(static_cast<TPolygonGeometry_I*>(node->GetChild(0))->GetSNode());
      // The base quads make two triangles each and the triangle one; each step makes four quads of a
      // quad and three of a triangle.
      EXPECT_EQ(g->m_primCount, levels == 0 ? 5 : 22 << (2 * (levels - 1)));
      std::string bytes;
      auto add = [&](const auto& a) {
        bytes.append(reinterpret_cast<const char*>(a.Data()), sizeof(*a.Data()) * size_t(a.Count()));
      };
      add(g->m_indices);
      add(g->m_vertices);
      add(g->m_normals);
      add(static_cast<VertexDataVector2f_I*>(g->GetVertexDataAt(0))->m_data);
      if (first.empty()) first = bytes;
      EXPECT_EQ(bytes, first);
    }
  }
}

}  // namespace
}  // namespace PM::Test
