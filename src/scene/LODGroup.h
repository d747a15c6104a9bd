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

  // The child level for the squared distance `d2` from the eye: one past the last threshold t (from
  // the end) with d2 >= t * t, or 0 when none is reached. With ascending thresholds that is the
  // count of thresholds reached; a distance beyond the last one selects the level after it.
  virtual int32_t SelectLevel(float d2) { return SelectLevelIn(m_thresholds, d2); }
  // The same for callers that hold only the thresholds.
  static int32_t SelectLevelIn(const Array<float>& thresholds, float d2);

  Array<float> m_thresholds;  // distances
};

class TLODGroup_I : public TBranch_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF059;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TLODGroup_I>("TLODGroup"); }
  static ScriptObject* Create() { return NewEngineNode<TLODGroup_I, SLODGroup_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TLODGroup_I, SLODGroup_I>(n); }
};

enum : uint32_t { kMemberLODGroupThresholdArray = 0x01FFF058 };

}  // namespace PM
