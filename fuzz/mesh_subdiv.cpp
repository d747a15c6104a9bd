// Mesh arrays from bytes through the conversion, subdivision steps, the evaluation, the geometry
// nodes, a refresh and the face-order walk: broken meshes must be logged and refused, never crash.
// Layout: point count, flags (bits 0-1 levels, 2 texture channel, 3 float channel, 4 morph channel), then
// six arrays as a count byte followed by signed bytes (edge points, face lengths, face edges, face
// attributes, face shaders, texture coordinates as pairs); what is left moves the points.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ScriptRun.h"
#include "geometry/MeshToSubDiv.h"
#include "geometry/SubDivGeometry.h"

namespace {

using namespace PM;

struct Reader {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() {
    if (!n) return 0;
    --n;
    return *p++;
  }
  Array<int32_t> Ints() {
    Array<int32_t> a;
    for (int c = Byte(); c > 0; --c) a.Append(int8_t(Byte()));
    return a;
  }
};

template <class T>
Obj<T> New() {
  return Obj<T>(static_cast<T*>(ScriptObject::Create(T::kClassId)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!Fuzz::StartLibraryOnce()) return 0;
  Reader r{data, size};
  const int points = r.Byte() & 63;
  const uint8_t flags = r.Byte();
  {
    Obj<MeshStructure_I> m = New<MeshStructure_I>();
    Obj<MeshData_I> d = New<MeshData_I>();
    m->m_numPoints = points;
    m->m_edgePoints = r.Ints();
    m->SetFaceLengths(r.Ints());
    m->m_faceEdges = r.Ints();
    m->m_faceAttrs = r.Ints();
    d->m_faceShaders = r.Ints();
    const Array<int32_t> uv = r.Ints();
    for (int i = 0; i < points; ++i) d->m_vertices.Append({float(i & 1), float((i >> 1) & 1), float(i >> 2)});
    for (int i = 0; r.n && i < points; ++i) d->m_vertices[i].z += float(int8_t(r.Byte())) / 32.0f;
    for (int s = 0; s < 2; ++s) d->m_shaders.Append(Obj<ScriptObject>(ScriptObject::Create(0xFFFFF082)));
    if (flags & 4) {
      Obj<VertexDataVector2f_I> t = New<VertexDataVector2f_I>();
      t->m_usage = 0x10000;
      for (int i = 0; i + 1 < uv.Count(); i += 2) t->m_data.Append({float(uv[i]) / 16.0f, float(uv[i + 1]) / 16.0f});
      d->m_vertexData.Append(Obj<VertexData_I>(t.Get()));
    }
    if (flags & 8) {
      Obj<VertexDataF32_I> f = New<VertexDataF32_I>();
      f->m_usage = 0x80000;
      for (int i = 0; i < points / 2; ++i) f->m_data.Append(float(i));
      d->m_vertexData.Append(Obj<VertexData_I>(f.Get()));
    }
    if (flags & 16) {
      Obj<VertexDataVector3f_I> v = New<VertexDataVector3f_I>();
      v->m_usage = 0xA0001;
      for (int i = 0; i < points; ++i) v->m_data.Append({0, 0, float(i & 1)});
      d->m_vertexData.Append(Obj<VertexData_I>(v.Get()));
    }

    SubDivStructure base, last;
    SubDivData baseData, out;
    AssignMeshToSubDiv(*m, *d, base, baseData, "fuzz");
    last = base;
    for (int l = 0; l < (flags & 3); ++l) {
      SubDivStructure next;
      last.SubDivide(next, "fuzz");
      last = std::move(next);
    }
    AssignSubDivToGeometry(base, last, baseData, "fuzz", out);
    Obj<TBranch_I> node;
    AssignSubDivToGeometry(node, last, baseData, "fuzz", out, nullptr);
    Obj<TBranch_I> again;
    SubDivGeometry::Refresh(again, last, baseData, "fuzz", out, node.Get());
    Array<int32_t> map;
    MeshStructure_I::BuildFaceOrder(last, *m, 0, 0, 0, 0, map);
  }
  return 0;
}
