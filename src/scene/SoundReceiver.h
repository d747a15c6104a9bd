// SSoundReceiver and TSoundReceiver: the listener, placed in the scene.
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SSoundReceiver_I : public SLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::SSoundReceiver;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<SSoundReceiver_I>("SSoundReceiver"); }
  static ScriptObject* Create() { return NewEngineObject<SSoundReceiver_I>(); }
  static ScriptObject* CreateExtra(uint32_t extraBytes) { return NewEngineObject<SSoundReceiver_I>(extraBytes); }
};

class TSoundReceiver_I : public TLeaf_I {
 public:
  static constexpr uint32_t kClassId = ClassId::TSoundReceiver;
  static const TypeRecord& GetTypeRecord() { return EngineTypeRecord<TSoundReceiver_I>("TSoundReceiver"); }
  static ScriptObject* Create() { return NewEngineNode<TSoundReceiver_I, SSoundReceiver_I>(); }
  static ScriptObject* CreateExtra(uint32_t n) { return NewEngineNode<TSoundReceiver_I, SSoundReceiver_I>(n); }
};

}  // namespace PM
