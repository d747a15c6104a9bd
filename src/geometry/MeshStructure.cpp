#include "geometry/MeshStructure.h"

#include "classes/EngineClassRegistry.h"
#include "core/Log.h"

namespace PM {

using M = MeshStructure_I;

namespace {

void GetLengths(ScriptObject* o, uint32_t, Array<int32_t>* out) { *out = static_cast<M*>(o)->GetFaceLengths(); }
void SetLengths(ScriptObject* o, uint32_t, const Array<int32_t>* in) { static_cast<M*>(o)->SetFaceLengths(*in); }

constexpr const char* kOverfullEdge = "MeshStructure::BuildEdgeToFace: more than 2 polygons share an edge.";

// Records corner k of face f as the user of reference r, or of the other direction when r is taken.
void Record(Array<int32_t>& table, int32_t r, int32_t f, int k) {
  if (r < 0 || r >= table.Count()) return;
  if (table[r] == -1)
    table[r] = f * 256 + k;
  else if (table[r ^ 1] == -1)
    table[r ^ 1] = f * 256 + k;
  else
    LogError(kOverfullEdge);
}

}  // namespace

void MeshStructure_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<MeshStructure_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      FieldMember<&M::m_numPoints>(0x01FFF0F8, "NumPoints"),
      FieldMember<&M::m_edgePoints>(0x02FFF0F8, "EdgePointArray"),
      MakeMemberDef<VI32, kShapeArray>(0x03FFF0F8, "FaceLengthArray", FormFlags<VI32, kShapeArray>(),
                                       EraseFn(&GetLengths), EraseFn(&SetLengths)),
      FieldMember<&M::m_faceEdges>(0x04FFF0F8, "FaceEdgeArray"),
      FieldMember<&M::m_faceAttrs>(0x05FFF0F8, "FaceAttrArray"),
  };
  DefineMembers(members);
}

Array<int32_t> MeshStructure_I::GetFaceLengths() const {
  Array<int32_t> lengths;
  for (int i = 1; i < m_faceOffsets.Count(); ++i) lengths.Append(m_faceOffsets[i] - m_faceOffsets[i - 1]);
  return lengths;
}

void MeshStructure_I::SetFaceLengths(const Array<int32_t>& lengths) {
  m_faceOffsets.Clear();
  m_faceOffsets.Reserve(lengths.Count() + 1);
  int64_t total = 0;
  m_faceOffsets.Append(0);
  for (int32_t l : lengths) {
    // Offsets past the 32-bit range could only come from nonsense lengths; they saturate, and the
    // polygons that reach them fail the span check.
    total += l;
    m_faceOffsets.Append(int32_t(total > INT32_MAX ? INT32_MAX : total < INT32_MIN ? INT32_MIN : total));
  }
}

bool MeshStructure_I::PolygonSpan(int32_t p, int32_t* begin, int32_t* count) const {
  if (p < 0 || p >= PolygonCount()) return false;
  const int32_t b = m_faceOffsets[p], e = m_faceOffsets[p + 1];
  if (b < 0 || e < b || e > m_faceEdges.Count() || e > m_faceAttrs.Count()) return false;
  *begin = b;
  *count = e - b;
  return true;
}

void MeshStructure_I::BuildEdgeToFace(const MeshStructure_I& mesh, Array<int32_t>& table) {
  table.Clear();
  table.SetCountFill(mesh.m_edgePoints.Count() / 2 * 2, -1);
  for (int32_t f = mesh.PolygonCount() - 1; f >= 0; --f) {
    int32_t begin = 0, n = 0;
    // Only edges, not attributes, matter here: a polygon beyond FaceEdgeArray is left out.
    if (f + 1 >= mesh.m_faceOffsets.Count()) continue;
    begin = mesh.m_faceOffsets[f];
    n = mesh.m_faceOffsets[f + 1] - begin;
    if (begin < 0 || n < 0 || begin + n > mesh.m_faceEdges.Count()) continue;
    for (int k = 0; k < n && k < 256; ++k) Record(table, mesh.m_faceEdges[begin + k], f, k);
  }
}

void MeshStructure_I::BuildEdgeToFace(const SubDivStructure& s, Array<int32_t>& table) {
  table.Clear();
  table.SetCountFill(s.Edges.Count() * 2, -1);
  for (int32_t f = s.Faces.Count() - 1; f >= 0; --f) {
    const SubDivFace& face = s.Faces[f];
    for (int k = 0; k < 4 && face.edges[k] >= 0; ++k) Record(table, face.edges[k], f, k);
  }
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<MeshStructure_I>();

}  // namespace PM
