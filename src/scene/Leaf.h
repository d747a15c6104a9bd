// SLeaf and TLeaf: the abstract bases of the nodes that have no children.
#pragma once

#include "scene/Node.h"

namespace PM {

class SLeaf_I : public EngineClass<SLeaf_I, SNode_I, ClassId::SLeaf, "SLeaf"> {
 public:
  static void Define();
};

class TLeaf_I : public EngineClass<TLeaf_I, TNode_I, ClassId::TLeaf, "TLeaf"> {
 public:
};

}  // namespace PM
