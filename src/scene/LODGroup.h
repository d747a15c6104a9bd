// SLODGroup and TLODGroup: a branch whose children are levels of detail chosen by distance.
#pragma once

#include "scene/Branch.h"

namespace PM {

class SLODGroup_I : public SBranch_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SLODGroup;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SLODGroup_I>("SLODGroup"); }
  static ScriptObject* Create() { return NewEngineObject<SLODGroup_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SLODGroup_I>(extraBytes); }

  Array<float> m_thresholds;  // distances
};

class TLODGroup_I : public TBranch_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TLODGroup;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TLODGroup_I>("TLODGroup"); }
  static ScriptObject* Create() { return NewEngineNode<TLODGroup_I, SLODGroup_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TLODGroup_I, SLODGroup_I>(n); }
};

}  // namespace PM
