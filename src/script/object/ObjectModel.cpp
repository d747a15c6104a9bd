#include "script/object/ObjectModel.h"

#include <new>

#include "core/StartUp.h"
#include "script/object/ScriptObject.h"
#include "script/object/ValueBox.h"

namespace PM {

void InitBuiltinClasses() {
  if (ClassExists(kClassScriptObject)) return;
  RegisterBuiltinClasses();
  ScriptObject* nil = new (NilObject()) ScriptObject();
  HeaderOf(nil)->classRow = ClassRowOf(kClassNil);
}

namespace {

const ModuleHookRegistration g_tables(kStageMasterTables, "MasterClassTables", InitClassDatabase, UninitClassDatabase);
const ModuleHookRegistration g_builtins(kStageBuiltinClasses, "BuiltinClasses", InitBuiltinClasses, nullptr);
const ModuleHookRegistration g_memberNames(kStageMemberHashes, "MemberNameHashes", BuildMemberNameHashes, nullptr);
const ModuleHookRegistration g_classNames(kStageClassHash, "ClassNameHash", BuildClassNameHash, ClearClassNameHash);

}  // namespace

void InitScriptObjectModel() {
  if (ClassDatabaseReady()) return;
  InitClassDatabase();
  InitBuiltinClasses();
}

void UninitScriptObjectModel() { UninitClassDatabase(); }

}  // namespace PM
