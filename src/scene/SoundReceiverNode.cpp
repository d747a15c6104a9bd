#include "scene/SoundReceiverNode.h"


namespace PM {

void SSoundReceiver_I::Define() {
  const ClassDef classes[] = {
      ConcreteClass<SSoundReceiver_I>(),
      ConcreteClass<TSoundReceiver_I>(),
  };
  DefineClasses(classes);
}
}  // namespace PM
