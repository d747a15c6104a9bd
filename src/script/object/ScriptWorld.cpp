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

// The engine class table (stage 3) is registered by the scene graph.
const ModuleHookRegistration kMasterTables(kStageMasterTables, "master class tables", &InitScriptObjectModel,
                                           &UninitScriptObjectModel);
const ModuleHookRegistration kBuiltins(kStageBuiltinClasses, "built-in classes and functions", &InitBuiltins,
                                       &ClearGlobalFunctions);
const ModuleHookRegistration kMemberHashes(kStageMemberHashes, "member-name hashes", &BuildMemberNameHashes, nullptr);
const ModuleHookRegistration kClassHash(kStageClassHash, "class-name hash", &BuildClassNameHash, &ClearNameHashes);
const ModuleHookRegistration kFunctionHash(kStageFunctionHash, "function-name hash", &BuildFunctionNameHash,
                                           &ClearFunctionNameHash);

}  // namespace

}  // namespace PM
