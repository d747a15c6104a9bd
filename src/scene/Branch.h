// SBranch and TBranch: the abstract bases of the nodes that own children. A T-branch holds counted
// references to its children; each child links back to it weakly.
#pragma once

#include "core/Array.h"
#include "scene/Node.h"

namespace PM {

class SBranch_I : public SNode_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF046;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SBranch_I>("SBranch"); }
};

class TBranch_I : public TNode_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF047;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TBranch_I>("TBranch"); }

  Array<Obj<TNode_I>> m_children;  // member Child
};

enum : uint32_t { kMemberTBranchChild = 0x01FFF047 };

}  // namespace PM
