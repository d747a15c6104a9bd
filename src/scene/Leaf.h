// SLeaf and TLeaf: the abstract bases of the nodes that have no children.
#pragma once

#include "scene/Node.h"

namespace PM {

class SLeaf_I : public SNode_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SLeaf;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SLeaf_I>("SLeaf"); }
};

class TLeaf_I : public TNode_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TLeaf;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TLeaf_I>("TLeaf"); }
};

}  // namespace PM
