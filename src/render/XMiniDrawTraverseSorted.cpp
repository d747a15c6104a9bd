#include <algorithm>
#include <cmath>
#include <functional>

#include "core/Trace.h"
#include "geometry/Geometry.h"
#include "geometry/SkinPolygonGeometry.h"
#include "render/XMiniDrawTraverse.h"
#include "scene/BaseTransform.h"

namespace PM {

namespace {

// What a crash report shows for the shader being set up.
const char* ShaderName(const ScriptObject* shader) {
  if (!shader || IsNilObject(shader) || !shader->IsA(Object_I::kClassId)) return "Nil shader";
  return static_cast<const Object_I*>(shader)->m_name.CStr();
}

}  // namespace

int XMiniDrawTraverse::CompareDrawDepth(const DrawObjectInfo* a, const DrawObjectInfo* b) {
  // A comparator that is not a total order lets the sort run past its array: not-a-number depths get
  // a place of their own, and the indices are compared rather than subtracted.
  const bool nanA = std::isnan(a->depth), nanB = std::isnan(b->depth);
  if (nanA != nanB) return nanA ? -1 : 1;
  if (!nanA && a->depth != b->depth) return a->depth < b->depth ? -1 : 1;
  return (a->sortIndex > b->sortIndex) - (a->sortIndex < b->sortIndex);
}

int XMiniDrawTraverse::CompareDrawShader(const DrawObjectInfo* a, const DrawObjectInfo* b) {
  const std::less<const ScriptObject*> less;
  if (less(a->shader, b->shader)) return -1;
  return less(b->shader, a->shader) ? 1 : 0;
}

void XMiniDrawTraverse::SetDepthKey(DrawObjectInfo& record) {
  TGeometry_I* node = record.node;
  ScriptObject* center = node->m_sortCenter.Get();
  if (center && !IsNilObject(center) && center->IsA(TBaseTransform_I::kClassId)) {
    record.depth = static_cast<TBaseTransform_I*>(center)->m_modelViewMatrix.m[14];
    record.sortIndex = node->m_sortIndex;
    return;
  }
  record.sortIndex = 0;
  if (node->IsA(TSkinPolygonGeometry_I::kClassId)) {
    // The deformed mesh may have left the rest-pose sphere far behind; its sphere is in view space.
    Spheref sphere = kEmptySpheref;
    static_cast<TSkinPolygonGeometry_I*>(node)->GetDynamicSphere(&sphere);
    record.depth = sphere.center.z;
    return;
  }
  const Vector3f& c = node->m_boundingSphere.center;
  const float* m = record.modelView.m;
  record.depth = c.x * m[2] + c.y * m[6] + c.z * m[10] + m[14];
}

void XMiniDrawTraverse::DrawSorted() {
  if (!m_engine) {
    for (int layer = 0; layer < kLayerCount; ++layer) m_layers[layer].SetCount(0);
    return;
  }
  Matrix4f saved;
  m_engine->ExchangeModelViewMatrix(&kIdentityMatrix4f, &saved);
  for (int layer = 0; layer < kLayerCount; ++layer) {
    Array<DrawObjectInfo>& records = m_layers[layer];
    Array<DrawObjectInfo*>& sorted = m_sortArrays[layer];
    const int32_t n = records.Count();
    const bool byDepth = layer >= kFirstDepthLayer && layer <= kLastDepthLayer;
    if (byDepth)
      for (int32_t i = n - 1; i >= 0; --i) SetDepthKey(records[i]);
    sorted.SetCountNoCopy(n);
    for (int32_t i = 0; i < n; ++i) sorted[i] = &records[i];
    const auto compare = byDepth ? CompareDrawDepth : CompareDrawShader;
    // NOLINTNEXTLINE(bugprone-nondeterministic-pointer-iteration-order): by the records' keys, not the pointers
    std::sort(sorted.begin(), sorted.end(),
              [compare](const DrawObjectInfo* a, const DrawObjectInfo* b) { return compare(a, b) < 0; });
    for (const DrawObjectInfo* r : sorted) {
      if (m_passMode == PassMode::kMain)
        DrawRecordMain(*r);
      else
        DrawRecordExtra(*r);
    }
    // Emptied with their capacity kept; the test on the count spares g++ a false overflow warning.
    if (records.Count() > 0) records.SetCount(0);
    if (sorted.Count() > 0) sorted.SetCount(0);
  }
  m_engine->LoadModelViewMatrix(&saved);
  SetTraceGlobal1(nullptr);
  SetTraceGlobal2(nullptr);
}

void XMiniDrawTraverse::DrawRecordMain(const DrawObjectInfo& r) {
  const int32_t stamp = static_cast<int32_t>(m_frameStamp);
  SetTraceGlobal1("DrawSorted: Geometry and Shader");
  m_engine->SetModelViewMatrix(&r.modelView);
  const char* shaderName = ShaderName(r.shader);
  SetTraceGlobal1("ShaderAmbient");
  SetTraceGlobal2(shaderName);
  bool first = true;
  if (m_engine->SetShaderAmbient(r.shader, true) != 0) {
    SetTraceGlobal1("GeometryAmbient");
    SetTraceGlobal2(r.node->m_name.CStr());
    r.node->DrawFromSNode(m_engine, stamp);
    first = false;
  }
  SetTraceGlobal1("ShaderBump");
  SetTraceGlobal2(shaderName);
  SetTraceGlobal1("ShaderBase");
  SetTraceGlobal2(shaderName);
  // Asked for every record, also when the one before had the same shader: the engine keeps the
  // state of the last base pass and answers a repeat cheaply.
  if (m_engine->SetShaderBase(r.shader, first) != 0) {
    SetTraceGlobal1("GeometryBase");
    SetTraceGlobal2(r.node->m_name.CStr());
    r.node->DrawFromSNode(m_engine, stamp);
  }
}

void XMiniDrawTraverse::DrawRecordExtra(const DrawObjectInfo& r) {
  SetTraceGlobal1("DrawSorted-Extra: Geometry");
  m_engine->SetModelViewMatrix(&r.modelView);
  SetTraceGlobal1("GeometryBase-Extra");
  SetTraceGlobal2(r.node->m_name.CStr());
  r.node->DrawFromSNode(m_engine, static_cast<int32_t>(m_frameStamp));
}

}  // namespace PM
