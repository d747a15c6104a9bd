// Building a metaball grid and evaluating the spheres' field over it.
#include "geometry/MetaballGrid.h"

#include <algorithm>
#include <cmath>

#include "core/Log.h"

namespace PM {

namespace {

bool Finite(const Vector4f& s) {
  return std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.z) && std::isfinite(s.w * s.w);
}

}  // namespace

bool MetaballGrid::Build(const Array<Vector4f>& spheres, float cellSize, const char* caller) {
  *this = MetaballGrid();
  m_cellSize = cellSize;
  if (spheres.IsEmpty()) return false;
  if (!(cellSize > 0) || !std::isfinite(cellSize)) {
    LogError(caller, ": cell size ", cellSize, " is not a positive number; no grid.");
    return false;
  }
  float lo[3] = {1e16f, 1e16f, 1e16f}, hi[3] = {-1e16f, -1e16f, -1e16f};
  for (int32_t s = 0; s < spheres.Count(); ++s) {
    const Vector4f& b = spheres[s];
    if (!Finite(b)) {
      LogError(caller, ": sphere ", s, " (", b.x, ", ", b.y, ", ", b.z, ", ", b.w, ") is not finite; no grid.");
      return false;
    }
    const float e = b.w + 1.1f * cellSize;
    const float c[3] = {b.x, b.y, b.z};
    for (int a = 0; a < 3; ++a) {
      lo[a] = std::min(lo[a], c[a] - e);
      hi[a] = std::max(hi[a], c[a] + e);
    }
  }
  double counts[3], points = 1;
  for (int a = 0; a < 3; ++a) {
    counts[a] = std::trunc(double(hi[a]) / cellSize) - std::trunc(double(lo[a]) / cellSize) + 1;
    points *= counts[a];
  }
  if (!std::isfinite(points)) {
    LogError(caller, ": the spheres reach beyond the range of the grid; no grid.");
    return false;
  }
  if (counts[0] < 1 || counts[1] < 1 || counts[2] < 1) return false;
  if (points > double(kMaxPoints)) {
    LogError(caller, ": a grid of ", int64_t(counts[0]), " x ", int64_t(counts[1]), " x ", int64_t(counts[2]),
             " points exceeds the limit of ", kMaxPoints, "; no grid.");
    return false;
  }
  for (int a = 0; a < 3; ++a) m_counts[a] = int32_t(counts[a]);
  m_origin = {lo[0], lo[1], lo[2]};
  m_boxMax = {hi[0], hi[1], hi[2]};
  m_spheres = spheres;
  const size_t n = size_t(points);
  m_field.assign(n, 0.0f);
  m_flags.assign(n, 0);
  m_gradients.assign(n, Vector3f{0, 0, 0});
  return true;
}

void MetaballGrid::Clear() {
  std::fill(m_field.begin(), m_field.end(), 0.0f);
  std::fill(m_flags.begin(), m_flags.end(), uint8_t(0));
  std::fill(m_gradients.begin(), m_gradients.end(), Vector3f{0, 0, 0});
  m_activeCells.clear();
}

void MetaballGrid::EvaluateField() {
  const float cs = m_cellSize, cs2 = cs * cs;
  const int32_t nx = m_counts[0], ny = m_counts[1];
  for (const Vector4f& s : m_spheres) {
    const float r = s.w, r2 = r * r;
    if (r2 < cs2) continue;  // too small for the grid to show
    const float c[3] = {s.x - m_origin.x, s.y - m_origin.y, s.z - m_origin.z};
    int32_t lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
      // In double and clamped before the conversion: a sphere outside the grid gives an empty range.
      const double l = std::trunc(double(c[a] - r) / cs), h = 1 - std::trunc(double(-(c[a] + r)) / cs);
      lo[a] = int32_t(std::clamp(l, 0.0, double(m_counts[a])));
      hi[a] = int32_t(std::clamp(h, -1.0, double(m_counts[a] - 1)));
    }
    // A grid point on the centre would get r^2 / 0: it counts as half a cell away, which keeps it
    // above any level whose surface the grid can resolve and keeps interpolation near it sensible.
    const float atCentre = r2 / (0.25f * cs2) - 1;
    for (int32_t k = lo[2]; k <= hi[2]; ++k) {
      const float dz = float(k) * cs - c[2];
      for (int32_t j = lo[1]; j <= hi[1]; ++j) {
        const float dy = float(j) * cs - c[1], dyz = dy * dy + dz * dz;
        float* row = m_field.data() + (int64_t(k) * ny + j) * nx;
        for (int32_t i = lo[0]; i <= hi[0]; ++i) {
          const float dx = float(i) * cs - c[0], d2 = dx * dx + dyz;
          row[i] += d2 > 0 ? r2 / d2 - 1 : atCentre;
        }
        if (j >= hi[1] || k >= hi[2]) continue;
        uint8_t* flags = m_flags.data() + (int64_t(k) * ny + j) * nx;
        for (int32_t i = lo[0]; i < hi[0]; ++i) {
          if (flags[i] & kActive) continue;
          flags[i] |= kActive;
          m_activeCells.push_back(int32_t((int64_t(k) * ny + j) * nx + i));
        }
      }
    }
  }
}

void MetaballGrid::ComputeGradientNormals() {
  const int64_t sx = 1, sy = m_counts[0], sz = int64_t(m_counts[0]) * m_counts[1];
  const float* f = m_field.data();
  for (int32_t n : m_activeCells) {
    Vector3f g{f[n] - f[n + sx], f[n] - f[n + sy], f[n] - f[n + sz]};
    const float len2 = g.x * g.x + g.y * g.y + g.z * g.z;
    // A flat field has no direction: its normal stays zero rather than becoming NaN.
    if (len2 > 0 && !(len2 >= 0.99999976f && len2 <= 1.0000002f)) {
      const float inv = 1.0f / std::sqrt(len2);
      g = {g.x * inv, g.y * inv, g.z * inv};
    }
    m_gradients[n] = g;
  }
}

void MetaballGrid::CellOf(const Vector3f& p, int32_t cell[3]) const {
  const float q[3] = {p.x - m_origin.x, p.y - m_origin.y, p.z - m_origin.z};
  for (int a = 0; a < 3; ++a)
    cell[a] = int32_t(std::clamp(std::floor(double(q[a]) / m_cellSize), 0.0, double(std::max(m_counts[a] - 2, 0))));
}

}  // namespace PM
