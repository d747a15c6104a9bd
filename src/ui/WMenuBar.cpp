#include "ui/WMenuBar.h"

namespace PM {

const TypeRecord& WMenuBar_I::GetTypeRecord() { return EngineTypeRecord<WMenuBar_I>(kName); }
ScriptObject* WMenuBar_I::Create() { return NewEngineObject<WMenuBar_I>(); }
ScriptObject* WMenuBar_I::CreateExtra(uint32_t extraBytes) { return NewEngineObject<WMenuBar_I>(extraBytes); }

void WMenuBar_I::Define() {
  DefineUIClass<WMenuBar_I, WSizer_I>();
}

}  // namespace PM
