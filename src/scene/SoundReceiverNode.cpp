#include "scene/SoundReceiverNode.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

void SSoundReceiver_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SSoundReceiver_I>(),
      ConcreteClass<TSoundReceiver_I>(),
  };
  DefineClasses(classes);
}

// Entered in the engine class table, which defines it in the order list's order.
static const bool kClassEntered = EnterEngineClasses<SSoundReceiver_I>();

}  // namespace PM
