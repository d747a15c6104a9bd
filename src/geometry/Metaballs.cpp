#include "geometry/Metaballs.h"

#include "classes/EngineClassRegistry.h"
#include "script/object/MemberAccess.h"

namespace PM {

namespace {

// The polygon geometry's members the generated mesh is set through.
enum : uint32_t {
  kMemberPrimType = 0x01FFF076,
  kMemberPrimCount = 0x02FFF076,
  kMemberIndexArray = 0x04FFF076,
  kMemberVertexArray = 0x06FFF076,
  kMemberNormalArray = 0x07FFF076,
};

}  // namespace

void SMetaballs_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SMetaballs_I>(),
      ConcreteClass<TMetaballs_I>(),
  };
  DefineClasses(classes);
}

void SMetaballs_I::SetCellSize(float size) { m_cellSize = size >= kMinCellSize ? size : kMinCellSize; }

void SMetaballs_I::SetSpheres(const Array<Vector4f>& spheres) {
  m_grids.clear();
  MetaballGrid grid;
  if (grid.Build(spheres, m_cellSize, "SMetaballs::SetSpheres")) m_grids.push_back(std::move(grid));
}

void SMetaballs_I::Polygonize(float isoLevel) {
  m_isoLevel = isoLevel;
  m_mesh = MetaballMesh();
  if (!m_grids.empty()) m_grids.front().Polygonize(isoLevel, &m_mesh);
  MemberSetArray<VVector3f>(this, kMemberVertexArray, m_mesh.positions);
  MemberSetArray<VI32>(this, kMemberIndexArray, m_mesh.indices);
  MemberSetArray<VVector3f>(this, kMemberNormalArray, m_mesh.normals);
  MemberSet<VI32>(this, kMemberPrimCount, m_mesh.positions.Count() / 3);
  MemberSet<VEnum>(this, kMemberPrimType, PrimitiveType::kTriangle);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SMetaballs_I>();

}  // namespace PM
