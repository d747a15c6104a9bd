#include "geometry/SubDivStructure.h"

#include <climits>

#include "core/Log.h"

namespace PM {
namespace {

// Appends to a fixed list, reporting an overflow; returns whether the entry was taken.
bool AppendAdjacency(int32_t* list, uint8_t& count, int32_t entry, const char* overflowLine) {
  if (count >= kSubDivMaxAdjacency) {
    LogError(overflowLine);
    return false;
  }
  list[count++] = entry;
  return true;
}

}  // namespace

void SubDivStructure::UpdateEdgeToFace() {
  if (CheckReferences("UpdateEdgeToFace")) EdgeToFacePass();
}

void SubDivStructure::UpdateVertexToEdge() {
  if (CheckReferences("UpdateVertexToEdge")) VertexToEdgePass();
}

void SubDivStructure::UpdateVertexToFace() {
  if (CheckReferences("UpdateVertexToFace")) VertexToFacePass();
}

void SubDivStructure::UpdateVertexAdjacency() {
  if (CheckReferences("UpdateVertexToEdge"))
    VertexAdjacencyPass();
  else
    CheckReferences("UpdateVertexToFace");  // the second refusal the two calls would log
}

void SubDivStructure::EdgeToFacePass() {
  for (SubDivEdge& e : Edges) e.faces[0] = e.faces[1] = -1;
  for (int f = Faces.Count() - 1; f >= 0; --f) {
    const SubDivFace& face = Faces[f];
    if (!face.IsValid()) continue;
    for (int k = 0, n = face.CornerCount(); k < n; ++k) {
      SubDivEdge& e = Edges[EdgeOf(face.edges[k])];
      if (e.faces[0] == -1)
        e.faces[0] = f;
      else if (e.faces[1] == -1)
        e.faces[1] = f;
      else
        LogError("UpdateEdgeToFace: more than 2 polygons share an edge.");
    }
  }
}

void SubDivStructure::VertexToEdgePass() {
  for (SubDivPoint& p : Points) p.edgeCount = 0;
  AppendVertexEdges();
}

void SubDivStructure::VertexToFacePass() {
  for (SubDivPoint& p : Points) p.faceCount = 0;
  AppendVertexFaces();
}

void SubDivStructure::VertexAdjacencyPass() {
  for (SubDivPoint& p : Points) p.edgeCount = p.faceCount = 0;
  AppendVertexEdges();
  AppendVertexFaces();
}

void SubDivStructure::AppendVertexEdges() {
  static const char* const kOverflow = "UpdateVertexToEdge: too many edges on a vertex (hardcoded limit).";
  for (int e = Edges.Count() - 1; e >= 0; --e) {
    for (int s = 0; s < 2; ++s) {
      SubDivPoint& p = Points[Edges[e].points[s]];
      AppendAdjacency(p.edges, p.edgeCount, e * 2 + s, kOverflow);
    }
  }
}

void SubDivStructure::AppendVertexFaces() {
  static const char* const kOverflow = "UpdateVertexToFace: too many faces on a vertex (hardcoded limit).";
  for (int f = Faces.Count() - 1; f >= 0; --f) {
    const SubDivFace& face = Faces[f];
    if (!face.IsValid()) continue;
    for (int k = 0, n = face.CornerCount(); k < n; ++k) {
      SubDivPoint& p = Points[Corner(face, k)];
      AppendAdjacency(p.faces, p.faceCount, f * 4 + k, kOverflow);
    }
  }
}

bool SubDivStructure::CheckReferences(const char* caller) const {
  const int np = Points.Count(), ne = Edges.Count(), nf = Faces.Count();
  if (nf > INT_MAX / 4 || ne > INT_MAX / 2) {
    LogError(caller, ": structure too large (", nf, " faces, ", ne, " edges).");
    return false;
  }
  for (int p = 0; p < np; ++p) {
    if (Points[p].weightCount < 0 || Points[p].weightCount > kSubDivMaxWeights) {
      LogError(caller, ": point ", p, " has a weight count of ", int32_t(Points[p].weightCount), ".");
      return false;
    }
  }
  for (int e = 0; e < ne; ++e) {
    for (int32_t q : Edges[e].points) {
      if (q < 0 || q >= np) {
        LogError(caller, ": edge ", e, " names point ", q, " of ", np, ".");
        return false;
      }
    }
  }
  for (int f = 0; f < nf; ++f) {
    const SubDivFace& face = Faces[f];
    if (!face.IsValid()) continue;
    for (int k = 0, n = face.CornerCount(); k < n; ++k) {
      if (face.edges[k] < 0 || EdgeOf(face.edges[k]) >= ne) {
        LogError(caller, ": face ", f, " names edge reference ", face.edges[k], " of ", ne, " edges.");
        return false;
      }
    }
  }
  return true;
}

int64_t SubDivStructure::MemoryUsage() const {
  return kPointBytes * Points.Count() + kEdgeBytes * Edges.Count() + kFaceBytes * Faces.Count();
}

void SubDivStructure::Clear() {
  Faces.Clear();
  Edges.Clear();
  Points.Clear();
}

}  // namespace PM
