// MetaballGrid: the regular grid over which a set of metaballs is evaluated. It holds the summed
// field of the spheres at every grid point, the forward-difference gradient normals, the cells the
// spheres reach (active) and those already polygonised (visited), and turns one cell into triangles.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Array.h"
#include "core/Vector3f.h"
#include "core/Vector4f.h"

namespace PM {

// Triangles emitted by cells: three positions, normals and indices each, no vertex shared.
struct MetaballMesh {
  Array<Vector3f> positions;
  Array<Vector3f> normals;
  Array<int32_t> indices;
  // When set, receives for each vertex the grid edge it lies on: 3 x (index of the edge's lower grid
  // point) + axis (0 x, 1 y, 2 z). Vertices of neighbouring cells on one edge get the same key.
  std::vector<int64_t>* edgeKeys = nullptr;
};

class MetaballGrid {
 public:
  // The most grid points a grid may have (the field and its flags take about 17 bytes per point).
  static constexpr int64_t kMaxPoints = int64_t(1) << 24;
  enum CellClass : int32_t { kInside = 0, kOutside = 1, kSurface = 2 };
  // Bits of the face mask PolygonizeCell answers: the neighbour across -x, +x, -y, +y, -z, +z.
  enum : uint32_t {
    kFaceXMinus = 1,
    kFaceXPlus = 2,
    kFaceYMinus = 4,
    kFaceYPlus = 8,
    kFaceZMinus = 16,
    kFaceZPlus = 32
  };

  // A grid around the spheres (centre x, y, z and radius) with the given spacing, every sphere
  // reaching at least 1.1 cells inside its border; the field zero and every flag clear. False, with an
  // Error line naming `caller`, when a sphere is not finite or the grid would exceed kMaxPoints; false
  // without a message when the spheres leave no grid. A refused grid holds nothing.
  bool Build(const Array<Vector4f>& spheres, float cellSize, const char* caller);
  // Back to a zero field and clear flags, as Build left it.
  void Clear();
  // Adds every sphere's r^2 / d^2 - 1 over the grid points of its box and marks the cells of that box
  // active. A sphere smaller than one cell adds nothing.
  void EvaluateField();
  // The gradient normal at the lowest point of every active cell, pointing away from higher field.
  void ComputeGradientNormals();

  // Evaluates the field afresh and walks the surface from every sphere in order, appending what it
  // finds to `out`.
  void Polygonize(float iso, MetaballMesh* out);
  // From the cell holding sphere s's centre, steps through inside cells to the first surface cell and
  // polygonises the surface reached from there; cells already visited end the walk.
  void PolygonizeFromSphere(int32_t s, float iso, MetaballMesh* out);
  // Polygonises every unvisited cell reachable from `start` across the faces the surface crosses.
  void FloodFill(const int32_t start[3], float iso, MetaballMesh* out);

  int32_t CellCount(int axis) const { return m_counts[axis] - 1; }
  bool IsCell(int32_t i, int32_t j, int32_t k) const {
    return i >= 0 && j >= 0 && k >= 0 && i < m_counts[0] - 1 && j < m_counts[1] - 1 && k < m_counts[2] - 1;
  }
  int64_t PointIndex(int32_t i, int32_t j, int32_t k) const { return (int64_t(k) * m_counts[1] + j) * m_counts[0] + i; }
  bool IsVisited(int32_t i, int32_t j, int32_t k) const { return m_flags[PointIndex(i, j, k)] & kVisited; }
  void SetVisited(int32_t i, int32_t j, int32_t k) { m_flags[PointIndex(i, j, k)] |= kVisited; }
  // The cell holding point p (clamped to the grid's cells).
  void CellOf(const Vector3f& p, int32_t cell[3]) const;

  // Bit c is set when the field at corner c of cell (i, j, k) exceeds iso.
  uint32_t CubeIndex(int32_t i, int32_t j, int32_t k, float iso) const;
  // Classifies the cell; a surface cell appends its triangles to `out` when given and sets `faces` to
  // the faces its crossed edges lie on.
  CellClass PolygonizeCell(int32_t i, int32_t j, int32_t k, float iso, MetaballMesh* out, uint32_t* faces) const;

  const Array<Vector4f>& Spheres() const { return m_spheres; }
  const int32_t* Counts() const { return m_counts; }
  const Vector3f& Origin() const { return m_origin; }
  float CellSize() const { return m_cellSize; }
  float FieldAt(int32_t i, int32_t j, int32_t k) const { return m_field[PointIndex(i, j, k)]; }

 private:
  enum : uint8_t { kActive = 1, kVisited = 2 };

  Array<Vector4f> m_spheres;
  int32_t m_counts[3] = {0, 0, 0};
  Vector3f m_origin{0, 0, 0};  // the grid's lowest corner
  Vector3f m_boxMax{0, 0, 0};
  float m_cellSize = 0.2f;
  std::vector<float> m_field;
  std::vector<uint8_t> m_flags;
  std::vector<Vector3f> m_gradients;
  std::vector<int32_t> m_activeCells;  // point index of each active cell's lowest corner
};

}  // namespace PM
