// SLODGroup and TLODGroup: a branch whose children are levels of detail chosen by distance.
#pragma once

#include "scene/Branch.h"

namespace PM {

class SLODGroup_I : public EngineClass<SLODGroup_I, SBranch_I, ClassId::SLODGroup, "SLODGroup"> {
 public:
  static void Define();
  Array<float> m_thresholds;  // distances
};

class TLODGroup_I : public EngineClass<TLODGroup_I, TBranch_I, ClassId::TLODGroup, "TLODGroup", SLODGroup_I> {
 public:
};

}  // namespace PM
