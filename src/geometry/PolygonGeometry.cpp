#include "geometry/PolygonGeometry.h"

#include "classes/EngineClassRegistry.h"
namespace PM {

using S = SPolygonGeometry_I;

namespace {

constexpr uint32_t kMemberVertexData = 0x05FFF076;

// An Array field read whole and written through the class's setter (array form, 0x800).
template <auto Field, auto Setter>
MemberDef ArraySetterMember(uint32_t id, const char* name) {
  using A = typename DataMemberOf<decltype(Field)>::Field;
  using E = typename ElementOf<A>::Type;
  using Tag = TagOf<E>;
  struct Access {
    static void Get(ScriptObject* o, uint32_t, Array<E>* out) { *out = static_cast<S*>(o)->*Field; }
    static void Set(ScriptObject* o, uint32_t, const Array<E>* in) { (static_cast<S*>(o)->*Setter)(*in); }
  };
  return MakeMemberDef<Tag, kShapeArray>(id, name, FormFlags<Tag, kShapeArray>(), EraseFn(&Access::Get),
                                         EraseFn(&Access::Set));
}

}  // namespace

void SPolygonGeometry_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SPolygonGeometry_I>(),
      ConcreteClass<TPolygonGeometry_I>(),
  };
  DefineClasses(classes);
  const MemberDef members[] = {
      AccessorMember<&S::GetPrimType, &S::SetPrimType, VEnum>(0x01FFF076, "PrimType"),
      AccessorMember<&S::GetPrimCount, &S::SetPrimCount>(0x02FFF076, "PrimCount"),
      ArraySetterMember<&S::m_primLengths, &S::SetPrimLengthArray>(0x03FFF076, "PrimLengthArray"),
      ArraySetterMember<&S::m_indices, &S::SetIndexArray>(0x04FFF076, "IndexArray"),
      IndexedAccessorMember<&S::GetVertexDataAt, &S::SetVertexDataAt, &S::GetVertexDataCount, &S::RemoveVertexData>(
          kMemberVertexData, "VertexData"),
      ArraySetterMember<&S::m_vertices, &S::SetVertexArray>(0x06FFF076, "VertexArray"),
      ArraySetterMember<&S::m_normals, &S::SetNormalArray>(0x07FFF076, "NormalArray"),
      ReadOnly(FieldMember<&S::m_triangleCount>(0x08FFF076, "TriangleCount", 0x5)),
  };
  DefineMembers(members);
}

SPolygonGeometry_I::~SPolygonGeometry_I() {
  if (m_polygonCache) {
    m_polygonCache->Unload();
    m_polygonCache.Clear();
  }
}

void SPolygonGeometry_I::MarkChanged() {
  m_upToDate = false;
  m_refusalLogged = false;
}

void SPolygonGeometry_I::SetPrimType(uint32_t type) {
  m_primType = type;
  MarkChanged();
}

void SPolygonGeometry_I::SetPrimCount(int32_t count) {
  m_primCount = count;
  MarkChanged();
}

void SPolygonGeometry_I::SetPrimLengthArray(const Array<int32_t>& lengths) {
  m_primLengths = lengths;
  int64_t total = 0;
  bool negative = false;
  for (int32_t l : m_primLengths) {
    total += l;
    negative |= l < 0;
  }
  m_indexTotal = total;
  m_negativeLength = negative;
  MarkChanged();
}

void SPolygonGeometry_I::TakeIndexArray(Array<int32_t>&& indices) {
  // The highest and lowest in the indices' own width: the scan runs four lanes a step.
  int32_t highest = -1, lowest = 0;
  for (int32_t i : indices) {
    highest = i > highest ? i : highest;
    lowest = i < lowest ? i : lowest;
  }
  TakeIndexArray(std::move(indices), int64_t(highest) + 1, lowest < 0);
}

void SPolygonGeometry_I::TakeIndexArray(Array<int32_t>&& indices, int64_t bound, bool negative) {
  m_indices = std::move(indices);
  m_indexBound = bound;
  m_negativeIndex = negative;
  MarkChanged();
  NotifyPolygonCache(PolygonData::kDynamicIndices);
}

void SPolygonGeometry_I::TakeVertexArray(Array<Vector3f>&& vertices) {
  m_vertices = std::move(vertices);
  MarkChanged();
  NotifyPolygonCache(PolygonData::kDynamicPositions);
}

void SPolygonGeometry_I::TakeNormalArray(Array<Vector3f>&& normals) {
  m_normals = std::move(normals);
  MarkChanged();
  NotifyPolygonCache(PolygonData::kDynamicNormals);
}

VertexData_I* SPolygonGeometry_I::GetVertexDataAt(int32_t index) {
  if (index < 0 || index >= m_vertexData.Count()) {
    ReportBadIndex("Get", this, kMemberVertexData, index, m_vertexData.Count());
    return static_cast<VertexData_I*>(NilScriptObject());
  }
  return m_vertexData[index].Get();
}

void SPolygonGeometry_I::SetVertexDataAt(int32_t index, VertexData_I* data) {
  if (!SetIndexOk(this, kMemberVertexData, index, m_vertexData.Count())) return;
  if (index >= m_vertexData.Count()) m_vertexData.Grow(index + 1);
  m_vertexData[index] = data;
  m_tablesBuilt = false;
  m_refusalLogged = false;
}

void SPolygonGeometry_I::RemoveVertexData(int32_t start, int32_t count) {
  m_vertexData.Remove(start, count);
  m_tablesBuilt = false;
  m_refusalLogged = false;
}

int32_t SPolygonGeometry_I::FindVertexDataIndex(uint32_t usage) {
  for (int32_t i = 0; i < m_vertexData.Count(); ++i) {
    const Obj<VertexData_I>& v = m_vertexData[i];
    if (!v.IsNil() && v->m_usage == usage) return i;
  }
  return -1;
}

VertexData_I* SPolygonGeometry_I::FindVertexData(uint32_t usage) {
  int32_t i = FindVertexDataIndex(usage);
  return i < 0 ? static_cast<VertexData_I*>(NilScriptObject()) : m_vertexData[i].Get();
}

void SPolygonGeometry_I::ComputeBoundingSphere(Spheref* out) {
  out->SetFromPoints(m_vertices.Data(), m_vertices.Count());
}

void SPolygonGeometry_I::BuildRenderData() {
  for (Array<Obj<VertexData_I>>& table : m_usageTables) table.SetCount(0);
  // Backwards, so that of several entries with one usage the lowest index is the one kept.
  for (int32_t i = m_vertexData.Count() - 1; i >= 0; --i) {
    VertexData_I* v = m_vertexData[i].Get();
    if (IsNilObject(v) || v->m_usage >= uint32_t(kUsageKinds) << 16) continue;
    Array<Obj<VertexData_I>>& table = m_usageTables[v->m_usage >> 16];
    int32_t slot = int32_t(v->m_usage & 0xFFFF);
    if (slot >= table.Count()) table.Grow(slot + 1);
    table[slot] = v;
  }
  m_tablesBuilt = true;
}

void SPolygonGeometry_I::NotifyPolygonCache(uint32_t flags) {
  if (m_polygonCache) m_polygonCache->SetDirty(flags);
}

void TPolygonGeometry_I::OnUpdate() {
  ScriptObject* s = GetSNode();
  if (s->IsA(SPolygonGeometry_I::kClassId)) static_cast<SPolygonGeometry_I*>(s)->GetBoundingSphere(&m_boundingSphere);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SPolygonGeometry_I>();

}  // namespace PM
