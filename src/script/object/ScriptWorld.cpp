#include "script/object/ScriptWorld.h"

#include "core/Module.h"
#include "script/object/GlobalFunctions.h"
#include "script/object/MemberDef.h"
#include "script/object/ObjectModel.h"
#include "script/object/ScriptClass_I.h"
#include "script/object/ScriptEngine_I.h"
#include "script/object/ScriptFunction_I.h"
#include "script/object/ScriptNamespace_I.h"

namespace PM {

void RegisterScriptWorldClasses() {
  const ClassDef classes[] = {
      {ScriptClass::kClassId, kClassScriptObject, "", "ScriptClass", &ScriptClass_I::GetTypeRecord(), nullptr,
       nullptr, kClassKindObject},
      {ScriptFunction::kClassId, kClassScriptObject, "", "ScriptFunction", &ScriptFunction_I::GetTypeRecord(),
       nullptr, nullptr, kClassKindObject},
      {ScriptNamespace::kClassId, kClassScriptObject, "", "ScriptNamespace", &ScriptNamespace_I::GetTypeRecord(),
       nullptr, nullptr, kClassKindObject},
      {ScriptEngine::kClassId, kClassScriptObject, "", "ScriptEngine", &ScriptEngine_I::GetTypeRecord(), nullptr,
       nullptr, kClassKindObject},
  };
  DefineClasses(classes);
}

namespace {

void InitBuiltins() {
  RegisterScriptWorldClasses();
  RegisterBuiltinFunctions();
}

// The master tables, the object model's own built-in classes and the name hashes are registered by the
// object model (ObjectModel.cpp, linked before this file, so its stage-2 hook runs first).
const ModuleHookRegistration kBuiltins(kStageBuiltinClasses, "built-in classes and functions", &InitBuiltins,
                                       &ClearGlobalFunctions);
const ModuleHookRegistration kFunctionHash(kStageFunctionHash, "function-name hash", &BuildFunctionNameHash,
                                           &ClearFunctionNameHash);

}  // namespace

}  // namespace PM
