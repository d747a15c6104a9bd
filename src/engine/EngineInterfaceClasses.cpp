// The engine interface's part of the engine class table: each entry defines a class (or an S/T pair, under its
// first class) with its members; RegisterEngineClasses runs them in the order list's order.

#include "classes/EngineClassRegistry.h"
#include "engine/Image.h"
#include "engine/VertexGenerator.h"

namespace PM {

static const EngineClassEntry kEngineInterfaceClasses[] = {
    {ClassId::Image, &Image_I::Define},
    {ClassId::VertexGenerator, &VertexGenerator_I::Define},
};

static const bool kEntries = AddEngineClassEntries(kEngineInterfaceClasses);

}  // namespace PM
