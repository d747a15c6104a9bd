// SClusterHandle and TClusterHandle: transforms that drive a cluster of vertices, with an origin.
#pragma once

#include "scene/Transform.h"

namespace PM {

class SClusterHandle_I : public EngineClass<SClusterHandle_I, STransform_I, ClassId::SClusterHandle, "SClusterHandle"> {
 public:
  static void Define();
  Vector3f m_origin{0, 0, 0};
};

class TClusterHandle_I
    : public EngineClass<TClusterHandle_I, TTransform_I, ClassId::TClusterHandle, "TClusterHandle", SClusterHandle_I> {
 public:
};

}  // namespace PM
