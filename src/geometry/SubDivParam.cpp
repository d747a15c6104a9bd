#include "geometry/SubDivParam.h"

#include <array>

#include "core/Log.h"

namespace PM {
namespace {

using Table = std::array<Vector4f, SubDivParamTable::kEntries>;
using Corners = std::array<std::array<float, 4>, 4>;  // A, B, C, D of one domain

// Corner vectors of each domain: 6 marks a base corner, 3 an edge midpoint, 2 a triangle's centre.
constexpr std::array<Corners, FaceParam::kDomains> kDomainCorners = {{
    {{{6, 0, 0, 0}, {0, 6, 0, 0}, {0, 0, 6, 0}, {0, 0, 0, 6}}},
    {{{6, 0, 0, 0}, {3, 3, 0, 0}, {2, 2, 2, 0}, {3, 0, 3, 0}}},
    {{{3, 3, 0, 0}, {0, 6, 0, 0}, {0, 3, 3, 0}, {2, 2, 2, 0}}},
    {{{2, 2, 2, 0}, {0, 3, 3, 0}, {0, 0, 6, 0}, {3, 0, 3, 0}}},
}};

Table MakeTable() {
  constexpr int g = FaceParam::kGrid;
  Table t{};
  for (int domain = 0; domain < FaceParam::kDomains; ++domain) {
    const Corners& c = kDomainCorners[size_t(domain)];
    for (int u = 0; u <= g; ++u) {
      for (int v = 0; v <= g; ++v) {
        const float a = float((g - u) * (g - v)), b = float((g - u) * v), cc = float(u * v), d = float(u * (g - v));
        float w[4];
        for (size_t k = 0; k < 4; ++k) w[k] = (c[0][k] * a + c[1][k] * b + c[2][k] * cc + c[3][k] * d) / 1536.0f;
        t[size_t(FaceParam::Make(domain, u, v))] = {w[0], w[1], w[2], w[3]};
      }
    }
  }
  return t;
}

const Table& TheTable() {
  static const Table table = MakeTable();  // built once, guarded by the language's static init
  return table;
}

}  // namespace

void SubDivParamTable::Build() { (void)TheTable(); }

const Vector4f* SubDivParamTable::Entries() { return TheTable().data(); }

Vector4f SubDivParamTable::Weights(int32_t param) {
  if (param < 0 || param >= kEntries) {
    LogError("SubDivParamTable: parameter ", param, " out of range.");
    return {0.0f, 0.0f, 0.0f, 0.0f};
  }
  return TheTable()[size_t(param)];
}

}  // namespace PM
