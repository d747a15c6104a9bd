// SSoundReceiver and TSoundReceiver: the listener, placed in the scene.
#pragma once

#include "scene/Leaf.h"

namespace PM {

class SSoundReceiver_I : public EngineClass<SSoundReceiver_I, SLeaf_I, ClassId::SSoundReceiver, "SSoundReceiver"> {
 public:
  static void Define();
};

class TSoundReceiver_I
    : public EngineClass<TSoundReceiver_I, TLeaf_I, ClassId::TSoundReceiver, "TSoundReceiver", SSoundReceiver_I> {
 public:
};

}  // namespace PM
