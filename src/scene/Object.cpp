#include "scene/Object.h"

namespace PM {

const TypeRecord& Object_I::GetTypeRecord() {
  static TypeRecord t("Object", sizeof(Object_I), DestroyScriptObject<Object_I>);
  return t;
}
ScriptObject* Object_I::Create() { return NewScriptObject<Object_I>(GetTypeRecord(), kClassId); }
ScriptObject* Object_I::CreateExtra(uint32_t extraBytes) {
  return NewScriptObject<Object_I>(GetTypeRecord(), kClassId, extraBytes);
}

}  // namespace PM
