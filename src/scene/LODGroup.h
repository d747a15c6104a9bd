// SLODGroup and TLODGroup: a branch whose children are levels of detail chosen by distance.
#pragma once

#include "scene/Branch.h"

namespace PM {

class SLODGroup_I : public SBranch_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF058;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SLODGroup_I>("SLODGroup"); }
  static ScriptObject* Create() { return NewEngineObject<SLODGroup_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SLODGroup_I>(extraBytes); }

  // The level for a squared distance: one more than the index of the last threshold t with d2 >= t·t,
  // 0 when none is reached.
  int32_t SelectLevel(float d2) const {
    for (int32_t i = m_thresholds.Count() - 1; i >= 0; --i)
      if (d2 >= m_thresholds[i] * m_thresholds[i]) return i + 1;
    return 0;
  }

  Array<float> m_thresholds;  // distances
};

class TLODGroup_I : public TBranch_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF059;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TLODGroup_I>("TLODGroup"); }
  static ScriptObject* Create() { return NewEngineNode<TLODGroup_I, SLODGroup_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TLODGroup_I, SLODGroup_I>(n); }
};

}  // namespace PM
