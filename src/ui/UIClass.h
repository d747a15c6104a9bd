// What every UI script class shares beyond the engine class helpers: its class-table row from its
// kClassId and kName.
#pragma once

#include "scene/EngineClass.h"
#include "script/object/FilledIndexedMember.h"

namespace PM {

// The class-table row of a concrete class T over Base.
template <class T, class Base>
void DefineUIClass() {
  const ClassDef row[] = {ConcreteClass<T>(Base::kClassId, T::kName)};
  DefineClasses(row);
}

}  // namespace PM
