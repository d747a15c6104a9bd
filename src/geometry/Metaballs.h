// SMetaballs and TMetaballs: polygon geometry generated from a set of spheres. The spheres' summed
// field is sampled on a grid and its iso-surface, found by walking from each sphere, becomes the
// geometry's own triangles, so drawing, bounds and ray tests are those of polygon geometry.
#pragma once

#include <vector>

#include "geometry/MetaballGrid.h"
#include "geometry/PolygonGeometry.h"

namespace PM {

class SMetaballs_I : public SPolygonGeometry_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF07A;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SMetaballs_I>("SMetaballs"); }
  static ScriptObject* Create() { return NewEngineObject<SMetaballs_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SMetaballs_I>(extraBytes); }

  static constexpr float kMinCellSize = 0.1f;

  // Stores the level, evaluates the field of the first grid afresh, walks its surface from every
  // sphere and sets the geometry's VertexArray, IndexArray, NormalArray, PrimCount and PrimType to the
  // triangles found. Without a grid the geometry becomes empty.
  virtual void Polygonize(float isoLevel);
  // Replaces the grids by one grid around the spheres (centre x, y, z and radius); an empty set, or
  // one refused (logged), leaves no grid.
  void SetSpheres(const Array<Vector4f>& spheres);
  float GetCellSize() const { return m_cellSize; }
  // Values below kMinCellSize (and NaN) become kMinCellSize; later grids use the new size.
  void SetCellSize(float size);

  // The last generated mesh.
  MetaballMesh m_mesh;
  std::vector<MetaballGrid> m_grids;  // only the first is polygonised
  float m_isoLevel = 1.0f;
  float m_cellSize = 0.2f;
};

class TMetaballs_I : public TPolygonGeometry_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF07B;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TMetaballs_I>("TMetaballs"); }
  static ScriptObject* Create() { return NewEngineNode<TMetaballs_I, SMetaballs_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TMetaballs_I, SMetaballs_I>(n); }
};

}  // namespace PM
