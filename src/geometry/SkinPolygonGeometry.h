// SSkinPolygonGeometry and TSkinPolygonGeometry: polygon geometry deformed by joints and blend
// targets.
#pragma once

#include "geometry/PolygonGeometry.h"
#include "scene/Joint.h"

namespace PM {

class SSkinPolygonGeometry_I
    : public EngineClass<SSkinPolygonGeometry_I, SPolygonGeometry_I, ClassId::SSkinPolygonGeometry,
                         "SSkinPolygonGeometry"> {
 public:
  static void Define();
  Matrix4f m_geometryMatrix = kIdentityMatrix4f;
  Array<Matrix4f> m_bindMatrixInverse;
  bool m_cullStatic = false;
  float m_cullThreshold = 1.125f;
  Array<Obj<ScriptObject>> m_blendControls;  // BlendControl objects
  Array<Obj<ScriptObject>> m_blendTexCoordControls;  // BlendControl objects
};

class TSkinPolygonGeometry_I
    : public EngineClass<TSkinPolygonGeometry_I, TPolygonGeometry_I, ClassId::TSkinPolygonGeometry,
                         "TSkinPolygonGeometry", SSkinPolygonGeometry_I> {
 public:
  Array<WeakObj<TJoint_I>> m_joints;
};

}  // namespace PM
