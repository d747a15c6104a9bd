// The private data of a ScriptEngine_I.
#pragma once

#include "core/Obj.h"
#include "script/object/ScriptEngine.h"

namespace PM {

struct ScriptEngine_D {
  Obj<ScriptNamespace> ns;
  Obj<ScriptProgress> progress;  // nil: none
};

}  // namespace PM
