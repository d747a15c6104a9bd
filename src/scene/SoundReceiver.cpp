#include "scene/SoundReceiver.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineSoundReceiverClasses() {
  const ClassDef classes[] = {
      ConcreteClass<SSoundReceiver_I>(SLeaf_I::kClassId, "SSoundReceiver"),
      ConcreteClass<TSoundReceiver_I>(TLeaf_I::kClassId, "TSoundReceiver"),
  };
  DefineClasses(classes);
}

static const bool kEntry = AddEngineClassEntry(0x072, &DefineSoundReceiverClasses);

}  // namespace PM
