// SMetaballs and TMetaballs: polygon geometry generated from a field of blobs.
#pragma once

#include "geometry/PolygonGeometry.h"

namespace PM {

class SMetaballs_I : public SPolygonGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SMetaballs;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SMetaballs_I>("SMetaballs"); }
  static ScriptObject* Create() { return NewEngineObject<SMetaballs_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SMetaballs_I>(extraBytes); }
};

class TMetaballs_I : public TPolygonGeometry_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TMetaballs;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TMetaballs_I>("TMetaballs"); }
  static ScriptObject* Create() { return NewEngineNode<TMetaballs_I, SMetaballs_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TMetaballs_I, SMetaballs_I>(n); }
};

}  // namespace PM
