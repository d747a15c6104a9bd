#include "scene/Leaf.h"

#include "classes/EngineClassRegistry.h"

namespace PM {

static void DefineLeafClasses() {
  const ClassDef classes[] = {
      AbstractClass<SLeaf_I>(SNode_I::kClassId, "SLeaf"),
      AbstractClass<TLeaf_I>(TNode_I::kClassId, "TLeaf"),
  };
  DefineClasses(classes);
}

static const bool kEntry = AddEngineClassEntry(0x044, &DefineLeafClasses);

}  // namespace PM
