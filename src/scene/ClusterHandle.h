// SClusterHandle and TClusterHandle: transforms that drive a cluster of vertices, with an origin.
#pragma once

#include "scene/Transform.h"

namespace PM {

class SClusterHandle_I : public STransform_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SClusterHandle;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SClusterHandle_I>("SClusterHandle"); }
  static ScriptObject* Create() { return NewEngineObject<SClusterHandle_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SClusterHandle_I>(extraBytes); }

  Vector3f m_origin{0, 0, 0};
};

class TClusterHandle_I : public TTransform_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TClusterHandle;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TClusterHandle_I>("TClusterHandle"); }
  static ScriptObject* Create() { return NewEngineNode<TClusterHandle_I, SClusterHandle_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TClusterHandle_I, SClusterHandle_I>(n); }
};

}  // namespace PM
