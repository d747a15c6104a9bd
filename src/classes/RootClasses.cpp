// The roots's part of the engine class table: each entry defines a class (or an S/T pair, under its
// first class) with its members; RegisterEngineClasses runs them in the order list's order.

#include "classes/EngineClassRegistry.h"
#include "classes/FileObject.h"
#include "classes/Object.h"

namespace PM {

static const EngineClassEntry kRootClasses[] = {
    {ClassId::Object, &Object_I::Define},
    {ClassId::FileObject, &FileObject_I::Define},
};

static const bool kEntries = AddEngineClassEntries(kRootClasses);

}  // namespace PM
