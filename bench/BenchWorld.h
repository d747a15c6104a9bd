// Benchmarks that create engine objects start the object model and the engine class table once.
#pragma once

#include "classes/EngineClasses.h"
#include "script/object/ClassDatabase.h"
#include "script/object/ObjectModel.h"

namespace PM::Bench {

inline void InitOnce() {
  static const bool done = [] {
    InitScriptObjectModel();
    RegisterEngineClasses();
    BuildNameHashes();
    return true;
  }();
  (void)done;
}

}  // namespace PM::Bench
