// SSkinPolygonGeometry and TSkinPolygonGeometry: polygon geometry deformed by joints and blend
// targets.
#pragma once

#include "geometry/PolygonGeometry.h"
#include "scene/Joint.h"

namespace PM {

class SSkinPolygonGeometry_I : public SPolygonGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SSkinPolygonGeometry;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SSkinPolygonGeometry_I>("SSkinPolygonGeometry"); }
  static ScriptObject* Create() { return NewEngineObject<SSkinPolygonGeometry_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SSkinPolygonGeometry_I>(extraBytes); }

  Matrix4f m_geometryMatrix = kIdentityMatrix4f;
  Array<Matrix4f> m_bindMatrixInverse;
  bool m_cullStatic = false;
  float m_cullThreshold = 1.125f;
  Array<Obj<ScriptObject>> m_blendControls;  // BlendControl objects
  Array<Obj<ScriptObject>> m_blendTexCoordControls;  // BlendControl objects
};

class TSkinPolygonGeometry_I : public TPolygonGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TSkinPolygonGeometry;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TSkinPolygonGeometry_I>("TSkinPolygonGeometry"); }
  static ScriptObject* Create() { return NewEngineNode<TSkinPolygonGeometry_I, SSkinPolygonGeometry_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TSkinPolygonGeometry_I, SSkinPolygonGeometry_I>(n); }

  Array<WeakObj<TJoint_I>> m_joints;
};

}  // namespace PM
