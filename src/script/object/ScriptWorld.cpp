#include "script/object/ScriptWorld.h"

#include "core/StartUp.h"
#include "script/object/GlobalFunctions.h"
#include "script/object/MemberDef.h"
#include "script/object/ObjectModel.h"
#include "script/object/ScriptClass_I.h"
#include "script/object/ScriptEngine_I.h"
#include "script/object/ScriptFunction_I.h"
#include "script/object/ScriptNamespace_I.h"

namespace PM {

void RegisterScriptWorldClasses() {
  if (ClassExists(ScriptClass::kClassId)) return;
  const ClassDef classes[] = {
      {ScriptClass::kClassId, kClassScriptObject, "", "ScriptClass", &ScriptClass_I::GetTypeRecord(), nullptr, nullptr,
       kClassKindObject},
      {ScriptFunction::kClassId, kClassScriptObject, "", "ScriptFunction", &ScriptFunction_I::GetTypeRecord(), nullptr,
       nullptr, kClassKindObject},
      {ScriptNamespace::kClassId, kClassScriptObject, "", "ScriptNamespace", &ScriptNamespace_I::GetTypeRecord(),
       nullptr, nullptr, kClassKindObject},
      {ScriptEngine::kClassId, kClassScriptObject, "", "ScriptEngine", &ScriptEngine_I::GetTypeRecord(), nullptr,
       nullptr, kClassKindObject},
  };
  DefineClasses(classes);
}

namespace {

void InitScriptWorld() {
  InitBuiltinClasses();
  RegisterScriptWorldClasses();
  RegisterBuiltinFunctions();
}

// The object model registers its own stages (tables, built-in classes, member and class hashes); the
// engine class table (stage 3) is registered by the scene graph.
const ModuleHookRegistration kBuiltins(kStageBuiltinClasses, "script world classes and built-in functions",
                                       &InitScriptWorld, &ClearGlobalFunctions);
const ModuleHookRegistration kFunctionHash(kStageFunctionHash, "function-name hash", &BuildFunctionNameHash,
                                           &ClearFunctionNameHash);

}  // namespace

}  // namespace PM
