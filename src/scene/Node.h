// Stand-in for the scene's node roots until the engine class table lands: only what the UI classes use.
#pragma once

#include "scene/Object.h"

namespace PM {

class SNode_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF042;
  static const TypeRecord& GetTypeRecord();
};

class TNode_I : public Object_I {
 public:
  static constexpr uint32_t kClassId = 0xFFFFF043;
  static const TypeRecord& GetTypeRecord();

  SNode_I* GetSNode() const { return m_sNode.Get(); }
  void SetSNode(SNode_I* s) { m_sNode = s; }

  Obj<SNode_I> m_sNode;
};

}  // namespace PM
