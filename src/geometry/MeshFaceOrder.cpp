// The parallel walk that matches a mesh onto a region of a subdivided structure.
#include <deque>
#include <utility>
#include <vector>

#include "core/Log.h"
#include "geometry/MeshStructure.h"

namespace PM {
namespace {

// Point counts above this come from broken input; the map would not fit.
constexpr int32_t kMaxMapPoints = 1 << 24;

struct FacePair {
  int32_t source;  // face * 256 + corner
  int32_t target;
};

// The other face's entry of an edge whose both directions are taken: the one not of face f.
int32_t Neighbour(const Array<int32_t>& table, int32_t r, int32_t f) {
  return (table[r] >> 8) != f ? table[r] : table[r ^ 1];
}

bool BothSides(const Array<int32_t>& table, int32_t r) {
  return r >= 0 && (r | 1) < table.Count() && table[r] >= 0 && table[r ^ 1] >= 0;
}

enum class Walk { Done, Retry, Stop };

// One walk with a fixed start rotation.
Walk WalkOnce(const SubDivStructure& target, const MeshStructure_I& source, FacePair start, Array<int32_t> sTable,
              Array<int32_t> tTable, int32_t rotation, Array<int32_t>& pointMap) {
  std::vector<char> pending(size_t(source.PolygonCount()), 1);
  std::deque<FacePair> queue;
  FacePair cur = start;
  bool haveNext = true;
  for (;;) {
    if (!haveNext) {
      if (queue.empty()) return Walk::Done;
      cur = queue.front();
      queue.pop_front();
    }
    haveNext = false;
    const int32_t sf = cur.source >> 8, tf = cur.target >> 8;
    const int sStart = cur.source & 255, tStart = cur.target & 255;
    int32_t begin = 0, n = 0;
    if (!source.PolygonSpan(sf, &begin, &n) || tf < 0 || tf >= target.Faces.Count() || !target.Faces[tf].IsValid()) {
      LogError("MeshStructure::BuildFaceOrder: face index out of range.");
      return Walk::Stop;
    }
    if (!pending[size_t(sf)]) continue;
    pending[size_t(sf)] = 0;
    const SubDivFace& tface = target.Faces[tf];
    const int tn = tface.CornerCount();
    if (n != tn) {
      LogError("MeshStructure::BuildFaceOrder: polygon lengths do not match.");
      continue;
    }
    const int continuation = n == 4 ? (sStart + 2) % 4 : -1;
    for (int k = 0; k < n; ++k) {
      const int sc = (sStart + k) % n, tc = (tStart + k) % tn;
      const int32_t sr = source.m_faceEdges[begin + sc], tr = tface.edges[tc];
      const int32_t sp = sr >= 0 && sr < source.m_edgePoints.Count() ? source.m_edgePoints[sr] : -1;
      if (sp < 0 || sp >= pointMap.Count() || EdgeOf(tr) >= target.Edges.Count()) {
        LogError("MeshStructure::BuildFaceOrder: point index out of range.");
        return Walk::Stop;
      }
      pointMap[sp] = target.StartPoint(tr);
      const bool sBoth = BothSides(sTable, sr), tBoth = BothSides(tTable, tr);
      if (sBoth && tBoth) {
        const FacePair next{Neighbour(sTable, sr, sf), Neighbour(tTable, tr, tf)};
        sTable[sr] = sTable[sr ^ 1] = tTable[tr] = tTable[tr ^ 1] = -1;
        if ((next.source >> 8) < int32_t(pending.size()) && pending[size_t(next.source >> 8)]) {
          if (sc == continuation) {
            cur = next;
            haveNext = true;
          } else {
            queue.push_back(next);
          }
        }
      } else if (sBoth && rotation >= 0 && rotation < 3) {
        return Walk::Retry;
      }
    }
  }
}

}  // namespace

void MeshStructure_I::BuildFaceOrder(const SubDivStructure& target, const MeshStructure_I& source, int32_t targetFace,
                                     int32_t targetCorner, int32_t sourceFace, int32_t rotation,
                                     Array<int32_t>& pointMap) {
  pointMap.Clear();
  if (source.m_numPoints > kMaxMapPoints) {
    LogError("MeshStructure::BuildFaceOrder: ", source.m_numPoints, " points are too many.");
    return;
  }
  if (sourceFace < 0 || sourceFace >= (1 << 23) || targetFace < 0 || targetFace >= (1 << 23)) {
    LogError("MeshStructure::BuildFaceOrder: face index out of range.");
    return;
  }
  Array<int32_t> sTable, tTable;
  BuildEdgeToFace(source, sTable);
  BuildEdgeToFace(target, tTable);
  for (;;) {
    pointMap.Clear();
    pointMap.SetCountFill(source.m_numPoints > 0 ? source.m_numPoints : 0, -1);
    const FacePair start{sourceFace * 256 + (rotation & 255), targetFace * 256 + (targetCorner & 255)};
    if (WalkOnce(target, source, start, sTable, tTable, rotation, pointMap) != Walk::Retry) return;
    ++rotation;
    LogInfo("BuildFaceOrder: autodetect: startEdgeR=", rotation, ".");
  }
}

}  // namespace PM
