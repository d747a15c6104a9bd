#include "script/object/ScriptFunction_I.h"

#include "core/Log.h"

namespace PM {

const TypeRecord& ScriptFunction_I::GetTypeRecord() {
  static TypeRecord t("ScriptFunction", sizeof(ScriptFunction_I), DestroyScriptObject<ScriptFunction_I>);
  return t;
}

ScriptObject* ScriptFunction::Create(const String& name, GlobalFunctionFn fn) {
  if (name.IsEmpty() || !fn || !ClassExists(kClassId)) {
    LogError("ScriptFunction::Create: a function needs a name, a body and a started script world.");
    return NilScriptObject();
  }
  uint32_t id = AllocateFunctionID(name.CStr(), fn);
  if (id == 0) {
    LogError("ScriptFunction::Create: no function id left for \"", name, "\" (the global function table is full).");
    return NilScriptObject();
  }
  auto* f = NewScriptObject<ScriptFunction_I>(ScriptFunction_I::GetTypeRecord(), kClassId);
  f->m_d.id = id;
  f->m_d.name = name;
  return f;
}

ScriptFunction_I::~ScriptFunction_I() { ClearGlobalFunction(m_d.id); }

Obj<ScriptObject> ScriptFunction_I::Call(int32_t argc, ScriptObject** argv) {
  return CallGlobalFunction(m_d.id, argc, argv);
}

}  // namespace PM
